#include "qt_dialogs.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QSettings>

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
                     const std::vector<FileFilter>& filters, std::uint32_t flags) {
    setCommonOptions(dialog, title, filters);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const bool several = (flags & FileDialogAllowMultiSelect) != 0;
    if ((flags & FileDialogFileMustExist) != 0) {
        dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        return;
    }
    // Qt's existing-files mode greys out Open and shows its own "File not found" for a typed
    // name that matches no file. Any-file mode takes every name as typed; its views select one
    // row only, so they are told to take several.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (several) {
        for (const char* name : {"listView", "treeView"}) {
            if (auto* view = dialog.findChild<QAbstractItemView*>(QLatin1String(name))) {
                view->setSelectionMode(QAbstractItemView::ExtendedSelection);
            }
        }
    }
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

namespace {

const QString& qtProjectOrganization() {
    static const QString name = QStringLiteral("QtProject");
    return name;
}

const QString& fileDialogGroup() {
    static const QString name = QStringLiteral("FileDialog");
    return name;
}

// The open dialog in any-file mode: it takes the names in its name field whether they exist or
// not, and a single folder name opens that folder instead, as Qt's own accept() does. In
// must-exist modes Qt's own checks apply.
class OpenFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    // The chosen names as full paths, in the order of the name field. Choosing rows in the
    // list writes their names there too; Qt's selectedFiles() prefers the rows, which would
    // drop a typed name that matches no file.
    QStringList chosenPaths() const {
        if (fileMode() != QFileDialog::AnyFile) {
            return selectedFiles();
        }
        const auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString text = field != nullptr ? field->text() : QString();
        if (text.isEmpty()) {
            return selectedFiles();
        }
        QStringList names;
        if (text.contains(QLatin1Char('"'))) {
            // "name one" "name two": every other piece is a name.
            const QStringList pieces = text.split(QLatin1Char('"'));
            for (qsizetype i = 1; i < pieces.size(); i += 2) {
                names.append(pieces[i]);
            }
        } else {
            names.append(text);
        }
        QStringList paths;
        for (const QString& name : names) {
            paths.append(QDir::cleanPath(directory().absoluteFilePath(name)));
        }
        return paths;
    }

    // The paths chosen when the dialog was accepted. Read later, the name field may already
    // have been rewritten from rows that the folder listing selected meanwhile.
    const QStringList& acceptedPaths() const { return m_accepted; }

    void accept() override {
        if (fileMode() != QFileDialog::AnyFile) {
            m_accepted = selectedFiles();
            QFileDialog::accept();
            return;
        }
        const QStringList paths = chosenPaths();
        if (paths.isEmpty()) {
            return;
        }
        if (paths.size() == 1 && QFileInfo(paths.first()).isDir()) {
            setDirectory(paths.first());
            if (auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                field->clear();
            }
            return;
        }
        m_accepted = paths;
        // QFileDialog::accept() would refuse a name that matches no file; the names are checked.
        QDialog::accept();  // NOLINT(bugprone-parent-virtual-call)
    }

private:
    QStringList m_accepted;
};

}  // namespace

FileDialogTraceGuard::FileDialogTraceGuard() {
    QSettings settings(QSettings::UserScope, qtProjectOrganization());
    m_fileName = settings.fileName();
    m_fileExisted = QFileInfo::exists(m_fileName);
    settings.beginGroup(fileDialogGroup());
    for (const QString& key : settings.allKeys()) {
        m_values.append({key, settings.value(key)});
    }
}

FileDialogTraceGuard::~FileDialogTraceGuard() {
    bool nothingLeft = false;
    {
        QSettings settings(QSettings::UserScope, qtProjectOrganization());
        settings.remove(fileDialogGroup());
        for (const auto& [key, value] : m_values) {
            settings.setValue(fileDialogGroup() + QLatin1Char('/') + key, value);
        }
        settings.sync();
        nothingLeft = settings.allKeys().isEmpty();
    }
    if (!m_fileExisted && nothingLeft) {
        QFile::remove(m_fileName);
    }
}

QtFileDialog::QtFileDialog(QWidget* parent) : m_parent(parent) {}

void QtFileDialog::setFileName(const std::u16string& name) {
    m_name = name;
}

void QtFileDialog::setFlags(std::uint32_t flags) {
    m_flags = flags;
}

void QtFileDialog::setDialogTitle(const std::u16string& title) {
    m_title = title;
}

void QtFileDialog::setFilter(const std::vector<FileFilter>& filters) {
    m_filters = filters;
}

std::vector<std::u16string> QtFileDialog::showOpen() {
    const FileDialogTraceGuard
        guard;  // outlives the dialog, which writes its record when destroyed
    std::vector<std::u16string> chosen;
    {
        OpenFileDialog dialog(m_parent);
        setUpOpenDialog(dialog, m_title, m_filters, m_flags);
        if (!m_name.empty()) {
            dialog.selectFile(qStringFromU16(m_name));
        }
        if (dialog.exec() == QDialog::Accepted) {
            for (const QString& path : dialog.acceptedPaths()) {
                chosen.push_back(u16FromQString(path));
            }
        }
    }
    m_name = chosen.empty() ? std::u16string() : chosen.front();
    return chosen;
}

std::u16string QtFileDialog::showSave() {
    const FileDialogTraceGuard guard;
    std::u16string chosen;
    {
        QFileDialog dialog(m_parent);
        setUpSaveDialog(dialog, m_title, m_filters, m_name);
        if (dialog.exec() == QDialog::Accepted) {
            chosen = u16FromQString(dialog.selectedFiles().value(0));
        }
    }
    m_name = chosen;
    return chosen;
}

}  // namespace wordloom::platform::qt
