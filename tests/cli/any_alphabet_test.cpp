// Word lists in other alphabets than a-z: German, French, Polish, Ukrainian and Greek words,
// capitals, decomposed accents, "ß", several scripts in one list and more than 64 distinct
// letters, each through the real tool against the letter rule written out plainly.
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/text.h"
#include "letter_rule_reference.h"
#include "tool_fixture.h"

namespace {

using namespace wordloom::cli::tool_test;
using wordloom::engine::decodeUtf8;
using wordloom::engine::encodeUtf8;

const std::vector<std::u16string> kGerman = {
    u"Größe",  u"größer",  u"Öl",         u"Äpfel", u"Apfel",
    u"Straße", u"Strasse", u"Maß",        u"Masse", u"Ähre",
    u"Ehre",   u"Übel",    u"übel",       u"über",  u"Rübe",
    u"Erbe",   u"Gras",    u"Ofen",       u"Öfen",  u"Bär",
    u"bar",    u"ERDE",    u"Mu\u0308ll", u"Müll",  u"Eröffnungsgespräch"};
const std::vector<std::u16string> kFrench = {u"été",       u"e\u0301te\u0301",
                                             u"étude",     u"élève",
                                             u"Élève",     u"ça",
                                             u"garçon",    u"où",
                                             u"ou",        u"Noël",
                                             u"noël",      u"cœur",
                                             u"œuvre",     u"île",
                                             u"hôtel",     u"forêt",
                                             u"fête",      u"fete",
                                             u"crème",     u"crêpe",
                                             u"éclair",    u"la",
                                             u"là",        u"aujourd'hui",
                                             u"porte-clé", u"étalée"};
const std::vector<std::u16string> kPolish = {u"żółw", u"źle",  u"łódź", u"Łódź", u"część",
                                             u"ćma",  u"gęś",  u"pies", u"mąka", u"ręka",
                                             u"łąka", u"Żaba", u"zaba", u"sól",  u"sol"};
const std::vector<std::u16string> kUkrainian = {u"їжак",  u"Київ",   u"ґанок",  u"яблуко",
                                                u"слово", u"Жовтий", u"жовтий", u"м'ясо",
                                                u"кіт",   u"кит",    u"їж",     u"ЄВРО"};
const std::vector<std::u16string> kGreek = {u"ώρα",   u"ΏΡΑ",   u"ορα",   u"άλφα",
                                            u"αλφα",  u"λόγος", u"Λόγος", u"σοφία",
                                            u"ΣΟΦΊΑ", u"πόλη",  u"πολη",  u"ἄλφα"};

// Every list above, two alphabets in full (well over 64 distinct letters together) and a letter
// beyond the basic plane (Deseret, which has case).
std::vector<std::u16string> mixedList() {
    std::vector<std::u16string> words;
    for (const auto* list : {&kGerman, &kFrench, &kPolish, &kUkrainian, &kGreek}) {
        words.insert(words.end(), list->begin(), list->end());
    }
    words.emplace_back(u"αβγδεζηθικλμνξοπρστυφχψω");
    words.emplace_back(u"абвгґдеєжзиіїйклмн");
    words.emplace_back(u"опрстуфхцчшщьюя");
    words.emplace_back(u"\U00010400\U00010429");  // 𐐀𐐩
    return words;
}

std::u16string decomposed(const std::u16string& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::u16string out(text.size() * 4 + 8, u'\0');
    const int32_t length = unorm2_normalize(unorm2_getNFDInstance(&status), text.data(),
                                            static_cast<int32_t>(text.size()), out.data(),
                                            static_cast<int32_t>(out.size()), &status);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// Letter sets as people type them: the letters of one to three words of the list (the words'
// own spelling, so accents come precomposed or not), shuffled, cut short, in random case, with
// up to two blanks, and every third one decomposed.
std::vector<std::string> letterSetsFor(const std::vector<std::u16string>& words, int count,
                                       bool asPhrases) {
    std::mt19937 random(static_cast<unsigned>(words.size()) * 31 + (asPhrases ? 1 : 0));
    std::vector<std::string> sets;
    for (int i = 0; i < count; ++i) {
        std::u32string letters;
        const int wordCount = 1 + static_cast<int>(random() % 3);
        for (int w = 0; w < wordCount; ++w) {
            if (asPhrases && w > 0) {
                letters += U' ';
            }
            letters += codePointsOf(words[random() % words.size()]);
        }
        if (!asPhrases) {
            std::shuffle(letters.begin(), letters.end(), random);
            letters.resize(std::min<std::size_t>(letters.size(), 2 + random() % 12));
        }
        for (char32_t& c : letters) {
            if (random() % 2 == 0) {
                c = static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
            }
        }
        for (int blank = static_cast<int>(random() % 3); blank > 0 && !letters.empty(); --blank) {
            letters[random() % letters.size()] = U'?';
        }
        std::u16string set = unitsOf(letters);
        if (i % 3 == 0) {
            set = decomposed(set);
        }
        sets.push_back(encodeUtf8(set));
    }
    return sets;
}

std::string listFile(const std::vector<std::u16string>& words) {
    std::string text;
    for (const std::u16string& word : words) {
        text += encodeUtf8(word) + "\n";
    }
    return text;
}

// The list in the tool's order: ascending UTF-16, duplicates kept.
std::vector<std::u16string> sorted(std::vector<std::u16string> words) {
    std::sort(words.begin(), words.end());
    return words;
}

struct NamedList {
    const char* name;
    std::vector<std::u16string> words;
};

std::vector<NamedList> everyList() {
    return {{"German", kGerman},       {"French", kFrench}, {"Polish", kPolish},
            {"Ukrainian", kUkrainian}, {"Greek", kGreek},   {"mixed", mixedList()}};
}

TEST_F(UnscrambleTool, ListsTheWordsOfAnyAlphabetAsTheLetterRuleSpellsThem) {
    for (const NamedList& list : everyList()) {
        writeFile(m_dir / "list.txt", listFile(list.words));
        const std::vector<std::string> sets = letterSetsFor(list.words, 120, false);
        writeFile(m_dir / "sets.txt", textOfLines(sets));
        for (const bool fold : {false, true}) {
            const std::string expected = referenceWordRows(sorted(list.words), sets, 2, 27, fold);
            ASSERT_FALSE(expected.empty()) << list.name;
            for (const char* jobs : {"1", "2"}) {
                std::vector<std::string> arguments = {"-d",       (m_dir / "list.txt").string(),
                                                      "-f",       (m_dir / "sets.txt").string(),
                                                      "--format", "tsv",
                                                      "-l",       "2-27",
                                                      "-j",       jobs};
                if (fold) {
                    arguments.emplace_back("--fold");
                }
                const ToolRun result = run(arguments);
                EXPECT_EQ(result.status, 0) << result.err;
                EXPECT_EQ(result.err, "") << list.name;
                EXPECT_TRUE(result.out == expected)
                    << list.name << (fold ? " folded" : "") << " with " << jobs << " jobs";
            }
        }
    }
}

// Phrase mode takes the letters of the basic plane; its lines, each as a sorted set of words,
// are the anagrams of the plainly written rule.
std::map<std::string, std::set<std::string>> anagramsByPhrase(const std::string& tsv) {
    std::map<std::string, std::set<std::string>> byPhrase;
    std::size_t start = 0;
    while (start < tsv.size()) {
        const std::size_t end = tsv.find('\n', start);
        const std::string line = tsv.substr(start, end - start);
        start = end + 1;
        const std::size_t tab = line.find('\t');
        std::vector<std::string> words;
        std::size_t from = tab + 1;
        while (from <= line.size()) {
            const std::size_t space = std::min(line.find(' ', from), line.size());
            words.push_back(line.substr(from, space - from));
            from = space + 1;
        }
        std::sort(words.begin(), words.end());
        std::string anagram;
        for (const std::string& word : words) {
            anagram += (anagram.empty() ? "" : " ") + word;
        }
        byPhrase[line.substr(0, tab)].insert(anagram);
    }
    return byPhrase;
}

// The anagrams one side lists and the other does not, a line each.
std::string differences(const std::map<std::string, std::set<std::string>>& found,
                        const std::map<std::string, std::set<std::string>>& expected) {
    std::set<std::string> keys;
    for (const auto* side : {&found, &expected}) {
        for (const auto& entry : *side) {
            keys.insert(entry.first);
        }
    }
    std::string text;
    for (const std::string& phrase : keys) {
        const auto listed = [&phrase](const auto& side) {
            const auto at = side.find(phrase);
            return at == side.end() ? std::set<std::string>() : at->second;
        };
        const std::set<std::string> have = listed(found);
        const std::set<std::string> want = listed(expected);
        for (const std::string& anagram : have) {
            if (!want.contains(anagram)) {
                text += phrase + ": not expected: " + anagram + "\n";
            }
        }
        for (const std::string& anagram : want) {
            if (!have.contains(anagram)) {
                text += phrase + ": missing: " + anagram + "\n";
            }
        }
    }
    return text;
}

TEST_F(UnscrambleTool, FindsThePhraseAnagramsOfAnyAlphabetAsTheLetterRuleSpellsThem) {
    for (NamedList& list : everyList()) {
        std::erase_if(list.words, [](const std::u16string& word) {
            return std::any_of(word.begin(), word.end(),
                               [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; });
        });
        writeFile(m_dir / "list.txt", listFile(list.words));
        std::vector<std::string> phrases = letterSetsFor(list.words, 12, true);
        std::sort(phrases.begin(), phrases.end());
        phrases.erase(std::unique(phrases.begin(), phrases.end()), phrases.end());
        writeFile(m_dir / "phrases.txt", textOfLines(phrases));
        for (const bool fold : {false, true}) {
            std::map<std::string, std::set<std::string>> expected;
            for (const std::string& phrase : phrases) {
                const std::vector<std::string> anagrams =
                    referencePhraseAnagrams(sorted(list.words), decodeUtf8(phrase), fold);
                if (!anagrams.empty()) {
                    expected[phrase].insert(anagrams.begin(), anagrams.end());
                }
            }
            ASSERT_FALSE(expected.empty()) << list.name;
            for (const char* jobs : {"1", "2"}) {
                std::vector<std::string> arguments = {"-a",
                                                      "-d",
                                                      (m_dir / "list.txt").string(),
                                                      "-f",
                                                      (m_dir / "phrases.txt").string(),
                                                      "--format",
                                                      "tsv",
                                                      "-j",
                                                      jobs};
                if (fold) {
                    arguments.emplace_back("--fold");
                }
                const ToolRun result = run(arguments);
                EXPECT_EQ(result.status, 0) << result.err;
                EXPECT_EQ(differences(anagramsByPhrase(result.out), expected), "")
                    << list.name << (fold ? " folded" : "") << " with " << jobs << " jobs";
            }
        }
    }
}

// The new user's attempts: a capitalised German noun, and French words that begin with é.
TEST_F(UnscrambleTool, FindsCapitalisedWordsAndWordsBeginningWithAnAccentedLetter) {
    writeFile(m_dir / "list.txt", listFile({u"Größe", u"Göre", u"er", u"reg", u"Äpfel", u"été",
                                            u"étal", u"étalé", u"tale", u"talée"}));
    const std::string list = (m_dir / "list.txt").string();
    EXPECT_EQ(run({"-d", list, "größe"}).out, "Größe\nGöre\ner\nreg\n");
    EXPECT_EQ(run({"-d", list, "PFÄLE"}).out, "Äpfel\n");
    EXPECT_EQ(run({"-d", list, "étéla"}).out, "étal\nétalé\nété\n");
    EXPECT_EQ(run({"-d", list, "--fold", "étéla"}).out, "tale\ntalée\nétal\nétalé\nété\n");
}

}  // namespace

// Debian's `an` folds accents too: with --fold the tool lists the words it lists on Debian's own
// German and French lists, where the two foldings agree. `an` also writes "ß" as "ss"
// and ligatures as two letters, and lists one-letter words and words with punctuation: those are
// left out of the comparison (the letter sets hold none of them).
std::set<std::string> comparableWords(const std::string& lines) {
    std::set<std::string> words;
    std::istringstream stream(lines);
    for (std::string word; std::getline(stream, word);) {
        const std::u16string text = decodeUtf8(word);
        const bool lettersOnly = std::all_of(text.begin(), text.end(), [](char16_t unit) {
            return u_isalpha(unit) != 0 && unit != u'ß' && unit != u'æ' && unit != u'Æ' &&
                   unit != u'œ' && unit != u'Œ';
        });
        if (lettersOnly && text.size() >= 2) {
            words.insert(word);
        }
    }
    return words;
}

TEST_F(UnscrambleTool, FoldsAccentsAsDebiansAnDoesOnItsWordLists) {
    const std::string an = "/usr/games/an";
    if (access(an.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "Debian's an is not installed";
    }
    int lists = 0;
    int compared = 0;  // letter sets that spell a word
    for (const char* path : {"/usr/share/dict/ngerman", "/usr/share/dict/french"}) {
        if (access(path, R_OK) != 0) {
            continue;
        }
        ++lists;
        // Seven letters of words of the list, so that the sets spell something.
        const std::vector<std::string> lines = linesOf(readFile(path));
        std::mt19937 random(2026);
        std::vector<std::string> sets;
        while (sets.size() < 5) {
            std::u32string letters;
            for (int w = 0; w < 2; ++w) {
                letters += codePointsOf(decodeUtf8(lines[random() % lines.size()]));
            }
            std::shuffle(letters.begin(), letters.end(), random);
            letters.resize(std::min<std::size_t>(letters.size(), 7));
            const std::u16string set = unitsOf(letters);
            if (std::all_of(set.begin(), set.end(), [](char16_t unit) {
                    return u_isalpha(unit) != 0 && unit != u'ß' && unit != u'æ' && unit != u'œ';
                })) {
                sets.push_back(encodeUtf8(set));
            }
        }
        for (const std::string& set : sets) {
            const ToolRun ours = run({"-d", path, "--fold", "-l", "2-27", set});
            const ToolRun theirs = runProgram(an, {"-w", "-d", path, set});
            ASSERT_EQ(ours.status, 0) << ours.err;
            const std::set<std::string> words = comparableWords(ours.out);
            EXPECT_EQ(words, comparableWords(theirs.out)) << path << " " << set;
            compared += words.empty() ? 0 : 1;
        }
    }
    if (lists == 0) {
        GTEST_SKIP() << "neither Debian's German nor its French word list is installed";
    }
    EXPECT_GT(compared, 0);
}
