#include "cli/letter_input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/output_format.h"
#include "cli/unscramble_tool.h"

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

// Decodes a letter file that arrives in chunks as decodeTyped() decodes an argument, so that a
// line that is not UTF-8 is echoed byte for byte and matches as the same bytes typed as an
// argument would. A chunk is decoded up to the start of its last sequence that may still go on
// in the next chunk; those few bytes wait for it.
class TypedChunkDecoder {
public:
    void feed(std::string_view bytes, std::u16string& out) {
        m_bytes.append(bytes);
        std::string_view ready(m_bytes);
        if (m_atStart) {
            if (ready.size() < kByteOrderMark.size() && kByteOrderMark.starts_with(ready)) {
                return;  // perhaps a byte-order mark, which the next chunk completes
            }
            if (ready.starts_with(kByteOrderMark)) {
                ready.remove_prefix(kByteOrderMark.size());
            }
            m_atStart = false;
        }
        const std::size_t waiting = openSequenceLength(ready);
        appendTypedPart(out, ready.substr(0, ready.size() - waiting));
        m_bytes.erase(0, m_bytes.size() - waiting);
    }

    void finish(std::u16string& out) {
        appendTypedPart(out, m_bytes);
        m_bytes.clear();
    }

private:
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

    // The bytes at the end of `bytes` from the last lead byte of a multi-byte sequence within
    // the last four, which more bytes might continue. Decoding as typed takes every byte that
    // is not a continuation byte as the start of a sequence, so the text can be cut there.
    static std::size_t openSequenceLength(std::string_view bytes) {
        for (std::size_t back = 1; back <= std::min<std::size_t>(4, bytes.size()); ++back) {
            const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
            if ((byte & 0xC0) != 0x80) {
                return byte >= 0xC0 ? back : 0;
            }
        }
        return 0;
    }

    std::string m_bytes;  // the chunk, after the bytes the previous one left waiting
    bool m_atStart = true;
};

// Reads `input` to its end in chunks; `name` describes it in the failure message.
void readStream(std::FILE* input, const std::string& name,
                const engine::LetterLineSplitter::Sink& onEntry, std::size_t longestLine) {
    CappedLineSplitter splitter(onEntry, longestLine + 1);
    TypedChunkDecoder decoder;
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
