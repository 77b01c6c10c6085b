#include "cli/unscramble_tool.h"

#include <sched.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "cli/batch_runner.h"
#include "cli/letter_input.h"
#include "cli/output_format.h"
#include "cli/phrase_runner.h"
#include "cli/program_folder.h"
#include "engine/dictionary.h"
#include "engine/huge_page_buffer.h"
#include "engine/letters/keyed_search.h"
#include "engine/text.h"

namespace wordloom::cli {

namespace {

std::string dictionaryPath(const Options& options) {
    if (!options.dictionaryPath.empty()) {
        return options.dictionaryPath;
    }
    return (programFolder() / "words.dic").string();
}

// Why the dictionary cannot be read, or nothing: a regular file or any readable stream (a pipe,
// "<(...)", "-" for standard input) will do.
std::string dictionaryProblem(const std::string& path, const Options& options) {
    if (path == "-") {
        const bool inputTaken =
            options.sources.empty() ||
            std::any_of(options.sources.begin(), options.sources.end(),
                        [](const LetterSource& source) {
                            return source.kind == LetterSource::Kind::File && source.text == "-";
                        });
        return inputTaken ? "the dictionary cannot come from standard input (-d -) while the "
                            "letter sets do: name them as arguments or with -f FILE"
                          : "";
    }
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return "dictionary file not found: " + path;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        return "the dictionary '" + path + "' is a folder: name a word list inside it";
    }
    return {};
}

// The processors this process may run on (its affinity mask, which taskset and containers
// narrow), or all of them when the mask cannot be read.
unsigned usableProcessors() {
    cpu_set_t processors;
    CPU_ZERO(&processors);
    if (::sched_getaffinity(0, sizeof processors, &processors) == 0) {
        return static_cast<unsigned>(std::max(CPU_COUNT(&processors), 1));
    }
    return std::max(std::thread::hardware_concurrency(), 1u);
}

// The matching keeps a processor busy per thread: threads beyond the processors only cost
// memory (several megabytes each) and time spent switching between them.
unsigned jobCount(const Options& options) {
    const unsigned processors = std::min(usableProcessors(), maxJobs);
    return options.jobs != 0 ? std::min(options.jobs, processors) : processors;
}

void printLine(std::FILE* err, const std::string& text) {
    std::fprintf(err, "%s\n", text.c_str());
}

// The word list as read and sorted and, in word mode, the search over it.
struct LoadedList {
    std::shared_ptr<const engine::Dictionary> dictionary;
    std::unique_ptr<const engine::KeyedSearch> search;
};

// Word mode searches a list of lower-case ASCII words on the dictionary's own index, as the
// window does, and any other list on letter keys. The initial-letter index serves the window
// alone, so a list with more initials than it holds needs no warning here.
std::unique_ptr<const engine::KeyedSearch> prepareSearch(engine::DictionaryLoader& loader,
                                                         const Options& options) {
    const engine::WordList& words = loader.dictionary()->words();
    if (engine::KeyedSearch::needsKeys(words)) {
        try {
            return std::make_unique<const engine::KeyedSearch>(words, options.accents);
        } catch (const std::bad_alloc&) {
            throw std::runtime_error("Not enough memory to index the dictionary '" +
                                     dictionaryPath(options) + "'.");
        }
    }
    try {
        loader.buildIndex();
    } catch (const engine::TooManyInitialGroups&) {
    }
    return std::make_unique<const engine::KeyedSearch>(*loader.dictionary(), options.accents);
}

// Loads the dictionary phase by phase. A file that cannot be read to its end (or that does not
// fit in memory) would give partial answers, so it stops the tool; UTF-16 text, a NUL byte or an
// empty list still load, so those are warnings. Phrase mode reads the sorted words alone.
LoadedList loadDictionary(const std::string& path, const Options& options, std::FILE* err) {
    engine::DictionaryLoader loader(path == "-" ? "/dev/stdin" : path);
    if (options.anagrams) {
        loader.keepOneLetterWords();  // "a" and "I" may take part in a phrase anagram
    }
    LoadedList loaded;
    try {
        loader.open();
        loader.readItems();
        if (loader.textLooksLikeUtf16()) {
            printLine(err, warning("the dictionary '" + path +
                                   "' is not UTF-8 text (it looks like UTF-16), so its words will "
                                   "hardly match; save it as UTF-8"));
        } else if (loader.nulByteLine() != 0) {
            printLine(err, warning("the dictionary '" + path + "' has a NUL byte at line " +
                                   std::to_string(loader.nulByteLine()) +
                                   ", which stays in the word there"));
        }
        loader.close();
        loader.sort();
        if (!options.anagrams) {
            loader.keepFreedBlocks();  // for the runner's buffers, see runUnscramble()
            loaded.search = prepareSearch(loader, options);
        }
    } catch (const std::exception& failure) {
        printLine(err, diagnostic(failure.what()));
        return {};
    }
    if (loader.dictionary()->words().size() == 0) {
        printLine(err,
                  warning("the dictionary '" + path + "' has no words, so nothing will match"));
    }
    loaded.dictionary = loader.dictionary();
    return loaded;
}

std::string withoutFullStop(std::string_view message) {
    std::string text(message);
    if (text.size() >= 2 && std::isupper(static_cast<unsigned char>(text[0])) != 0 &&
        std::islower(static_cast<unsigned char>(text[1])) != 0) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::string diagnostic(std::string_view message) {
    return std::string(programName) + ": " + withoutFullStop(message);
}

std::string warning(std::string_view message) {
    return std::string(programName) + ": warning: " + withoutFullStop(message);
}

int runUnscramble(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err) {
    const std::string path = dictionaryPath(options);
    if (const std::string problem = dictionaryProblem(path, options); !problem.empty()) {
        printLine(err, diagnostic(problem));
        return ExitFailure;
    }
    const LoadedList list = loadDictionary(path, options, err);
    if (!list.dictionary) {
        return ExitFailure;
    }
    if (options.anagrams) {
        engine::releaseRetainedBlocks();
        return runPhrases(options, *list.dictionary, jobCount(options), in, out, err);
    }

    int status = ExitSuccess;
    try {
        const OutputFormatter formatter(options.format, options.lengths);
        BatchRunner runner(*list.dictionary, *list.search, formatter, options.lengths,
                           jobCount(options), out);
        // The runner's large buffers took the memory the load had freed, which needs no fresh
        // zeroed pages; whatever is left goes back to the system.
        engine::releaseRetainedBlocks();
        std::string header;
        formatter.appendHeader(header);
        runner.write(header);
        const auto onEntry = [&runner](std::u16string&& letterSet) { runner.add(letterSet); };
        if (!forEachLetterSet(options.sources, in, err, onEntry)) {
            status = ExitFailure;
        }
        runner.finish();
    } catch (const OutputError& failure) {
        printLine(err, diagnostic(failure.what()));
        return ExitFailure;
    }
    return status;
}

}  // namespace wordloom::cli
