#include "window/letter_import.h"

#include <new>
#include <stdexcept>
#include <string>

#include "engine/letter_file.h"
#include "engine/text.h"
#include "frame/appearance.h"
#include "frame/reporting_operation.h"
#include "window/form1_state.h"

namespace wordloom::window {

namespace {

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
    // Only a regular file is read: a FIFO would block the window until a writer comes, and a
    // device such as /dev/zero never ends.
    const std::string name = engine::encodeUtf8(path);
    try {
        engine::readLetterFile(
            name, [&target](std::u16string&& entry) { target.addItem(entry); },
            engine::LetterFileKinds::RegularOnly);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error("Not enough memory to read the letter file '" + name +
                                 "' to its end; the lines before were added.");
    }
}

void Form1::PushButton4_Click() {
    State& s = *m_state;
    platform::FileDialog& dialog = s.ui.CommonDialog1;
    frame::ReportingOperation op{s.ui.messages, u"Form1.PushButton4_Click"};
    // A fresh request starts unnamed, so a cancelled dialog answers with no names; typed names
    // that match no file come back too and get the "File not found" below.
    op.step(100, [&] { dialog.setFileName(u""); });
    op.step(102, [&] {
        dialog.setFlags(platform::FileDialogReadOnly | platform::FileDialogAllowMultiSelect |
                        platform::FileDialogExplorer | platform::FileDialogLongNames);
    });
    op.step(104,
            [&] { dialog.setDialogTitle(u"Add File(s) - Hold Ctrl to select multiple files"); });
    op.step(106, [&] { dialog.setFilter({{u"All Files (*.*)", u"*"}}); });
    std::vector<std::u16string> answer;
    std::vector<std::u16string> pieces;
    op.step(108, [&] { answer = dialog.showOpen(); });
    op.step(110, [&] { pieces = dialogPieces(answer); });
    // Both branches clean a path the same way: runs of "/" become one. A backslash is an
    // ordinary character of a file name here and is left alone.
    if (op.test(112, [&] { return pieces.size() == 1; })) {
        std::u16string path;
        op.step(114, [&] { path = collapseSlashes(pieces.at(0)); });
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
            op.step(128, [&] { path = collapseSlashes(path); });
            op.step(130, [&] { ImportLetterFile(s.ui.ListView1, path, s.ui.messages); });
            op.enter(132);
        }
    }
}

}  // namespace wordloom::window
