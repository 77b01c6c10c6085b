#include "window/letter_import.h"

#include "engine/letter_file.h"
#include "engine/text.h"
#include "frame/appearance.h"
#include "frame/reporting_operation.h"
#include "window/form1_state.h"

namespace wordloom::window {

namespace {

// Appends `text` to `out`, each non-overlapping pair of `twice` written as one character.
void appendHalvingPairs(std::u16string_view text, char16_t twice, std::u16string& out) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        out += text[at];
        if (text[at] == twice && at + 1 < text.size() && text[at + 1] == twice) {
            ++at;
        }
    }
}

std::u16string folderOf(std::u16string_view path) {
    const auto slash = path.rfind(u'/');
    if (slash == std::u16string_view::npos) {
        return u".";
    }
    return slash == 0 ? u"/" : std::u16string(path.substr(0, slash));
}

bool liesIn(std::u16string_view path, std::u16string_view folder) {
    if (folder == u"." || folder == u"/") {
        return folder == u"." || path.starts_with(u'/');
    }
    return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == u'/';
}

std::u16string nameIn(std::u16string_view path, std::u16string_view folder) {
    if (folder == u".") {
        return std::u16string(path);
    }
    return std::u16string(path.substr(folder == u"/" ? 1 : folder.size() + 1));
}

}  // namespace

std::u16string CollapseBackslashes(std::u16string_view path) {
    std::u16string collapsed;
    if (path.empty() || path.front() != u'\\') {
        appendHalvingPairs(path, u'\\', collapsed);
        return collapsed;
    }
    const auto rest = path.find_first_not_of(u'\\', 1);
    collapsed = u"\\\\";
    if (rest != std::u16string_view::npos) {
        appendHalvingPairs(path.substr(rest), u'\\', collapsed);
    }
    return collapsed;
}

std::u16string collapseSlashes(std::u16string_view path) {
    std::u16string collapsed;
    collapsed.reserve(path.size());
    for (char16_t c : path) {
        if (c != u'/' || collapsed.empty() || collapsed.back() != u'/') {
            collapsed += c;
        }
    }
    return collapsed;
}

std::vector<std::u16string> dialogPieces(const std::vector<std::u16string>& chosenPaths) {
    if (chosenPaths.size() <= 1) {
        return chosenPaths;
    }
    // A dialog picks its files from one folder; the common folder also covers any other answer.
    std::u16string folder = folderOf(chosenPaths.front());
    for (const auto& path : chosenPaths) {
        while (!liesIn(path, folder)) {
            folder = folder == u"/" ? u"." : folderOf(folder);
        }
    }
    std::vector<std::u16string> pieces{folder};
    for (const auto& path : chosenPaths) {
        pieces.push_back(nameIn(path, folder));
    }
    return pieces;
}

void ImportLetterFile(platform::ListView& target, const std::u16string& path,
                      platform::MessageBox& messages) {
    if (!frame::FileExists(path)) {
        messages.show(u"File not found", platform::MessageOk);
        return;
    }
    engine::readLetterFile(engine::encodeUtf8(path),
                           [&target](std::u16string&& entry) { target.addItem(entry); });
}

void Form1::PushButton4_Click() {
    State& s = *m_state;
    frame::ReportingOperation op{s.ui.messages, u"Form1.PushButton4_Click"};
    std::vector<std::u16string> answer;
    std::vector<std::u16string> pieces;
    // The dialog takes its title and filter with the request; a fresh request starts unnamed.
    op.step(108, [&] {
        answer = s.ui.CommonDialog1.chooseFilesToOpen(
            u"Add File(s) - Hold Ctrl to select multiple files", {{u"All Files (*.*)", u"*"}});
    });
    op.step(110, [&] { pieces = dialogPieces(answer); });
    if (op.test(112, [&] { return pieces.size() == 1; })) {
        std::u16string path;
        op.step(114, [&] { path = pieces.at(0); });
        op.step(116, [&] { ImportLetterFile(s.ui.ListView1, path, s.ui.messages); });
        return;
    }
    if (op.test(118, [&] { return pieces.size() > 1; })) {
        op.enter(120);
        op.enter(122);
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            op.enter(124);
            std::u16string path;
            op.step(126, [&] { path = pieces.at(0) + u'/' + pieces[i]; });
            op.step(128, [&] { path = collapseSlashes(CollapseBackslashes(path)); });
            op.step(130, [&] { ImportLetterFile(s.ui.ListView1, path, s.ui.messages); });
            op.enter(132);
        }
    }
}

}  // namespace wordloom::window
