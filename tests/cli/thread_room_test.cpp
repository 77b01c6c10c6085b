// Many more jobs than the memory allows threads for, under an address-space limit (`ulimit -v`):
// the pools start fewer threads and give the same output as one thread. Each case runs in a
// child process, whose limit the test does not share.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "cli/batch_runner.h"
#include "cli/output_format.h"
#include "engine/dictionary.h"
#include "engine/letters/keyed_search.h"
#include "engine/phrases/phrase.h"
#include "engine/phrases/phrase_search.h"

namespace wordloom::cli {
namespace {

constexpr unsigned kManyJobs = 128;

// The address space in use now, from /proc/self/statm.
std::size_t addressSpaceBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Runs `body` in a child whose address space may grow by `extra` bytes at most; the child's
// exit status (0 when `body` returned true).
int underAddressSpaceLimit(std::size_t extra, const std::function<bool()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{addressSpaceBytes() + extra, addressSpaceBytes() + extra};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) {
            ::_exit(3);
        }
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::shared_ptr<const engine::Dictionary> bundledDictionary() {
    return engine::loadDictionary(std::string(WORDLOOM_APP_DIR) + "/words.dic");
}

std::string batchRows(const engine::Dictionary& dictionary, unsigned jobs) {
    const engine::LengthMask lengths = engine::LengthMask::range(2, 27);
    const OutputFormatter formatter(OutputFormat::Words, lengths);
    std::FILE* out = std::tmpfile();
    {
        const engine::KeyedSearch search(dictionary, engine::Accents::Kept);
        BatchRunner runner(dictionary, search, formatter, lengths, jobs, out);
        std::mt19937 random(7);
        std::uniform_int_distribution<int> letter(0, 25);
        for (int set = 0; set < 300; ++set) {
            std::u16string letters;
            for (int i = 0; i < 27; ++i) {
                letters += static_cast<char16_t>(u'a' + letter(random));
            }
            runner.add(letters);
        }
        runner.finish();
    }
    std::rewind(out);
    std::string rows;
    char block[65536];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, out)) > 0;) {
        rows.append(block, got);
    }
    std::fclose(out);
    return rows;
}

class StringSink final : public engine::PhraseSink {
public:
    bool write(std::string_view lines) override {
        text.append(lines);
        return true;
    }
    std::string text;
};

std::string phraseLines(const engine::PhraseIndex& index, unsigned jobs) {
    StringSink sink;
    engine::searchPhraseParallel(index, engine::parsePhrase(u"moon starer"), {}, sink, jobs);
    return sink.text;
}

TEST(ThreadRoom, ManyJobsUnderAnAddressSpaceLimitGiveTheRowsOfOne) {
    const auto dictionary = bundledDictionary();
    const std::string expected = batchRows(*dictionary, 1);
    ASSERT_GT(expected.size(), 100000u);
    EXPECT_EQ(underAddressSpaceLimit(std::size_t{800} << 20,
                                     [&] { return batchRows(*dictionary, kManyJobs) == expected; }),
              0);
}

TEST(ThreadRoom, ManyPhraseJobsUnderAnAddressSpaceLimitGiveTheLinesOfOne) {
    const auto dictionary = bundledDictionary();
    const engine::PhraseIndex index(dictionary->words());
    const std::string expected = phraseLines(index, 1);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(underAddressSpaceLimit(std::size_t{800} << 20,
                                     [&] { return phraseLines(index, kManyJobs) == expected; }),
              0);
}

}  // namespace
}  // namespace wordloom::cli
