#include "qt_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>

#include "service_text.h"

namespace wordloom::platform::qt {

QString messageBoxText(std::u16string_view text) {
    QString shown = qStringFromU16(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString messageBoxTitle(const std::optional<std::u16string>& ownTitle,
                        const std::u16string& applicationTitle) {
    return qStringFromU16(ownTitle.value_or(applicationTitle));
}

QMessageBox::Icon messageBoxIcon(int style) {
    switch (style & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QtMessageBox::QtMessageBox(QWidget* parent) : m_parent(parent) {}

void QtMessageBox::show(std::u16string_view text, int style,
                        const std::optional<std::u16string>& title) {
    QMessageBox box(messageBoxIcon(style), messageBoxTitle(title, m_applicationTitle),
                    messageBoxText(text), QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtMessageBox::setApplicationTitle(const std::u16string& title) {
    m_applicationTitle = title;
}

std::u16string QtMessageBox::applicationTitle() const {
    return m_applicationTitle;
}

QtInputBox::QtInputBox(QWidget* parent) : m_parent(parent) {}

std::u16string QtInputBox::ask(std::u16string_view prompt, std::u16string_view title) {
    bool confirmed = false;
    const QString reply =
        QInputDialog::getText(m_parent, qStringFromU16(title), qStringFromU16(prompt),
                              QLineEdit::Normal, QString(), &confirmed);
    return confirmed ? u16FromQString(reply) : std::u16string();
}

QString nameFilter(const FileFilter& filter) {
    // Qt separates patterns by blanks; ';' is the separator of the Windows-style filter text.
    QString patterns = qStringFromU16(filter.pattern);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    return qStringFromU16(filter.caption) + QStringLiteral(" (") + patterns.trimmed() +
           QLatin1Char(')');
}

QStringList nameFilters(const std::vector<FileFilter>& filters) {
    QStringList all;
    for (const FileFilter& filter : filters) {
        all.append(nameFilter(filter));
    }
    return all;
}

namespace {

// Qt's own dialog behaves the same under every desktop and without one; hiding the filter
// details shows each caption exactly as given.
void setCommonOptions(QFileDialog& dialog, std::u16string_view title,
                      const std::vector<FileFilter>& filters) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setWindowTitle(qStringFromU16(title));
    dialog.setNameFilters(nameFilters(filters));
}

}  // namespace

void setUpOpenDialog(QFileDialog& dialog, std::u16string_view title,
                     const std::vector<FileFilter>& filters) {
    setCommonOptions(dialog, title, filters);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
}

void setUpSaveDialog(QFileDialog& dialog, std::u16string_view title,
                     const std::vector<FileFilter>& filters, const std::u16string& offeredName) {
    setCommonOptions(dialog, title, filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QString());
    if (!offeredName.empty()) {
        dialog.selectFile(qStringFromU16(offeredName));
    }
}

QtFileDialog::QtFileDialog(QWidget* parent) : m_parent(parent) {}

std::vector<std::u16string> QtFileDialog::chooseFilesToOpen(
    std::u16string_view title, const std::vector<FileFilter>& filters) {
    QFileDialog dialog(m_parent);
    setUpOpenDialog(dialog, title, filters);
    std::vector<std::u16string> chosen;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString& path : dialog.selectedFiles()) {
            chosen.push_back(u16FromQString(path));
        }
    }
    return chosen;
}

std::u16string QtFileDialog::chooseFileToSave(std::u16string_view title,
                                              const std::vector<FileFilter>& filters,
                                              const std::u16string& offeredName) {
    QFileDialog dialog(m_parent);
    setUpSaveDialog(dialog, title, filters, offeredName);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return u16FromQString(dialog.selectedFiles().value(0));
}

}  // namespace wordloom::platform::qt
