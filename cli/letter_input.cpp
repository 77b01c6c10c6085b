#include "cli/letter_input.h"

#include <stdexcept>
#include <vector>

#include "engine/text.h"

namespace wordloom::cli {

namespace {

constexpr std::size_t readSize = 1 << 16;

// A stream cannot be reopened by name reliably (a pipe or socket), so it is read here in chunks
// through the same decoder and splitter the letter-file reader uses.
void readStream(std::FILE* input, const engine::LetterLineSplitter::Sink& onEntry) {
    engine::LetterLineSplitter splitter(onEntry);
    engine::Utf8Decoder decoder;
    std::vector<char> bytes(readSize);
    std::u16string text;
    while (true) {
        const std::size_t count = std::fread(bytes.data(), 1, bytes.size(), input);
        text.clear();
        decoder.feed({bytes.data(), count}, text);
        splitter.feed(text);
        if (count < bytes.size()) {
            break;
        }
    }
    if (std::ferror(input)) {
        throw std::runtime_error("Cannot read the letter sets from standard input.");
    }
    text.clear();
    decoder.finish(text);
    splitter.feed(text);
    splitter.finish();
}

}  // namespace

void readLetterSets(const std::string& path, std::FILE* input,
                    const engine::LetterLineSplitter::Sink& onEntry) {
    if (path == "-") {
        readStream(input, onEntry);
    } else {
        engine::readLetterFile(path, onEntry);
    }
}

}  // namespace wordloom::cli
