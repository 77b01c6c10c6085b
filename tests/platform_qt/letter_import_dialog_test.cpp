// "Load Letters From Text File" through Qt's real open dialog: the window logic with fakes for
// everything else.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "fakes/fake_controls.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_list_view.h"
#include "fakes/fake_result_list_view.h"
#include "fakes/fake_services.h"
#include "platform/qt/qt_dialogs.h"
#include "qt_test_application.h"
#include "window/form1.h"

namespace {

using namespace wordloom;

struct Window {
    fakes::FakeMainWindow form;
    fakes::FakeListView letterSets;
    fakes::FakeResultListView results;
    std::array<fakes::FakeCheckBox, 7> boxes;
    fakes::FakeProgressDisplay progress;
    fakes::FakeMessageBox messages;
    fakes::FakeInputBox inputBox;
    platform::qt::QtFileDialog dialog;
    fakes::FakeClipboard clipboard;
    fakes::FakeSettingsStore settings;
    fakes::FakeShell shell;
    fakes::FakeSpreadsheetService spreadsheets;
    fakes::FakeEventPump events;
    std::unique_ptr<window::Form1> logic;

    Window() {
        std::array<platform::CheckBox*, 7> check{};
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            check[i] = &boxes[i];
        }
        logic = std::make_unique<window::Form1>(window::Form1Controls{
            form, letterSets, results, check, progress, messages, inputBox, dialog, clipboard,
            settings, shell, spreadsheets, events, u"/nowhere", [] { return 100; }});
    }
};

TEST(LoadLettersFromFile, RealDialogPassesTypedMissingNamesOnToFileNotFound) {
    qt_test::application();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const auto& [name, text] : {std::pair{"one.txt", "abc\r\n"}, {"two.txt", "def\r\n"}}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QString shownTitle;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shownTitle = dialog->windowTitle();
        dialog->setDirectory(folder.path());
        dialog->activateWindow();
        QApplication::processEvents();
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_TRUE(nameField != nullptr && buttons != nullptr);
        nameField->setFocus();
        nameField->setText(QStringLiteral("\"one.txt\" \"missing.txt\" \"two.txt\""));
        buttons->button(QDialogButtonBox::Open)->click();
        if (dialog->isVisible()) {
            ADD_FAILURE() << "The dialog refused the names.";
            dialog->reject();
        }
    });
    Window window;
    window.logic->PushButton4_Click();

    EXPECT_EQ(shownTitle, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
    EXPECT_EQ(window.letterSets.texts(), (std::vector<std::u16string>{u"abc", u"def"}));
    ASSERT_EQ(window.messages.shownMessages.size(), 1u);
    EXPECT_EQ(window.messages.shownMessages[0].text, u"File not found");
}

}  // namespace
