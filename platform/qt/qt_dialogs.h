#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <utility>

#include "platform/dialogs.h"

class QFileDialog;

namespace wordloom::platform::qt {

// The text a message box shows: "\r\n" and then every lone "\r" become line breaks.
QString messageBoxText(std::u16string_view text);
// The box's own title when it has one, otherwise the application title.
QString messageBoxTitle(const std::optional<std::u16string>& ownTitle,
                        const std::u16string& applicationTitle);
// The icon of a message-box style: 16 critical, 32 question, 48 warning, 64 information.
QMessageBox::Icon messageBoxIcon(int style);

// Modal QMessageBox with plain text and an OK button, over the main window when there is one.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr);

    void show(std::u16string_view text, int style,
              const std::optional<std::u16string>& title = std::nullopt) override;
    void setApplicationTitle(const std::u16string& title) override;
    std::u16string applicationTitle() const override;

private:
    QPointer<QWidget> m_parent;
    std::u16string m_applicationTitle = u"wordloom";
};

// Modal QInputDialog with a prompt and one empty single-line field.
class QtInputBox final : public InputBox {
public:
    explicit QtInputBox(QWidget* parent = nullptr);
    std::u16string ask(std::u16string_view prompt, std::u16string_view title) override;

private:
    QPointer<QWidget> m_parent;
};

// One QFileDialog name filter: the caption stays visible, the pattern is what Qt matches.
// Qt reads the patterns from the last parentheses, so a caption "All Files (*.*)" with pattern
// "*" becomes "All Files (*.*) (*)" and also lists files without an extension.
QString nameFilter(const FileFilter& filter);
QStringList nameFilters(const std::vector<FileFilter>& filters);

// Prepares Qt's own (non-native) file dialog; kept apart from exec() so the settings can be
// checked without showing the dialog. The open dialog selects several files when `flags` allow
// it, and insists that typed names exist only with FileDialogFileMustExist.
void setUpOpenDialog(QFileDialog& dialog, std::u16string_view title,
                     const std::vector<FileFilter>& filters, std::uint32_t flags);
void setUpSaveDialog(QFileDialog& dialog, std::u16string_view title,
                     const std::vector<FileFilter>& filters, const std::u16string& offeredName);

// Qt's file dialog records its last folder and recent folders in the user's "QtProject"
// settings when it is destroyed, and the next dialog of any later run opens there. This program
// keeps no file paths between runs: the guard, made before a dialog and destroyed after it, puts
// that record back as it was (and removes the settings file when there was none).
class FileDialogTraceGuard {
public:
    FileDialogTraceGuard();
    ~FileDialogTraceGuard();
    FileDialogTraceGuard(const FileDialogTraceGuard&) = delete;
    FileDialogTraceGuard& operator=(const FileDialogTraceGuard&) = delete;

private:
    QString m_fileName;
    bool m_fileExisted = false;
    QList<std::pair<QString, QVariant>> m_values;  // the dialog's record as it was
};

// Modal open and save dialogs built on QFileDialog; the name, flags, title and filter stay
// between uses.
class QtFileDialog final : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr);

    void setFileName(const std::u16string& name) override;
    void setFlags(std::uint32_t flags) override;
    void setDialogTitle(const std::u16string& title) override;
    void setFilter(const std::vector<FileFilter>& filters) override;
    std::vector<std::u16string> showOpen() override;
    std::u16string showSave() override;

private:
    QPointer<QWidget> m_parent;
    std::u16string m_name;
    std::uint32_t m_flags = 0;
    std::u16string m_title;
    std::vector<FileFilter> m_filters;
};

}  // namespace wordloom::platform::qt
