// Checks the manual page of wordloom-unscramble as the package installs it (the page made from its
// template, compressed) against the option table that --help is printed from.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "cli/options.h"

namespace wordloom::cli {
namespace {

const char* const compressedPage = WORDLOOM_UNSCRAMBLE_MANUAL_GZ;

std::string readBytes(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string installedPage() {
    const std::string command = std::string("gzip -dc '") + compressedPage + "'";
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(popen(command.c_str(), "r"),
                                                               &pclose);
    std::string text;
    char buffer[4096];
    std::size_t count;
    while (pipe && (count = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        text.append(buffer, count);
    }
    return text;
}

TEST(UnscrambleManual, ListsEveryOptionOfTheTableOnce) {
    const std::string page = installedPage();
    ASSERT_FALSE(page.empty()) << compressedPage;
    for (const OptionEntry& entry : optionTable()) {
        std::string label;
        if (entry.shortName != 0) {
            label = std::string("\\fB\\-") + entry.shortName + "\\fR, ";
        }
        label += R"(\fB\-\-)" + std::string(entry.longName) + R"(\fR)";
        if (entry.argument != nullptr) {
            label += " \\fI" + std::string(entry.argument) + "\\fR";
        }
        const std::size_t at = page.find(".TP\n" + label + "\n");
        EXPECT_NE(at, std::string::npos) << label;
        EXPECT_EQ(page.find(".TP\n" + label + "\n", at + 1), std::string::npos) << label;
    }
}

// The hand-written parts (description, examples) may name only options the tool has.
TEST(UnscrambleManual, NamesNoOptionTheToolLacks) {
    std::set<std::string> known;
    for (const OptionEntry& entry : optionTable()) {
        known.insert("--" + std::string(entry.longName));
        if (entry.shortName != 0) {
            known.insert(std::string{'-', entry.shortName});
        }
    }
    const std::string page = installedPage();
    // "\-\-name" (a dash inside the name may be "\-" too) or "\-x", after a blank or "(".
    const std::regex option(R"((?:^|[ (])\\-(?:\\-([a-z](?:[a-z]|\\?-)*)|([A-Za-z])\b))");
    int count = 0;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), option);
         it != std::sregex_iterator(); ++it) {
        std::string name = (*it)[1].matched ? "--" : "-";
        for (const char c : (*it)[1].matched ? (*it)[1].str() : (*it)[2].str()) {
            if (c != '\\') {
                name.push_back(c);
            }
        }
        EXPECT_EQ(known.count(name), 1u) << name;
        ++count;
    }
    EXPECT_GT(count, 10);
}

TEST(UnscrambleManual, IsACompleteReproduciblePage) {
    const std::string page = installedPage();
    EXPECT_EQ(page.rfind(".\\\"", 0), 0u);  // the template's own comment comes first
    EXPECT_NE(page.find("\n.TH WORDLOOM\\-UNSCRAMBLE 1 "), std::string::npos);
    EXPECT_NE(page.find("\"Wordloom " WORDLOOM_VERSION "\""), std::string::npos);
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS",
                                "FILES", "EXAMPLES", "SEE ALSO"}) {
        EXPECT_NE(page.find("\n.SH " + std::string(section) + "\n"), std::string::npos) << section;
    }
    EXPECT_EQ(page.find('@'), std::string::npos) << "a template field left unfilled";
    // gzip -n: no file name and no time stamp in the header, so every build gives the same bytes.
    const std::string bytes = readBytes(compressedPage);
    ASSERT_GT(bytes.size(), 10u);
    EXPECT_EQ(bytes.substr(0, 2), "\x1f\x8b");
    EXPECT_EQ(bytes[3], 0) << "header flags";
    EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0')) << "time stamp";
}

}  // namespace
}  // namespace wordloom::cli
