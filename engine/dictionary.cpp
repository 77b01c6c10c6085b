#include "dictionary.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "array_sort.h"
#include "text.h"

namespace wordloom::engine {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{1} << 16;

// Splits dictionary text, handed in chunks of any size, into items and keeps those of two or
// more code units. Items end at a comma, CR or LF (CR LF is simply two separators with an empty,
// dropped item between them). Blanks before an item are skipped. An item that begins with a
// double quote runs to the closing quote (or the end of the text) and may hold commas and line
// ends; whatever follows the closing quote up to the next separator is not part of it. An
// unquoted item loses its trailing blanks.
class ItemSplitter {
public:
    explicit ItemSplitter(WordList& words) : m_words(words) {}

    void feed(std::u16string_view text) {
        const std::size_t size = text.size();
        std::size_t at = 0;
        while (at < size) {
            switch (m_state) {
                case State::BeforeItem: {
                    const char16_t unit = text[at];
                    if (unit == u'"') {
                        m_state = State::Quoted;
                        ++at;
                    } else if (unit == u' ' || isSeparator(unit)) {
                        ++at;  // a leading blank, or the end of an empty item
                    } else {
                        m_state = State::Plain;
                    }
                    break;
                }
                case State::Plain: {
                    const std::size_t end = findSeparator(text, at);
                    m_item.append(text.substr(at, end - at));
                    at = end;
                    if (at < size) {
                        ++at;
                        endPlainItem();
                    }
                    break;
                }
                case State::Quoted: {
                    const std::size_t end = std::min(text.find(u'"', at), size);
                    m_item.append(text.substr(at, end - at));
                    at = end;
                    if (at < size) {
                        ++at;
                        keepItem();
                        m_state = State::AfterQuote;
                    }
                    break;
                }
                case State::AfterQuote:
                    at = findSeparator(text, at);
                    if (at < size) {
                        ++at;
                        m_state = State::BeforeItem;
                    }
                    break;
            }
        }
    }

    // The end of the text ends the item in progress.
    void finish() {
        if (m_state == State::Plain) {
            endPlainItem();
        } else if (m_state == State::Quoted) {
            keepItem();
        }
        m_state = State::BeforeItem;
    }

private:
    enum class State { BeforeItem, Plain, Quoted, AfterQuote };

    static bool isSeparator(char16_t unit) {
        return unit == u',' || unit == u'\r' || unit == u'\n';
    }

    static std::size_t findSeparator(std::u16string_view text, std::size_t from) {
        while (from < text.size() && !isSeparator(text[from])) {
            ++from;
        }
        return from;
    }

    void endPlainItem() {
        const std::size_t kept = m_item.find_last_not_of(u' ');
        m_item.resize(kept == std::u16string::npos ? 0 : kept + 1);
        keepItem();
        m_state = State::BeforeItem;
    }

    void keepItem() {
        if (m_item.size() > 1) {
            m_words.append(m_item);
        }
        m_item.clear();
    }

    WordList& m_words;
    State m_state = State::BeforeItem;
    std::u16string m_item;
};

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

DictionaryLoader::DictionaryLoader(std::string path)
    : m_path(std::move(path)), m_dictionary(std::make_shared<Dictionary>()) {}

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

    // Upper bounds from the file size: every kept item has at least two units, each from at
    // least one byte, and a separator after it. Pages reserved but never written cost nothing,
    // while growing the list step by step would copy it again and again.
    std::error_code sizeError;
    const auto fileSize = std::filesystem::file_size(m_path, sizeError);
    if (!sizeError) {
        words.reserve(static_cast<std::size_t>(fileSize),
                      static_cast<std::size_t>(fileSize / 3 + 1));
    }

    // Small chunks that stay in the cache: the text goes straight from them into the list.
    const std::unique_ptr<char[]> bytes(new char[kChunkBytes]);
    std::u16string text;
    Utf8Decoder decoder;
    ItemSplitter splitter(words);
    for (;;) {
        const std::size_t read = std::fread(bytes.get(), 1, kChunkBytes, m_source->file);
        text.clear();
        decoder.feed(std::string_view(bytes.get(), read), text);
        splitter.feed(text);
        if (std::ferror(m_source->file) != 0) {
            // The item cut off by the failure is left out; those before it stay.
            words.seal();
            throw std::runtime_error("Cannot read the dictionary file '" + m_path +
                                     "' to its end; only the " + std::to_string(words.size()) +
                                     " words before the failure are loaded.");
        }
        if (read < kChunkBytes) {
            break;
        }
    }
    text.clear();
    decoder.finish(text);
    splitter.feed(text);
    splitter.finish();
    words.seal();
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
    try {
        BuildLetterIndex(dictionary.m_words, dictionary.m_letterIndex);
    } catch (...) {
        // The matcher still gets its index, so runs work on the whole list.
        dictionary.m_matchIndex.build(dictionary.m_words);
        throw;
    }
    dictionary.m_matchIndex.build(dictionary.m_words);
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
