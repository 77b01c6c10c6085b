// Feeds arbitrary bytes, in chunks of random sizes, to the UTF-8 decoder and the letter-file
// line splitter: the entries must not depend on where the chunks break, and must equal those of
// a plain reading of the line rules over the whole text.
//
// Input: four bytes that seed the chunk sizes, then the letter file's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/letter_file.h"
#include "engine/text.h"

namespace {

using namespace wordloom;
using Entries = std::vector<std::u16string>;

class ChunkSizes {
public:
    explicit ChunkSizes(std::uint32_t seed) : m_state(seed | 1u) {}
    // Mostly tiny chunks (splitting CR LF and UTF-8 sequences), now and then an empty or a long
    // one.
    std::size_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return (m_state & 0x30u) == 0 ? m_state % 4096 : m_state % 5;
    }

private:
    std::uint32_t m_state;
};

std::u16string_view trimBlanks(std::u16string_view text) {
    const std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

// The line rules read plainly: lines end at CR, CR LF or the end of the text (a final line end
// starts no further line); an LF that ends the whole text ends its line, which is empty when the
// LF follows a line end; inside a line every LF splits a piece off; every piece loses its blanks
// at both ends.
Entries literalEntries(std::u16string_view text) {
    if (!text.empty() && text.back() == u'\n' && !text.ends_with(u"\r\n")) {
        text.remove_suffix(1);
        if (text.empty() || text.back() == u'\r' || text.ends_with(u"\r\n")) {
            Entries entries = literalEntries(text);
            entries.emplace_back();  // the empty line that the final LF ended
            return entries;
        }
    }
    Entries entries;
    while (!text.empty()) {
        std::size_t end = text.find(u'\r');
        std::u16string_view line = text.substr(0, end);
        while (true) {
            const std::size_t lf = line.find(u'\n');
            entries.emplace_back(trimBlanks(line.substr(0, lf)));
            if (lf == std::u16string_view::npos) {
                break;
            }
            line.remove_prefix(lf + 1);
        }
        if (end == std::u16string_view::npos) {
            break;
        }
        end += text.substr(end).starts_with(u"\r\n") ? 2 : 1;
        text.remove_prefix(end);
    }
    return entries;
}

Entries split(std::u16string_view text, ChunkSizes* chunks) {
    Entries entries;
    engine::LetterLineSplitter splitter(
        [&entries](std::u16string&& entry) { entries.push_back(std::move(entry)); });
    while (!text.empty()) {
        const std::size_t size = chunks ? std::min(chunks->next(), text.size()) : text.size();
        splitter.feed(text.substr(0, size));
        text.remove_prefix(size);
    }
    splitter.finish();
    return entries;
}

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    ChunkSizes chunks(static_cast<std::uint32_t>(data[0] | data[1] << 8 | data[2] << 16) |
                      static_cast<std::uint32_t>(data[3]) << 24);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 4, size - 4);

    const std::u16string text = engine::decodeUtf8(bytes);
    std::u16string decoded;
    engine::Utf8Decoder decoder;
    for (std::string_view rest = bytes; !rest.empty();) {
        const std::size_t chunk = std::min(chunks.next(), rest.size());
        decoder.feed(rest.substr(0, chunk), decoded);
        rest.remove_prefix(chunk);
    }
    decoder.finish(decoded);
    require(decoded == text, "The chunked decoder differs from decoding the whole text.");

    const Entries whole = split(text, nullptr);
    require(split(text, &chunks) == whole, "The entries depend on where the chunks break.");
    require(whole == literalEntries(text), "The entries differ from the plain line rules.");
    return 0;
}
