#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
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
                        {{u"All Files (*.*)", u"*"}});

    EXPECT_EQ(dialog.windowTitle(),
              QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
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
    EXPECT_TRUE(dialogs.chooseFilesToOpen(u"Open", {{u"All Files (*.*)", u"*"}}).empty());
    rejectModal();
    EXPECT_TRUE(dialogs.chooseFileToSave(u"Save", {{u"All Files (*.*)", u"*"}}, u"x.txt").empty());
}

TEST(QtFileDialog, OpenDialogReturnsFullPathsInTheDialogsOrder) {
    qt_test::application();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {"b-letters", "a.txt"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    services_test::whenModalShown<QFileDialog>([path = folder.path()](QFileDialog& dialog) {
        dialog.setDirectory(path);
        auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (nameField != nullptr) {
            nameField->setText(QStringLiteral("\"b-letters\" \"a.txt\""));
        }
        static_cast<QDialog&>(dialog).accept();  // QFileDialog::accept checks the typed names
    });
    qt::QtFileDialog dialogs;
    const auto chosen = dialogs.chooseFilesToOpen(u"Open", {{u"All Files (*.*)", u"*"}});
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(QString::fromStdU16String(chosen[0]), folder.filePath(QStringLiteral("b-letters")));
    EXPECT_EQ(QString::fromStdU16String(chosen[1]), folder.filePath(QStringLiteral("a.txt")));
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
