#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace wordloom::engine {

// Splits letter-file text into letter sets. A line ends at CR, at CR LF, or at the end of the
// text; a lone LF splits a line into pieces; every piece loses its U+0020 blanks at both ends and
// becomes one entry, empty ones included. An LF that ends the whole text ends the last line and
// adds no empty entry. Text arrives in chunks of any size; entries are handed out as they end.
class LetterLineSplitter {
public:
    using Sink = std::function<void(std::u16string&& entry)>;

    explicit LetterLineSplitter(Sink sink);
    void feed(std::u16string_view chunk);
    void finish();

private:
    void endPiece();

    Sink m_sink;
    // The piece so far from its first to its last non-blank; the blanks seen after that are only
    // counted, so a long run of blanks costs no memory unless text follows it.
    std::u16string m_piece;
    std::size_t m_pendingBlanks = 0;
    bool m_lineOpen = false;  // text (or an LF) has come since the last line end
    bool m_afterCr = false;   // the last unit was a CR, so an LF now belongs to it
    bool m_afterLf = false;   // the last unit was an LF that split a line
};

// Which files readLetterFile reads.
enum class LetterFileKinds {
    Any,          // whatever can be opened and read to its end, pipes included
    RegularOnly,  // regular files only: opening never waits for a FIFO's writer
};

// Reads a UTF-8 letter file in chunks and hands each entry to `onEntry`. Throws
// std::runtime_error naming the file when it cannot be opened or read, when it is a folder, and
// with RegularOnly when it is not a regular file (nothing is handed out then); entries handed out
// before a read failure stay with the caller.
void readLetterFile(const std::string& path, const LetterLineSplitter::Sink& onEntry,
                    LetterFileKinds kinds = LetterFileKinds::Any);

}  // namespace wordloom::engine
