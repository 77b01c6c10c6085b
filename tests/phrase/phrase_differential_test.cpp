// The phrase search against the brute-force reference on generated dictionaries and phrases,
// blanks and options included; and the parallel runner against the single-threaded one.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "phrase/phrase_reference.h"
#include "phrase/phrase_test_support.h"

namespace wordloom::tests {
namespace {

using engine::PhraseOptions;

// A phrase that has anagrams more often than random letters do: a few dictionary words run
// together and shuffled, some letters turned into blanks, with spaces, capitals and
// punctuation thrown in (all of which the phrase drops or lowers).
std::u16string phraseFrom(std::mt19937& random, const std::vector<std::u16string>& items,
                          std::u16string_view alphabet, int maxLetters, int maxBlanks) {
    std::u16string letters;
    if (random() % 5 == 0) {
        letters = randomText(random, alphabet, 0, maxLetters);
    } else {
        const int words = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < words; ++i) {
            letters += items[random() % items.size()];
        }
    }
    if (static_cast<int>(letters.size()) > maxLetters) {
        letters.resize(static_cast<std::size_t>(maxLetters));
    }
    std::shuffle(letters.begin(), letters.end(), random);
    const int blanks = static_cast<int>(random() % static_cast<unsigned>(maxBlanks + 1));
    for (int i = 0; i < blanks && i < static_cast<int>(letters.size()); ++i) {
        letters[static_cast<std::size_t>(i)] = u'?';
    }
    std::shuffle(letters.begin(), letters.end(), random);
    std::u16string phrase;
    for (const char16_t unit : letters) {
        switch (random() % 8) {
            case 0:
                phrase += u' ';
                break;
            case 1:
                phrase += u"-'";
                break;
            default:
                break;
        }
        phrase += (unit >= u'a' && unit <= u'z' && random() % 4 == 0)
                      ? static_cast<char16_t>(unit - 0x20)
                      : unit;
    }
    return phrase;
}

PhraseOptions randomOptions(std::mt19937& random, const std::vector<std::u16string>& items) {
    PhraseOptions options;
    switch (random() % 4) {
        case 0:
            options.lengths = engine::phraseLengthsBetween(1, 64);
            break;
        case 1:
            options.lengths = engine::phraseLengthsBetween(2, 64);
            break;
        case 2:
            options.lengths = engine::phraseLengthsBetween(1 + static_cast<int>(random() % 3),
                                                           3 + static_cast<int>(random() % 4));
            break;
        default:
            options.lengths = random() & 0x3F;
            break;
    }
    if (random() % 3 == 0) {
        options.maxWords = 1 + static_cast<std::uint32_t>(random() % 4);
    }
    if (random() % 4 == 0) {
        options.contain.push_back(items[random() % items.size()]);
        if (random() % 3 == 0) {
            options.contain.push_back(random() % 2 == 0 ? items[random() % items.size()]
                                                        : std::u16string(u"Ab"));
        }
    }
    if (random() % 6 == 0) {
        options.linePrefix = "p\t";
    }
    return options;
}

void expectSameAsReference(const std::vector<std::u16string>& items, std::mt19937& random,
                           std::u16string_view alphabet, int phrases, int maxLetters,
                           int maxBlanks) {
    const PhraseDictionary dictionary(items);
    for (int p = 0; p < phrases; ++p) {
        const std::u16string phrase = phraseFrom(random, items, alphabet, maxLetters, maxBlanks);
        const PhraseOptions options = randomOptions(random, items);
        const reference::PhraseAnswer expected =
            reference::referencePhraseAnagrams(items, phrase, options);
        SCOPED_TRACE(engine::encodeUtf8(phrase));
        if (expected.error) {
            EXPECT_THROW(searchText(dictionary, phrase, options), engine::PhraseError);
            continue;
        }
        const std::string text = searchText(dictionary, phrase, options);
        std::vector<std::string> lines = splitLines(text);
        std::sort(lines.begin(), lines.end());
        ASSERT_EQ(lines, expected.lines);
        ASSERT_EQ(searchText(dictionary, phrase, options, 2), text);
    }
}

TEST(PhraseDifferential, AgreesWithReferenceOnSmallAlphabets) {
    std::mt19937 random(5);
    for (int round = 0; round < 6; ++round) {
        const std::u16string alphabet = round % 2 == 0 ? u"abcde" : u"aeinrstlo";
        std::vector<std::u16string> items;
        for (int i = 0; i < 70; ++i) {
            items.push_back(randomText(random, alphabet, 1, 5));
        }
        for (int i = 0; i < 10; ++i) {  // anagram classes with several members
            std::u16string anagram = items[static_cast<std::size_t>(i)];
            std::shuffle(anagram.begin(), anagram.end(), random);
            items.push_back(anagram);
        }
        items.push_back(items[3]);  // the same word twice
        expectSameAsReference(items, random, alphabet, 60, 9, 2);
    }
}

// Capitals, apostrophes, digits and letters beyond ASCII in the dictionary.
TEST(PhraseDifferential, AgreesWithReferenceOnWordsOfAnyCharacters) {
    std::mt19937 random(17);
    const std::u16string alphabet = u"abeAB'1\u00e9\u00c9\u00df";
    std::vector<std::u16string> items;
    for (int i = 0; i < 90; ++i) {
        items.push_back(randomText(random, alphabet, 1, 5));
    }
    expectSameAsReference(items, random, alphabet, 120, 9, 2);
}

// Phrases of 17 to 44 distinct letters, so the letter counts take the wider vectors too.
TEST(PhraseDifferential, AgreesWithReferenceWithManyDistinctLetters) {
    std::mt19937 random(29);
    std::u16string alphabet;
    for (char16_t unit = u'a'; unit <= u'z'; ++unit) {
        alphabet += unit;
    }
    for (char16_t unit = 0x3B1; unit <= 0x3C9; ++unit) {  // Greek small letters
        if (unit != 0x3C2) {
            alphabet += unit;
        }
    }
    for (const std::size_t distinct : {20u, 30u, 44u}) {
        const std::u16string letters = alphabet.substr(0, distinct);
        std::vector<std::u16string> items;
        for (int i = 0; i < 90; ++i) {
            items.push_back(randomText(random, letters, 2, 3));
        }
        const PhraseDictionary dictionary(items);
        for (int p = 0; p < 10; ++p) {
            std::u16string phrase;
            for (int w = 0; w < 7; ++w) {
                phrase += items[random() % items.size()];
            }
            PhraseOptions options;
            options.maxWords = 2 + static_cast<std::uint32_t>(random() % 6);
            const reference::PhraseAnswer expected =
                reference::referencePhraseAnagrams(items, phrase, options);
            std::vector<std::string> lines = splitLines(searchText(dictionary, phrase, options));
            std::sort(lines.begin(), lines.end());
            ASSERT_EQ(lines, expected.lines) << "distinct letters " << distinct;
        }
    }
}

// Up to 56 distinct letters in blocks of four: a pair word for each half block and a word for
// each whole block, so 2^blocks anagrams, every one made of whole blocks. 20, 32, 44 and 56
// letters take each vector width of the search.
TEST(PhraseDifferential, FindsEveryAnagramOfManyDistinctLetters) {
    std::u16string alphabet;
    for (char16_t unit = 0x3B1; alphabet.size() < 25; ++unit) {
        if (unit != 0x3C2) {
            alphabet += unit;
        }
    }
    for (char16_t unit = u'a'; unit <= u'z'; ++unit) {
        alphabet += unit;
    }
    alphabet += u"\u00e0\u00e1\u00e2\u00e3\u00e4";
    for (const std::size_t blocks : {5u, 8u, 11u, 14u}) {
        const std::u16string letters = alphabet.substr(0, 4 * blocks);
        std::vector<std::u16string> items;
        std::vector<std::string> quads;
        for (std::size_t i = 0; i < letters.size(); i += 2) {
            items.push_back(letters.substr(i, 2));
        }
        for (std::size_t i = 0; i < letters.size(); i += 4) {
            items.push_back(letters.substr(i, 4));
            quads.push_back(engine::encodeUtf8(letters.substr(i, 4)));
        }
        std::sort(quads.begin(), quads.end());
        std::string allQuads;
        for (const std::string& quad : quads) {
            allQuads += (allQuads.empty() ? "" : " ") + quad;
        }
        const PhraseDictionary dictionary(items);
        std::u16string phrase = letters;
        std::reverse(phrase.begin(), phrase.end());
        for (const unsigned jobs : {1u, 2u}) {
            const std::vector<std::string> lines =
                splitLines(searchText(dictionary, phrase, PhraseOptions{}, jobs));
            ASSERT_EQ(lines.size(), std::size_t{1} << blocks) << blocks << " blocks";
            const std::set<std::string> distinctLines(lines.begin(), lines.end());
            EXPECT_EQ(distinctLines.size(), lines.size());
            EXPECT_EQ(distinctLines.count(allQuads), 1u) << blocks << " blocks";
        }
    }
}

// The limit keeps the first N lines of the unlimited output, single-threaded and parallel.
TEST(PhraseDifferential, LimitKeepsTheFirstLines) {
    std::mt19937 random(41);
    std::vector<std::u16string> items;
    for (int i = 0; i < 60; ++i) {
        items.push_back(randomText(random, u"abcd", 1, 4));
    }
    const PhraseDictionary dictionary(items);
    PhraseOptions options;
    options.lengths = engine::phraseLengthsBetween(1, 64);
    const std::string all = searchText(dictionary, u"aabbccdd?", options);
    const std::vector<std::string> allLines = splitLines(all);
    ASSERT_GT(allLines.size(), 1000u);
    for (const std::uint64_t limit :
         {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{7}, std::uint64_t{999},
          std::uint64_t{allLines.size()}, std::uint64_t{allLines.size() + 5}}) {
        options.limit = limit;
        for (const unsigned jobs : {1u, 2u, 3u}) {
            const std::vector<std::string> lines =
                splitLines(searchText(dictionary, u"aabbccdd?", options, jobs));
            const std::size_t expected = std::min<std::size_t>(limit, allLines.size());
            ASSERT_EQ(lines, std::vector<std::string>(
                                 allLines.begin(),
                                 allLines.begin() + static_cast<std::ptrdiff_t>(expected)))
                << "limit " << limit << ", jobs " << jobs;
        }
    }
}

// Many anagrams over many pieces, across the buffer sizes: every job count gives the same bytes.
TEST(PhraseDifferential, EveryJobCountWritesTheSameBytes) {
    std::mt19937 random(43);
    std::vector<std::u16string> items;
    for (int i = 0; i < 200; ++i) {
        items.push_back(randomText(random, u"aeilnorst", 2, 6));
    }
    const PhraseDictionary dictionary(items);
    PhraseOptions options;
    options.linePrefix = "a phrase\t";
    const std::u16string phrases[] = {u"reinstallations", u"orientalist?", u"??", u"?????"};
    for (const std::u16string& phrase : phrases) {
        const std::string single = searchText(dictionary, phrase, options);
        for (const unsigned jobs : {2u, 3u, 8u}) {
            ASSERT_EQ(searchText(dictionary, phrase, options, jobs), single)
                << "jobs " << jobs << ", " << splitLines(single).size() << " lines";
        }
    }
}

}  // namespace
}  // namespace wordloom::tests
