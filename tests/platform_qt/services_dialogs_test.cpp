#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "platform/qt/qt_dialogs.h"
#include "services_app.h"

using wordloom::platform::FileFilter;
namespace qt = wordloom::platform::qt;

TEST(QtMessageBoxText, TurnsCrLfAndLoneCrIntoLineBreaks) {
    EXPECT_EQ(qt::messageBoxText(u"Disk full\r\nin Wordloom2021/08/31.Form1.PushButton5_Click at "
                                 u"line 112\r\rPlease email"),
              QStringLiteral("Disk full\nin Wordloom2021/08/31.Form1.PushButton5_Click at line "
                             "112\n\nPlease email"));
    EXPECT_EQ(qt::messageBoxText(u"a\n\rb\r"), QStringLiteral("a\n\nb\n"));
    EXPECT_EQ(qt::messageBoxText(u"<b>File not found</b>"),
              QStringLiteral("<b>File not found</b>"));
}

TEST(QtMessageBoxTitle, OwnTitleWinsAndApplicationTitleFillsIn) {
    EXPECT_EQ(qt::messageBoxTitle(u"Application Error", u"Wordloom"),
              QStringLiteral("Application Error"));
    EXPECT_EQ(qt::messageBoxTitle(std::nullopt, u"Wordloom Anagram Finder Studio"),
              QStringLiteral("Wordloom Anagram Finder Studio"));
    EXPECT_EQ(qt::messageBoxIcon(0), QMessageBox::NoIcon);
    EXPECT_EQ(qt::messageBoxIcon(48), QMessageBox::Warning);
}

TEST(QtMessageBox, KeepsApplicationTitleAndShowsModalPlainTextBox) {
    qt_test::application();
    qt::QtMessageBox messages;
    EXPECT_EQ(messages.applicationTitle(), u"wordloom");
    messages.setApplicationTitle(u"Wordloom Anagram Finder Studio");
    EXPECT_EQ(messages.applicationTitle(), u"Wordloom Anagram Finder Studio");

    QString seenTitle;
    QString seenText;
    services_test::whenModalShown<QMessageBox>([&](QMessageBox& box) {
        seenTitle = box.windowTitle();
        seenText = box.text();
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        box.accept();
    });
    messages.show(u"first\rsecond", 48);
    EXPECT_EQ(seenTitle, QStringLiteral("Wordloom Anagram Finder Studio"));
    EXPECT_EQ(seenText, QStringLiteral("first\nsecond"));
}

TEST(QtFileDialogFilters, KeepCaptionVisibleAndMatchThePattern) {
    EXPECT_EQ(qt::nameFilter({u"All Files (*.*)", u"*"}), QStringLiteral("All Files (*.*) (*)"));
    EXPECT_EQ(qt::nameFilters({{u"Text Files (*.txt)", u"*.txt"}, {u"Lists", u"*.txt;*.lst"}}),
              QStringList({QStringLiteral("Text Files (*.txt) (*.txt)"),
                           QStringLiteral("Lists (*.txt *.lst)")}));
}

TEST(QtFileDialog, OpenDialogShowsCaptionButMatchesFilesWithoutExtension) {
    qt_test::application();
    QFileDialog dialog;
    qt::setUpOpenDialog(dialog, u"Add File(s) - Hold Ctrl to select multiple files",
                        {{u"All Files (*.*)", u"*"}}, 0x280201);

    EXPECT_EQ(dialog.windowTitle(),
              QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
    // Names need not exist, and several rows can be chosen.
    EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    auto* files = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->selectionMode(), QAbstractItemView::ExtendedSelection);
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 1);
    EXPECT_EQ(types->itemText(0), QStringLiteral("All Files (*.*)"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->nameFilters(), QStringList(QStringLiteral("*")));
}

TEST(QtFileDialog, SaveDialogOffersNameWithoutOverwriteQuestionOrSuffix) {
    qt_test::application();
    QFileDialog dialog;
    qt::setUpSaveDialog(dialog, u"Save",
                        {{u"Text Files (*.txt)", u"*.txt"}, {u"All Files (*.*)", u"*"}},
                        u"/tmp/results");

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Save"));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    EXPECT_EQ(dialog.selectedFiles(), QStringList(QStringLiteral("/tmp/results")));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), QStringLiteral("Text Files (*.txt)"));
    EXPECT_EQ(types->itemText(1), QStringLiteral("All Files (*.*)"));
}

TEST(QtFileDialog, CancelledDialogsAnswerEmpty) {
    qt_test::application();
    qt::QtFileDialog dialogs;
    const auto rejectModal = [] {
        services_test::whenModalShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    };
    rejectModal();
    dialogs.setFilter({{u"All Files (*.*)", u"*"}});
    EXPECT_TRUE(dialogs.showOpen().empty());
    rejectModal();
    dialogs.setDialogTitle(u"Save");
    dialogs.setFileName(u"x.txt");
    EXPECT_TRUE(dialogs.showSave().empty());
}

// Types `names` into the file dialog's name field in `folder` and presses its Open button, as a
// user would; records whether the button could be pressed.
void typeNamesAndPressOpen(const QString& folder, const QString& names, bool& openEnabled) {
    services_test::whenModalShown<QFileDialog>([folder, names, &openEnabled](QFileDialog& dialog) {
        dialog.setDirectory(folder);
        auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (nameField == nullptr || buttons == nullptr) {
            ADD_FAILURE() << "The dialog has no name field or buttons.";
            dialog.reject();
            return;
        }
        // Typing happens in the focused field; Qt rewrites the field from the rows it selects
        // only when the field has no focus.
        dialog.activateWindow();
        QApplication::processEvents();
        nameField->setFocus();
        EXPECT_TRUE(nameField->hasFocus());
        nameField->setText(names);
        QPushButton* open = buttons->button(QDialogButtonBox::Open);
        openEnabled = open != nullptr && open->isEnabled();
        if (openEnabled) {
            open->click();
        }
        if (dialog.isVisible()) {
            dialog.reject();  // the dialog refused the names
        }
    });
}

QString u16ToQ(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

TEST(QtFileDialog, OpenDialogReturnsTypedNamesAsFullPathsInOrderWhetherTheyExistOrNot) {
    qt_test::application();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {"b-letters", "a.txt"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    qt::QtFileDialog dialogs;
    dialogs.setFlags(0x280201);
    dialogs.setDialogTitle(u"Add File(s) - Hold Ctrl to select multiple files");
    dialogs.setFilter({{u"All Files (*.*)", u"*"}});

    bool openEnabled = false;
    typeNamesAndPressOpen(folder.path(), QStringLiteral("\"b-letters\" \"missing.txt\" \"a.txt\""),
                          openEnabled);
    auto chosen = dialogs.showOpen();
    EXPECT_TRUE(openEnabled);
    ASSERT_EQ(chosen.size(), 3u);
    EXPECT_EQ(u16ToQ(chosen[0]), folder.filePath(QStringLiteral("b-letters")));
    EXPECT_EQ(u16ToQ(chosen[1]), folder.filePath(QStringLiteral("missing.txt")));
    EXPECT_EQ(u16ToQ(chosen[2]), folder.filePath(QStringLiteral("a.txt")));

    typeNamesAndPressOpen(folder.path(), QStringLiteral("missing.txt"), openEnabled);
    chosen = dialogs.showOpen();
    EXPECT_TRUE(openEnabled);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(u16ToQ(chosen[0]), folder.filePath(QStringLiteral("missing.txt")));
}

TEST(QtFileDialog, LeavesNoFolderOrHistoryInTheUsersQtSettings) {
    qt_test::application();
    QTemporaryDir config;
    QTemporaryDir letters;
    ASSERT_TRUE(config.isValid() && letters.isValid());
    // Qt reads the folder once per program, so the test also points QSettings at it directly.
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    const QString qtProject = config.filePath(QStringLiteral("QtProject.conf"));
    {
        QFile file(letters.filePath(QStringLiteral("sets.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    qt::QtFileDialog dialogs;
    dialogs.setFlags(0x280201);
    bool openEnabled = false;
    typeNamesAndPressOpen(letters.path(), QStringLiteral("sets.txt"), openEnabled);
    EXPECT_EQ(dialogs.showOpen().size(), 1u);
    services_test::whenModalShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    dialogs.setFileName(letters.filePath(QStringLiteral("out.txt")).toStdU16String());
    EXPECT_TRUE(dialogs.showSave().empty());
    EXPECT_FALSE(QFileInfo::exists(qtProject));

    // Another Qt program's record stays as it was, and nothing of this program's is added.
    {
        QSettings other(QSettings::UserScope, QStringLiteral("QtProject"));
        other.setValue(QStringLiteral("FileDialog/lastVisited"),
                       QStringLiteral("file:///elsewhere"));
        other.setValue(QStringLiteral("Other/key"), 7);
    }
    typeNamesAndPressOpen(letters.path(), QStringLiteral("sets.txt"), openEnabled);
    EXPECT_EQ(dialogs.showOpen().size(), 1u);
    QFile file(qtProject);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_FALSE(text.contains(letters.path().toUtf8())) << text.constData();
    QSettings after(QSettings::UserScope, QStringLiteral("QtProject"));
    EXPECT_EQ(after.value(QStringLiteral("FileDialog/lastVisited")).toString(),
              QStringLiteral("file:///elsewhere"));
    EXPECT_EQ(after.value(QStringLiteral("Other/key")).toInt(), 7);
    EXPECT_EQ(after.allKeys().size(), 2);
}

TEST(QtInputBox, ReturnsTypedTextOnOkAndEmptyOnCancel) {
    qt_test::application();
    qt::QtInputBox input;
    services_test::whenModalShown<QInputDialog>([](QInputDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter Letters"));
        EXPECT_EQ(dialog.labelText(), QStringLiteral("Please enter letters: "));
        EXPECT_TRUE(dialog.textValue().isEmpty());
        dialog.setTextValue(QStringLiteral("  ab c "));
        dialog.accept();
    });
    EXPECT_EQ(input.ask(u"Please enter letters: ", u"Enter Letters"), u"  ab c ");

    services_test::whenModalShown<QInputDialog>([](QInputDialog& dialog) {
        dialog.setTextValue(QStringLiteral("typed"));
        dialog.reject();
    });
    EXPECT_EQ(input.ask(u"Please enter letters: ", u"Enter Letters"), u"");
}
