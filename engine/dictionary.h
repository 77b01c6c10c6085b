#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "letter_index.h"
#include "match_index.h"
#include "word_list.h"

namespace wordloom::engine {

// The loaded dictionary: sorted words, the initial-letter index and the matcher's index.
// Read-only once loaded; shared by the window's result rows, which refer to word positions.
class Dictionary {
public:
    const WordList& words() const { return m_words; }
    const LetterIndex& letterIndex() const { return m_letterIndex; }
    const MatchIndex& matchIndex() const { return m_matchIndex; }

private:
    friend class DictionaryLoader;
    WordList m_words;
    LetterIndex m_letterIndex;
    MatchIndex m_matchIndex;
};

// Loads words.dic in the phases that start-up reports separately: open, read the items, close,
// sort, index. A phase that fails throws a std::runtime_error whose message a user can act on
// (running out of memory included); the words read before the failure stay, and the later
// phases still work on them.
class DictionaryLoader {
public:
    // `memoryBytes`: the memory a load may count on (0: the machine's); a file whose load needs
    // more is refused before the allocations, which memory overcommit would grant regardless.
    explicit DictionaryLoader(std::string path, std::uint64_t memoryBytes = 0);
    ~DictionaryLoader();

    void open();
    bool atEnd() const;
    void readItems();
    void close();
    void sort();
    void buildIndex();

    // buildIndex() gives the large blocks freed during the load back to the system. After this
    // call it leaves them retained instead, for a caller about to make large buffers of its own:
    // those then reuse memory already in place rather than fresh pages the kernel must zero
    // first. That caller calls releaseRetainedBlocks() once its buffers are made.
    void keepFreedBlocks() { m_keepFreedBlocks = true; }

    // Keeps the list's one-letter words too (before readItems), for phrase anagrams; the word
    // search leaves them out.
    void keepOneLetterWords() { m_shortestWord = 1; }

    // The dictionary as built so far (complete after buildIndex).
    std::shared_ptr<const Dictionary> dictionary() const { return m_dictionary; }

    // After readItems: the file looked like UTF-16 (a UTF-16 byte-order mark, or a NUL byte in
    // every other byte), so its words are most likely not what its author meant. The load goes
    // on regardless.
    bool textLooksLikeUtf16() const { return m_looksLikeUtf16; }
    // After readItems: the line (from 1) of the first NUL byte of a file that does not look like
    // UTF-16, whose word keeps it; 0 when there is none.
    std::size_t nulByteLine() const { return m_nulByteLine; }

private:
    struct Source;
    std::string m_path;
    std::unique_ptr<Source> m_source;
    std::shared_ptr<Dictionary> m_dictionary;
    std::uint64_t m_memoryBytes;
    bool m_looksLikeUtf16 = false;
    std::size_t m_nulByteLine = 0;
    bool m_keepFreedBlocks = false;
    std::ptrdiff_t m_shortestWord = 2;
};

// All phases in order; throws on the first failure. For the batch tool and tests.
std::shared_ptr<const Dictionary> loadDictionary(const std::string& path);

}  // namespace wordloom::engine
