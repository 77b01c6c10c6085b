#include "cli/unscramble_tool.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "cli/batch_runner.h"
#include "cli/letter_input.h"
#include "cli/output_format.h"
#include "cli/program_folder.h"
#include "engine/dictionary.h"
#include "engine/text.h"

namespace wordloom::cli {

namespace {

std::string dictionaryPath(const Options& options) {
    if (!options.dictionaryPath.empty()) {
        return options.dictionaryPath;
    }
    return (programFolder() / "words.dic").string();
}

bool isOrdinaryFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

unsigned jobCount(const Options& options) {
    if (options.jobs != 0) {
        return options.jobs;
    }
    return std::clamp(std::thread::hardware_concurrency(), 1u, maxJobs);
}

void printLine(std::FILE* err, const char* text) {
    std::fprintf(err, "%s\n", text);
}

// Loads the dictionary phase by phase. A file that cannot be read to its end (or that does not
// fit in memory) would give partial answers, so it stops the tool; a list with more initial
// letters than the alphabet only loses the initial-letter shortcut (the matcher still covers
// every word), and UTF-16 text still loads (as bytes), so both are warnings.
std::shared_ptr<const engine::Dictionary> loadDictionary(const std::string& path, std::FILE* err) {
    engine::DictionaryLoader loader(path);
    try {
        loader.open();
        loader.readItems();
        if (loader.textLooksLikeUtf16()) {
            printLine(err, ("The dictionary '" + path +
                            "' is not UTF-8 text (it looks like UTF-16); its words will hardly "
                            "match. Save it as UTF-8.")
                               .c_str());
        }
        loader.close();
        loader.sort();
        try {
            loader.buildIndex();
        } catch (const engine::TooManyInitialGroups& warning) {
            printLine(err, warning.what());
        }
    } catch (const std::exception& failure) {
        printLine(err, failure.what());
        return nullptr;
    }
    return loader.dictionary();
}

}  // namespace

int runUnscramble(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err) {
    const std::string path = dictionaryPath(options);
    if (!isOrdinaryFile(path)) {
        printLine(err, "Dictionary file not found.");
        return ExitFailure;
    }
    const std::shared_ptr<const engine::Dictionary> dictionary = loadDictionary(path, err);
    if (!dictionary) {
        return ExitFailure;
    }

    int status = ExitSuccess;
    try {
        const OutputFormatter formatter(options.format, options.lengths);
        BatchRunner runner(*dictionary, formatter, options.lengths, jobCount(options), out);
        std::string header;
        formatter.appendHeader(header);
        runner.write(header);
        const auto onEntry = [&runner](std::u16string&& letterSet) { runner.add(letterSet); };
        for (const LetterSource& source : options.sources) {
            if (source.kind == LetterSource::Kind::Argument) {
                runner.add(engine::decodeUtf8(source.text));
                continue;
            }
            try {
                readLetterSets(source.text, in, onEntry);
            } catch (const OutputError&) {
                throw;
            } catch (const std::exception& failure) {
                // The letter sets read before the failure have run; the other files still run.
                printLine(err, failure.what());
                status = ExitFailure;
            }
        }
        runner.finish();
    } catch (const OutputError& failure) {
        printLine(err, failure.what());
        return ExitFailure;
    }
    return status;
}

}  // namespace wordloom::cli
