#include "letter_file.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>

#include "text.h"

namespace wordloom::engine {

LetterLineSplitter::LetterLineSplitter(Sink sink) : m_sink(std::move(sink)) {}

void LetterLineSplitter::endPiece() {
    std::u16string entry = std::move(m_piece);
    m_piece.clear();
    m_pendingBlanks = 0;
    m_sink(std::move(entry));
}

void LetterLineSplitter::feed(std::u16string_view chunk) {
    for (const char16_t unit : chunk) {
        const bool afterCr = m_afterCr;
        m_afterCr = false;
        m_afterLf = false;
        switch (unit) {
            case u'\r':
                endPiece();
                m_lineOpen = false;
                m_afterCr = true;
                break;
            case u'\n':
                if (afterCr) {
                    break;  // the second half of CR LF
                }
                endPiece();
                m_lineOpen = true;
                m_afterLf = true;
                break;
            case u' ':
                if (!m_piece.empty()) {
                    ++m_pendingBlanks;  // kept only if more text follows
                }
                m_lineOpen = true;
                break;
            default:
                m_piece.append(m_pendingBlanks, u' ');
                m_pendingBlanks = 0;
                m_piece.push_back(unit);
                m_lineOpen = true;
                break;
        }
    }
}

void LetterLineSplitter::finish() {
    // A line cut off by the end of the text still counts, unless all that is left of it is the
    // empty piece after a final LF.
    if (m_lineOpen && !m_afterLf) {
        endPiece();
    }
    m_piece.clear();
    m_pendingBlanks = 0;
    m_lineOpen = false;
    m_afterCr = false;
    m_afterLf = false;
}

void readLetterFile(const std::string& path, const LetterLineSplitter::Sink& onEntry) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!file) {
        throw std::runtime_error("Cannot open the letter file '" + path +
                                 "'. Check that it exists and that you may read it.");
    }

    // Chunks keep the memory bounded by the entries themselves, whatever the file's size.
    constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
    const std::unique_ptr<char[]> bytes(new char[kChunkBytes]);
    std::u16string text;
    Utf8Decoder decoder;
    LetterLineSplitter splitter(onEntry);
    for (;;) {
        const std::size_t read = std::fread(bytes.get(), 1, kChunkBytes, file.get());
        text.clear();
        decoder.feed(std::string_view(bytes.get(), read), text);
        splitter.feed(text);
        if (std::ferror(file.get()) != 0) {
            // The line cut off by the failure is left out; the lines before it were handed out.
            throw std::runtime_error("Cannot read the letter file '" + path +
                                     "' to its end; the lines before the failure were added.");
        }
        if (read < kChunkBytes) {
            break;
        }
    }
    text.clear();
    decoder.finish(text);
    splitter.feed(text);
    splitter.finish();
}

}  // namespace wordloom::engine
