// The options of wordloom-unscramble: the one table that parsing, --help and the manual page
// are made from.

#include "cli/options.h"

namespace wordloom::cli {
namespace {

constexpr OptionEntry optionEntries[] = {
    {'d', "dictionary", 'd', "FILE", "word list to use (default: words.dic beside the program)",
     "One word per line in UTF-8; items separated by commas and double-quoted items are "
     "understood too. Words of fewer than two characters are left out. The default is the "
     "window's own list (see FILES)."},
    {'f', "file", 'f', "FILE",
     "read letter sets from FILE, one per line; \"-\" reads standard input; may be given more "
     "than once",
     "Spaces at both ends of a line are dropped; empty lines are passed over. A line may end in "
     "LF, CR LF or CR. Letter sets given as arguments and letter files run in the order of the "
     "command line."},
    {FoldOption, "fold", 0, nullptr,
     "compare letters without their accents (e matches é, è and ê; n matches ñ)",
     "Letters always compare without regard to case, after Unicode normalisation (NFC), so "
     "\"GRÖßE\" spells \"Größe\". With --fold each letter also loses the accents "
     "of its canonical decomposition: é, è and ê count as e, ö as o, ç as c. Letters that have "
     "no decomposition stay themselves (ß, ø, æ, ł). Words are still written as the list spells "
     "them."},
    {'a', "anagrams", 'a', nullptr,
     "phrase mode: list the phrase anagrams of each letter set, every way to use all its letters "
     "in dictionary words",
     "Each letter set is a phrase. Characters that are not letters (blanks, hyphens, "
     "apostrophes, digits) are dropped and letters are matched as lower case; a \"?\" is a blank "
     "that stands for exactly one letter. Each anagram is one line: its words separated by one "
     "space, longest first, words of equal length in dictionary order; a word may occur more "
     "than once, and each set of words is listed once. A phrase holds at most 64 letters and "
     "blanks. The lines come in the same order for any number of threads, and they are written "
     "as they are found, so memory stays small however many there are."},
    {'l', "lengths", 'l', "LIST",
     "word lengths to list, such as 2-8, 4,5,6 or 9- (9 and longer): 2 to 27 (default: 2-8); "
     "with -a, the lengths of the words of an anagram, 1 to 64 (default: 2-)",
     "LIST is a comma-separated list of lengths and ranges, such as 2,4-6; a range without an "
     "end, such as 3-, takes every length from its start on. A length counts the characters of "
     "a word."},
    {MaxWordsOption, "max-words", 0, "N", "with -a: at most N words in an anagram",
     "Words named with -c count too."},
    {MinWordsOption, "min-words", 0, "N", "with -a: at least N words in an anagram",
     "Words named with -c count too."},
    {WordsOption, "words", 0, "N", "with -a: exactly N words in an anagram",
     "The same as --min-words N --max-words N."},
    {'x', "exclude", 'x', "WORDS",
     "with -a: only anagrams that use none of these words, separated by blanks; may be given "
     "more than once",
     "Words are compared lower-cased, their other characters dropped, so \"Tom\" leaves out "
     "\"tom\" and \"TOM\" too."},
    {OnlyFromOption, "only-from", 0, "FILE",
     "with -a: use only words that FILE lists too (such as a list of common words)",
     "FILE is read as the dictionary is. The phrase is still spelled exactly, with words that "
     "both lists hold (compared lower-cased)."},
    {NoRepeatOption, "no-repeat", 0, nullptr, "with -a: no word twice in an anagram", nullptr},
    {OrderOption, "order", 0, "ORDER",
     "with -a, the order of the anagrams:\n"
     "best: fewer words first, then the longer first word (default)\n"
     "found: as the search finds them, the fastest",
     "Best first runs a round over the search for each number of words and first-word length; "
     "a phrase with more than two blanks keeps the found order, since its first line would "
     "otherwise come far later. Either order is the same for any number of threads."},
    {ProgressOption, "progress", 0, nullptr,
     "with -a: show the progress line on standard error whenever it is a terminal", nullptr},
    {NoProgressOption, "no-progress", 0, nullptr, "with -a: never show the progress line",
     "By default the progress line shows on standard error when it is a terminal, except while "
     "the results go to the same terminal, or through a pipe to a program on it (a pager), "
     "where it would mix with them."},
    {'c', "contain", 'c', "WORDS",
     "with -a: only anagrams that hold these words, separated by blanks; may be given more than "
     "once",
     "The letters of the words come out of each phrase first, a blank of the phrase standing "
     "in for a letter it lacks; a phrase that does not hold them gets a message and lists "
     "nothing. The words need not be in the dictionary, and -l does not apply to them; they are "
     "written lower-cased, their other characters dropped."},
    {'n', "limit", 'n', "N", "with -a: at most N anagrams per phrase, then the next phrase",
     nullptr},
    {FormatOption, "format", 0, "FORMAT",
     "how to write the results:\n"
     "words: one word per line (default); with -a one anagram per line\n"
     "tsv: the letter set as typed, a tab, the word or anagram\n"
     "aligned: a column-aligned table, lines ending CR LF (not with -a)",
     "The aligned table is the window's text export: the header line \"Unscramble Letters\", "
     "then every word padded with spaces to the width of the widest possible cell and followed "
     "by a tab."},
    {'j', "jobs", 'j', "N", "match with up to N threads (default: one per processor)",
     "The output is the same for any number of threads: rows come in the order of the letter "
     "sets. N lies between 1 and 1024, but no more threads run than the processors the tool may "
     "use, as more would only cost memory and time; where the system allows fewer threads or "
     "has no memory for them, fewer run."},
    {'h', "help", 'h', nullptr, "show this help and exit", nullptr},
    {'V', "version", 'V', nullptr, "show the version and exit", nullptr},
};

}  // namespace

std::span<const OptionEntry> optionTable() {
    return optionEntries;
}

}  // namespace wordloom::cli
