#include "cli/phrase_runner.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>

#include "cli/batch_runner.h"
#include "cli/letter_input.h"
#include "cli/phrase_output.h"
#include "cli/phrase_progress.h"
#include "cli/unscramble_tool.h"
#include "engine/letters/letter_key.h"
#include "engine/phrases/phrase.h"
#include "engine/phrases/phrase_search.h"
#include "engine/text.h"

namespace wordloom::cli {

namespace {

// A line of a letter file is kept up to this many code units: the phrase limit is on its letters
// and blanks, so a line may hold far more (punctuation, emoji); only an endless line is refused.
constexpr std::size_t longestPhraseLine = 65535;

std::string singleQuoted(std::string_view text) {
    std::string result(1, '\'');
    result.append(text).push_back('\'');
    return result;
}

// A phrase as messages show it: its first 40 code units, as typed, never half a character.
std::string shown(std::u16string_view typed) {
    std::size_t shownUnits = 40;
    if (typed.size() <= shownUnits) {
        return singleQuoted(engine::encodeUtf8(typed));
    }
    if (typed[shownUnits - 1] >= 0xD800 && typed[shownUnits - 1] <= 0xDBFF) {
        --shownUnits;  // the first half of a pair: the character goes whole to the "..."
    }
    return singleQuoted(engine::encodeUtf8(typed.substr(0, shownUnits)) + "...");
}

// The words of the --only-from list as the search compares them (letter keys, non-letters
// dropped); null, after a message, when the list cannot be read.
std::shared_ptr<const std::unordered_set<std::u16string>> readWordSet(const std::string& path,
                                                                      engine::Accents accents,
                                                                      std::FILE* err) {
    std::error_code error;
    if (path != "-" && !std::filesystem::exists(path, error)) {
        std::fprintf(err, "%s\n",
                     diagnostic("the --only-from list '" + path + "' is not found").c_str());
        return nullptr;
    }
    if (std::filesystem::is_directory(path, error)) {
        std::fprintf(err, "%s\n",
                     diagnostic("the --only-from list '" + path + "' is a folder").c_str());
        return nullptr;
    }
    try {
        engine::DictionaryLoader loader(path == "-" ? "/dev/stdin" : path);
        loader.keepOneLetterWords();
        loader.open();
        loader.readItems();
        loader.close();
        auto words = std::make_shared<std::unordered_set<std::u16string>>();
        const engine::WordList& list = loader.dictionary()->words();
        for (std::size_t i = 0; i < list.size(); ++i) {
            std::u16string letters;
            for (const char16_t unit : engine::letterKey(list[i], accents)) {
                if (engine::isPhraseLetter(unit)) {
                    letters.push_back(unit);
                }
            }
            words->insert(std::move(letters));
        }
        return words;
    } catch (const std::exception& failure) {
        std::fprintf(err, "%s\n", diagnostic(failure.what()).c_str());
        return nullptr;
    }
}

class PhraseRunner {
public:
    PhraseRunner(const Options& options, const engine::Dictionary& dictionary, unsigned jobs,
                 std::FILE* out, std::FILE* err, std::size_t knownPhrases,
                 std::shared_ptr<const std::unordered_set<std::u16string>> onlyFrom)
        : m_index(dictionary.words(), options.accents),
          m_accents(options.accents),
          m_jobs(jobs),
          m_err(err),
          m_knownPhrases(knownPhrases),
          m_tsv(options.format == OutputFormat::Tsv),
          m_progress(err, showsProgress(options.progress, out, err), isatty(fileno(out)) != 0),
          m_sink(out, m_progress) {
        m_options.lengths = options.phraseLengths;
        m_options.minWords = options.minWords;
        m_options.maxWords = options.maxWords;
        m_options.limit = options.limit;
        m_options.order = options.order;
        m_options.noRepeat = options.noRepeat;
        for (const std::string& word : options.contain) {
            m_options.contain.push_back(engine::decodeUtf8(word));
        }
        for (const std::string& word : options.exclude) {
            m_options.exclude.push_back(engine::decodeUtf8(word));
        }
        m_options.onlyFrom = std::move(onlyFrom);
    }

    // Lists the anagrams of one phrase as typed.
    void run(std::u16string_view typed) {
        ++m_number;
        if (typed.size() > longestPhraseLine) {
            fail("the line " + shown(typed) + " is too long for a phrase (more than " +
                 std::to_string(longestPhraseLine) + " characters)");
            return;
        }
        engine::Phrase phrase;
        try {
            phrase = engine::parsePhrase(typed, m_accents);
        } catch (const engine::PhraseError&) {
            fail("the phrase " + shown(typed) + " is too long: a phrase holds at most " +
                 std::to_string(engine::kMaxPhraseLetters) + " letters and blanks");
            return;
        }
        if (phrase.size() == 0 && m_options.contain.empty()) {
            return;  // nothing to spell, as a letter set too short to run
        }
        if (m_tsv) {
            if (typed.find_first_of(u"\r\n") != std::u16string_view::npos) {
                fail("the phrase " + shown(typed) +
                     " holds a line end, which a tsv line cannot show");
                return;
            }
            // A tab of the phrase is shown as a space, so that the line keeps two columns.
            std::string shownPhrase;
            appendTyped(shownPhrase, typed);
            std::replace(shownPhrase.begin(), shownPhrase.end(), '\t', ' ');
            m_options.linePrefix = shownPhrase + "\t";
        }
        engine::PhraseControl control;
        m_progress.start(control, m_number, m_knownPhrases);
        try {
            const InterruptStops interrupt(control);
            engine::searchPhraseParallel(m_index, phrase, m_options, m_sink, m_jobs, &control);
        } catch (const engine::PhraseError& error) {
            m_progress.finish();
            fail(shown(typed) + ": " + error.what());
            return;
        } catch (...) {
            m_progress.finish();
            throw;
        }
        m_progress.finish();
        m_sink.flush(interruptArrived());
        if (interruptArrived()) {
            // The lines found so far are out and the progress line is gone: now end as the
            // interrupt would have ended the tool.
            std::signal(SIGINT, SIG_DFL);
            std::raise(SIGINT);
        }
        m_sink.throwIfFailed();
    }

    bool allRan() const { return m_allRan; }

private:
    void fail(const std::string& message) {
        std::fprintf(m_err, "%s\n", diagnostic(message).c_str());
        m_allRan = false;
    }

    const engine::PhraseIndex m_index;
    const engine::Accents m_accents;
    engine::PhraseOptions m_options;
    const unsigned m_jobs;
    std::FILE* m_err;
    const std::size_t m_knownPhrases;
    const bool m_tsv;
    PhraseProgress m_progress;
    StreamSink m_sink;
    std::size_t m_number = 0;
    bool m_allRan = true;
};

}  // namespace

int runPhrases(const Options& options, const engine::Dictionary& dictionary, unsigned jobs,
               std::FILE* in, std::FILE* out, std::FILE* err) {
    const bool argumentsOnly = std::all_of(
        options.sources.begin(), options.sources.end(),
        [](const LetterSource& source) { return source.kind == LetterSource::Kind::Argument; });
    int status = ExitSuccess;
    try {
        std::shared_ptr<const std::unordered_set<std::u16string>> onlyFrom;
        if (!options.onlyFromPath.empty()) {
            onlyFrom = readWordSet(options.onlyFromPath, options.accents, err);
            if (!onlyFrom) {
                return ExitFailure;
            }
        }
        PhraseRunner runner(options, dictionary, jobs, out, err,
                            argumentsOnly ? options.sources.size() : 0, std::move(onlyFrom));
        const auto onEntry = [&runner](std::u16string&& phrase) { runner.run(phrase); };
        if (!forEachLetterSet(options.sources, in, err, onEntry, longestPhraseLine)) {
            status = ExitFailure;
        }
        if (!runner.allRan()) {
            status = ExitFailure;
        }
    } catch (const OutputError& failure) {
        std::fprintf(err, "%s\n", diagnostic(failure.what()).c_str());
        return ExitFailure;
    }
    return status;
}

}  // namespace wordloom::cli
