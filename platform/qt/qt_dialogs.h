#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

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
// checked without showing the dialog.
void setUpOpenDialog(QFileDialog& dialog, std::u16string_view title,
                     const std::vector<FileFilter>& filters);
void setUpSaveDialog(QFileDialog& dialog, std::u16string_view title,
                     const std::vector<FileFilter>& filters, const std::u16string& offeredName);

// Modal open and save dialogs built on QFileDialog.
class QtFileDialog final : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr);

    std::vector<std::u16string> chooseFilesToOpen(std::u16string_view title,
                                                  const std::vector<FileFilter>& filters) override;
    std::u16string chooseFileToSave(std::u16string_view title,
                                    const std::vector<FileFilter>& filters,
                                    const std::u16string& offeredName) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace wordloom::platform::qt
