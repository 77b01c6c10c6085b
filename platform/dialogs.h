#pragma once

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

// Modal file dialogs.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Full paths of the chosen files in the dialog's order; empty when cancelled.
    virtual std::vector<std::u16string> chooseFilesToOpen(std::u16string_view title,
                                                          const std::vector<FileFilter>& filters) = 0;
    // The chosen path, or empty when cancelled. No overwrite question, no extension added.
    virtual std::u16string chooseFileToSave(std::u16string_view title,
                                            const std::vector<FileFilter>& filters,
                                            const std::u16string& offeredName) = 0;
};

}  // namespace wordloom::platform
