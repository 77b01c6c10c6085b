#include "cli/letter_input.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "cli/output_format.h"
#include "cli/unscramble_tool.h"
#include "engine/text.h"

namespace wordloom::cli {

namespace {

constexpr std::size_t readSize = 1 << 16;

// Sits between the decoder and the letter-line splitter and keeps every piece of a line (the
// text between line ends, blanks at both ends not counted) to at most `keptUnits` units, one
// more than the longest line that runs: that is enough to tell that a line does not run. A piece
// that fits passes unchanged; a longer one is handed on as a stand-in of exactly `keptUnits`
// units ending in a letter, which does not run either. Memory then stays bounded by the chunk
// size whatever comes, even an endless line (`-f -` fed from /dev/zero).
class CappedLineSplitter {
public:
    CappedLineSplitter(const engine::LetterLineSplitter::Sink& onEntry, std::size_t keptUnits)
        : m_splitter(onEntry), m_keptUnits(keptUnits) {}

    void feed(std::u16string_view text) {
        m_passed.clear();
        for (const char16_t unit : text) {
            if (unit == u'\r' || unit == u'\n') {
                m_passed.push_back(unit);
                m_length = 0;
                m_blanks = 0;
                m_cut = false;
            } else if (m_cut) {
                // the rest of a piece that is already too long to run
            } else if (unit == u' ') {
                if (m_length == 0) {
                    m_passed.push_back(unit);  // a leading blank, which the splitter drops
                } else {
                    ++m_blanks;  // passed on only if text follows within the cap
                }
            } else if (m_length + m_blanks < m_keptUnits) {
                m_passed.append(m_blanks, u' ');
                m_passed.push_back(unit);
                m_length += m_blanks + 1;
                m_blanks = 0;
            } else {
                // Past the cap: pad to one unit short of it and end the stand-in with this
                // letter (a piece that is exactly at the cap already ends in a letter).
                if (m_length < m_keptUnits) {
                    m_passed.append(m_keptUnits - 1 - m_length, u' ');
                    m_passed.push_back(unit);
                }
                m_cut = true;
            }
        }
        m_splitter.feed(m_passed);
    }

    void finish() { m_splitter.finish(); }

private:
    engine::LetterLineSplitter m_splitter;
    const std::size_t m_keptUnits;  // a piece of this many units does not run
    std::u16string m_passed;        // what one chunk hands on to the splitter
    std::size_t m_length = 0;       // units handed on for this piece, from its first non-blank
    std::size_t m_blanks = 0;       // blanks after those, held back
    bool m_cut = false;             // this piece has reached the cap
};

// Reads `input` to its end in chunks; `name` describes it in the failure message.
void readStream(std::FILE* input, const std::string& name,
                const engine::LetterLineSplitter::Sink& onEntry, std::size_t longestLine) {
    CappedLineSplitter splitter(onEntry, longestLine + 1);
    engine::Utf8Decoder decoder;
    std::vector<char> bytes(readSize);
    std::u16string text;
    while (true) {
        const std::size_t count = std::fread(bytes.data(), 1, bytes.size(), input);
        text.clear();
        decoder.feed({bytes.data(), count}, text);
        splitter.feed(text);
        if (std::ferror(input)) {
            // The line cut off by the failure is left out; the lines before it have run.
            throw LetterFileError("Cannot read " + name + " to its end: " + std::strerror(errno) +
                                  ".");
        }
        if (count < bytes.size()) {
            break;
        }
    }
    text.clear();
    decoder.finish(text);
    splitter.feed(text);
    splitter.finish();
}

}  // namespace

void readLetterSets(const std::string& path, std::FILE* input,
                    const engine::LetterLineSplitter::Sink& onEntry, std::size_t longestLine) {
    if (path == "-") {
        readStream(input, "standard input", onEntry, longestLine);
        return;
    }
    // Opened here rather than by the window's letter-file reader: a pipe or a device named on
    // the command line is a fair source for a batch tool.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!file) {
        throw LetterFileError("Cannot open the letter file '" + path +
                              "': " + std::strerror(errno) + ".");
    }
    readStream(file.get(), "the letter file '" + path + "'", onEntry, longestLine);
}

bool forEachLetterSet(std::span<const LetterSource> sources, std::FILE* input, std::FILE* err,
                      const engine::LetterLineSplitter::Sink& onEntry, std::size_t longestLine) {
    bool allRead = true;
    for (const LetterSource& source : sources) {
        if (source.kind == LetterSource::Kind::Argument) {
            onEntry(decodeTyped(source.text));  // malformed bytes kept, for the tsv echo
            continue;
        }
        try {
            readLetterSets(source.text, input, onEntry, longestLine);
        } catch (const LetterFileError& failure) {
            std::fprintf(err, "%s\n", diagnostic(failure.what()).c_str());
            allRead = false;
        }
    }
    return allRead;
}

}  // namespace wordloom::cli
