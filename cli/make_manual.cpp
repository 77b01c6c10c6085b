// Build-time helper: writes the manual page of wordloom-unscramble from its template, putting the
// OPTIONS section made from the option table in place of the line "@OPTIONS@" and the version in
// place of "@VERSION@". Not installed.
//   wordloom-make-manual TEMPLATE OUTPUT
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/options.h"

namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: wordloom-make-manual TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream page;
    page << in.rdbuf();
    if (!in) {
        std::cerr << "wordloom-make-manual: cannot read '" << argv[1] << "'\n";
        return 1;
    }
    std::string text = page.str();
    const std::string marker = "\n@OPTIONS@\n";
    if (text.find(marker) == std::string::npos) {
        std::cerr << "wordloom-make-manual: '" << argv[1] << "' has no @OPTIONS@ line\n";
        return 1;
    }
    std::string options(1, '\n');
    options += wordloom::cli::manualOptions();
    replaceAll(text, marker, options);
    replaceAll(text, "@VERSION@", WORDLOOM_VERSION);

    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "wordloom-make-manual: cannot write '" << argv[2] << "'\n";
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
