#include "dictionary.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "array_sort.h"
#include "huge_page_buffer.h"
#include "text.h"

namespace wordloom::engine {

namespace {

// Read size when the file's size cannot be known beforehand (the buffer doubles from there).
constexpr std::size_t kUnknownSizeBytes = std::size_t{1} << 16;

constexpr bool isSeparator(unsigned char byte) {
    return byte == ',' || byte == '\r' || byte == '\n';
}

// Eight bytes at a time: the text is scanned as 64-bit blocks, byte i of the text in bits 8i to
// 8i + 7 whatever the processor's byte order, and a test marks each byte by its top bit.
constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
constexpr std::uint64_t kTopBits = 0x8080808080808080u;

std::uint64_t loadBlock(const unsigned char* at) {
    std::uint64_t block;
    std::memcpy(&block, at, sizeof block);
    if constexpr (std::endian::native == std::endian::big) {
        std::uint64_t swapped = 0;
        for (int i = 0; i < 8; ++i, block >>= 8) {
            swapped = (swapped << 8) | (block & 0xFF);
        }
        block = swapped;
    }
    return block;
}

// The top bit of each byte of `block` that equals `byte` (exact: no carry crosses bytes).
std::uint64_t bytesEqual(std::uint64_t block, unsigned char byte) {
    const std::uint64_t difference = block ^ (kEveryByte * byte);
    return ~(((difference & ~kTopBits) + ~kTopBits) | difference | ~kTopBits);
}

// How many bytes of `marks` have their top bit set (the other bits being clear): the multiply
// adds the eight bytes up into the top one.
std::size_t markedBytes(std::uint64_t marks) {
    return static_cast<std::size_t>(((marks >> 7) * kEveryByte) >> 56);
}

// Writes the eight bytes of `block` as eight code units.
void widenBlock(std::uint64_t block, char16_t* out) {
    if constexpr (std::endian::native == std::endian::little) {
        for (const int half : {0, 1}) {
            std::uint64_t units = (block >> (32 * half)) & 0xFFFFFFFFu;
            units = (units | (units << 16)) & 0x0000FFFF0000FFFFu;
            units = (units | (units << 8)) & 0x00FF00FF00FF00FFu;
            std::memcpy(out + std::ptrdiff_t{4} * half, &units, sizeof units);
        }
    } else {
        for (int i = 0; i < 8; ++i) {
            out[i] = static_cast<char16_t>((block >> (8 * i)) & 0xFF);
        }
    }
}

std::uint64_t separatorBytes(std::uint64_t block) {
    return bytesEqual(block, ',') | bytesEqual(block, '\r') | bytesEqual(block, '\n');
}

// An upper bound of the items in the text: each one begins in its own run of bytes that are
// not separators (the next item starts after a separator that follows the previous item).
std::size_t countItemRuns(const unsigned char* from, const unsigned char* end) {
    std::size_t runs = 0;
    std::uint64_t separatorBefore = 0x80;  // the text starts as if after a separator
    for (; end - from >= 8; from += 8) {
        const std::uint64_t separators = separatorBytes(loadBlock(from));
        runs += markedBytes(((separators << 8) | separatorBefore) & ~separators);
        separatorBefore = separators >> 56;
    }
    bool afterSeparator = separatorBefore != 0;
    for (; from != end; ++from) {
        const bool separator = isSeparator(*from);
        runs += static_cast<std::size_t>(afterSeparator && !separator);
        afterSeparator = separator;
    }
    return runs;
}

// Decodes the run of non-ASCII bytes at `at` and moves `at` past it. An ASCII byte always
// follows the run (a separator, a quote or the closing '\n'), which stops the scan.
char16_t* decodeNonAscii(const unsigned char*& at, char16_t* out) {
    const unsigned char* const run = at;
    while (*at >= 0x80) {
        ++at;
    }
    return decodeUtf8Part(
        std::string_view(reinterpret_cast<const char*>(run), static_cast<std::size_t>(at - run)),
        out);
}

// Decodes [from, end) to `out`; the byte at `end` is ASCII.
char16_t* decodeBytes(const unsigned char* from, const unsigned char* end, char16_t* out) {
    while (from != end) {
        if (*from < 0x80) {
            *out++ = *from++;
        } else {
            out = decodeNonAscii(from, out);
        }
    }
    return out;
}

// Splits dictionary text into items and keeps those of `shortest` or more code units (two for the
// word search, one for phrase anagrams, which may use "a" and "I"). Items end at a
// comma, CR or LF (CR LF is simply two separators with an empty, dropped item between them).
// Blanks before an item are skipped. An item that begins with a double quote runs to the closing
// quote (or the end of the text) and may hold commas and line ends; whatever follows the closing
// quote up to the next separator is not part of it. An unquoted item loses its trailing blanks.
//
// Separators, quotes and blanks are ASCII, and a UTF-8 sequence never continues across an ASCII
// byte, so the bytes are split first and each item is decoded on its own, straight into the
// word list's text (a byte gives at most one code unit, so the room that `words` reserves for
// the byte count suffices). The byte at `end` must be a '\n', which stops every scan. When the
// text is `cutOff` by a read failure, the item that runs into its end is left out.
void splitItems(const unsigned char* at, const unsigned char* const end, bool cutOff,
                std::ptrdiff_t shortest, WordList& words) {
    char16_t* out = words.freeRoom();
    auto keep = [&](char16_t* const word) {
        if (out - word >= shortest) {
            words.appendWritten(word, static_cast<std::size_t>(out - word));
        } else {
            out = word;
        }
    };
    while (at < end) {
        const unsigned char first = *at;
        if (first == ' ' || isSeparator(first)) {
            ++at;  // a leading blank, or the end of an empty item
            continue;
        }
        char16_t* const word = out;
        if (first == '"') {
            const auto* quote = static_cast<const unsigned char*>(
                std::memchr(at + 1, '"', static_cast<std::size_t>(end - (at + 1))));
            const unsigned char* const itemEnd = quote != nullptr ? quote : end;
            if (quote == nullptr && cutOff) {
                break;
            }
            out = decodeBytes(at + 1, itemEnd, out);
            keep(word);
            at = itemEnd;
            while (!isSeparator(*at)) {
                ++at;
            }
            ++at;
            continue;
        }
        for (;;) {
            // Whole blocks of plain ASCII go over eight units at a time. Writing all eight even
            // when the item ends inside the block stays within the room: the units written never
            // outnumber the bytes read, and the block lies before `end`.
            while (end - at >= 8) {
                const std::uint64_t block = loadBlock(at);
                widenBlock(block, out);
                const std::uint64_t stops = separatorBytes(block) | (block & kTopBits);
                if (stops != 0) {
                    const int plain = std::countr_zero(stops) / 8;
                    at += plain;
                    out += plain;
                    break;
                }
                at += 8;
                out += 8;
            }
            const unsigned char byte = *at;
            if (isSeparator(byte)) {
                break;
            }
            if (byte < 0x80) {
                *out++ = byte;
                ++at;
            } else {
                out = decodeNonAscii(at, out);
            }
        }
        if (at == end && cutOff) {
            out = word;
            break;
        }
        while (out != word && out[-1] == u' ') {
            --out;
        }
        keep(word);
        ++at;
    }
}

// The whole file in memory, followed by the '\n' that splitItems needs.
struct FileBytes {
    HugePageBuffer<unsigned char> bytes;
    bool failed = false;
};

// The load holds the file's bytes, their text (two bytes per byte) and a view per item at once.
// Where that is more than the machine's memory, the allocations may still be granted (memory is
// overcommitted) and the process would only meet the system's out-of-memory killer once it
// touches the pages: such a file is refused up front, as if the allocation had failed. `memory`
// is the machine's memory in bytes (0: unknown, left to the allocations).
void checkLoadFitsInMemory(std::uint64_t memory, std::uint64_t fileBytes, std::uint64_t items = 0) {
    if (memory == 0) {
        return;
    }
    if (fileBytes > memory / 3 || items > (memory - 3 * fileBytes) / sizeof(std::u16string_view)) {
        throw std::bad_alloc();
    }
}

FileBytes readAll(std::FILE* file, const std::string& path, std::uint64_t memory) {
    FileBytes read;
    // With the size known, one read takes the whole file and sees its end (room for one byte
    // more than the size, plus the '\n').
    std::error_code sizeError;
    const auto fileSize = std::filesystem::file_size(path, sizeError);
    if (!sizeError) {
        checkLoadFitsInMemory(memory, fileSize);
    }
    read.bytes.reserve(sizeError ? kUnknownSizeBytes : static_cast<std::size_t>(fileSize) + 2);
    for (;;) {
        if (read.bytes.capacity() - read.bytes.size() < 2) {
            checkLoadFitsInMemory(memory, 2 * std::uint64_t{read.bytes.capacity()});
            read.bytes.reserve(2 * read.bytes.capacity());
        }
        const std::size_t room = read.bytes.capacity() - read.bytes.size() - 1;
        const std::size_t got = std::fread(read.bytes.end(), 1, room, file);
        read.bytes.resize(read.bytes.size() + got);
        if (got < room) {
            read.failed = std::ferror(file) != 0;
            break;
        }
    }
    *read.bytes.end() = '\n';
    return read;
}

// UTF-16 text read as UTF-8 gives no usable word: it starts with a byte-order mark FF FE or
// FE FF, or (without one) the zero half of every ASCII character shows as a NUL byte in every
// other byte, which the first bytes are enough to see.
bool looksLikeUtf16(const unsigned char* bytes, std::size_t size) {
    if (size >= 2 &&
        ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        return true;
    }
    constexpr std::size_t kSampleBytes = 4096;
    const std::size_t sample = std::min(size, kSampleBytes) & ~std::size_t{1};
    if (sample == 0) {
        return false;
    }
    bool evenNul = true;
    bool oddNul = true;
    for (std::size_t i = 0; i < sample; i += 2) {
        evenNul = evenNul && bytes[i] == 0;
        oddNul = oddNul && bytes[i + 1] == 0;
    }
    return evenNul || oddNul;
}

// The line (from 1) of the first NUL byte, or 0 when there is none.
std::size_t lineOfFirstNul(const unsigned char* bytes, std::size_t size) {
    const auto* nul = static_cast<const unsigned char*>(std::memchr(bytes, 0, size));
    if (nul == nullptr) {
        return 0;
    }
    return 1 + static_cast<std::size_t>(std::count(bytes, nul, '\n'));
}

// The machine's memory in bytes, or 0 when it cannot be known.
std::uint64_t machineMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageBytes = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageBytes <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageBytes);
}

}  // namespace

struct DictionaryLoader::Source {
    std::FILE* file = nullptr;
    bool finished = false;

    ~Source() {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
};

DictionaryLoader::DictionaryLoader(std::string path, std::uint64_t memoryBytes)
    : m_path(std::move(path)),
      m_dictionary(std::make_shared<Dictionary>()),
      m_memoryBytes(memoryBytes != 0 ? memoryBytes : machineMemoryBytes()) {}

DictionaryLoader::~DictionaryLoader() = default;

void DictionaryLoader::open() {
    m_source.reset();
    std::FILE* file = std::fopen(m_path.c_str(), "rb");
    if (file == nullptr) {
        throw std::runtime_error("Cannot open the dictionary file '" + m_path +
                                 "'. Check that it exists and that you may read it.");
    }
    m_source = std::make_unique<Source>();
    m_source->file = file;
}

bool DictionaryLoader::atEnd() const {
    return !m_source || m_source->finished;
}

void DictionaryLoader::readItems() {
    if (atEnd()) {
        return;  // never opened, or read already
    }
    m_source->finished = true;
    WordList& words = m_dictionary->m_words;

    // The whole file at once: one pass then splits and decodes it into the list, whose room is
    // sized from the bytes, so nothing is copied twice and no buffer grows. That takes about
    // three times the file's size; a file too large for the memory left leaves the list empty.
    bool failed = false;
    try {
        const FileBytes read = readAll(m_source->file, m_path, m_memoryBytes);
        failed = read.failed;
        const unsigned char* from = read.bytes.data();
        const unsigned char* const end = from + read.bytes.size();
        m_looksLikeUtf16 = looksLikeUtf16(from, read.bytes.size());
        m_nulByteLine = m_looksLikeUtf16 ? 0 : lineOfFirstNul(from, read.bytes.size());
        // A leading byte-order mark is dropped (exactly what decodeUtf8 does with it).
        if (end - from >= 3 && from[0] == 0xEF && from[1] == 0xBB && from[2] == 0xBF) {
            from += 3;
        }
        const std::size_t items = countItemRuns(from, end);
        checkLoadFitsInMemory(m_memoryBytes, read.bytes.size(), items);
        words.reserve(words.textUnits() + static_cast<std::size_t>(end - from),
                      words.size() + items);
        splitItems(from, end, failed, m_shortestWord, words);
        words.seal();
    } catch (const std::bad_alloc&) {
        throw std::runtime_error("Not enough memory to read the dictionary '" + m_path + "'.");
    }
    if (failed) {
        // The item cut off by the failure is left out; those before it stay.
        throw std::runtime_error("Cannot read the dictionary file '" + m_path +
                                 "' to its end; only the " + std::to_string(words.size()) +
                                 " words before the failure are loaded.");
    }
}

void DictionaryLoader::close() {
    m_source.reset();
}

void DictionaryLoader::sort() {
    auto& views = m_dictionary->m_words.views();
    // A list stored in order (as the bundled one is) is already what the sort would produce.
    if (!std::is_sorted(views.begin(), views.end())) {
        SortStrings(views);
    }
}

void DictionaryLoader::buildIndex() {
    Dictionary& dictionary = *m_dictionary;
    // The buffers freed during the load (the file, the index's scratch tables) were kept for
    // reuse; once the index stands they are given back to the system.
    struct ReleaseRetainedBlocks {
        bool keep;
        ~ReleaseRetainedBlocks() {
            if (!keep) {
                releaseRetainedBlocks();
            }
        }
    } releaseAtEnd{m_keepFreedBlocks};
    const auto buildMatchIndex = [&] {
        try {
            dictionary.m_matchIndex.build(dictionary.m_words);
        } catch (const std::bad_alloc&) {
            throw std::runtime_error("Not enough memory to index the dictionary '" + m_path + "'.");
        }
    };
    try {
        BuildLetterIndex(dictionary.m_words, dictionary.m_letterIndex);
    } catch (...) {
        // The matcher still gets its index, so runs work on the whole list.
        buildMatchIndex();
        throw;
    }
    buildMatchIndex();
}

std::shared_ptr<const Dictionary> loadDictionary(const std::string& path) {
    DictionaryLoader loader(path);
    loader.open();
    loader.readItems();
    loader.close();
    loader.sort();
    loader.buildIndex();
    return loader.dictionary();
}

}  // namespace wordloom::engine
