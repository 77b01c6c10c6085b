#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom::platform {

enum MessageStyle : int { MessageOk = 0, MessageWarning = 48 };

// Modal message boxes. A box without a title of its own carries the application title, which
// this service keeps ("wordloom" until the start-up sets it). "\r\n" and a lone "\r" break lines.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(std::u16string_view text, int style,
                      const std::optional<std::u16string>& title = std::nullopt) = 0;
    virtual void setApplicationTitle(const std::u16string& title) = 0;
    virtual std::u16string applicationTitle() const = 0;
};

// Modal input box with one empty single-line field; empty text on Cancel or close.
class InputBox {
public:
    virtual ~InputBox() = default;
    virtual std::u16string ask(std::u16string_view prompt, std::u16string_view title) = 0;
};

struct FileFilter {
    std::u16string caption;  // "All Files (*.*)"
    std::u16string pattern;  // "*"
};

// Flags of the file dialog, with the values of the system's file-dialog flags they stand for.
enum FileDialogFlag : std::uint32_t {
    FileDialogReadOnly = 0x1,  // the read-only box shows ticked; its state is not read
    FileDialogAllowMultiSelect = 0x200,
    FileDialogFileMustExist =
        0x1000,  // the dialog itself refuses a typed name that matches no file
    FileDialogExplorer = 0x80000,
    FileDialogLongNames = 0x200000,
};

// Modal file dialogs. Like a dialog control, it keeps its name, flags, title and filter between
// uses: each is set on its own, and showOpen() and showSave() use what was set last.
class FileDialog {
public:
    virtual ~FileDialog() = default;

    // The name the dialog offers; after a dialog closes, the name chosen (empty when cancelled).
    virtual void setFileName(const std::u16string& name) = 0;
    virtual void setFlags(std::uint32_t flags) = 0;  // FileDialogFlag bits
    virtual void setDialogTitle(const std::u16string& title) = 0;
    virtual void setFilter(const std::vector<FileFilter>& filters) = 0;

    // Shows the open dialog: the full paths of the chosen names in the dialog's order, empty when
    // cancelled. Without FileDialogFileMustExist a typed name need not exist.
    virtual std::vector<std::u16string> showOpen() = 0;
    // Shows the save dialog: the chosen path, or empty when cancelled. No overwrite question, no
    // extension added.
    virtual std::u16string showSave() = 0;
};

}  // namespace wordloom::platform
