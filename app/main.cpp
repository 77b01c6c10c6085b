// Wordloom Anagram Finder Studio: builds the main window with the system's own message boxes,
// file dialogs, spreadsheet service and event pump (form1_assembly.h), connects its buttons and
// lists to the window logic, runs Form_Load and then the event loop.

#include <QApplication>
#include <QtGlobal>
#include <exception>
#include <utility>

#include "app/form1_assembly.h"
#include "app/termination_signal.h"
#include "frame/appearance.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/xlsx_spreadsheet.h"

namespace {

using namespace wordloom;
using platform::qt::Form1Widget;

// The handlers report their own failures; anything else must still not unwind through Qt's
// event dispatch, which cannot pass exceptions on.
template <typename Handler>
auto guarded(Handler handler) {
    return [handler = std::move(handler)](auto&&... args) {
        try {
            handler(std::forward<decltype(args)>(args)...);
        } catch (const std::exception& error) {
            qWarning("Unexpected failure in a window handler: %s", error.what());
        }
    };
}

window::PointerArea areaOf(Form1Widget::PointerZone zone) {
    switch (zone) {
        case Form1Widget::PointerZone::PushButton:
            return window::PointerArea::PushButton;
        case Form1Widget::PointerZone::ListView:
            return window::PointerArea::ListView;
        case Form1Widget::PointerZone::Frame:
            return window::PointerArea::Frame;
        case Form1Widget::PointerZone::Form:
            break;
    }
    return window::PointerArea::Form;
}

void connectButton(Form1Widget& form, int number, window::Form1& logic,
                   void (window::Form1::*handler)()) {
    QObject::connect(&form.pushButton(number), &QPushButton::clicked, &form,
                     [call = guarded([&logic, handler] { (logic.*handler)(); })] { call(); });
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wordloom"));

    Form1Widget form;
    platform::qt::QtMessageBox messages(&form);
    platform::qt::QtFileDialog commonDialog1(&form);
    platform::qt::XlsxSpreadsheetService spreadsheets;
    platform::qt::QtEventPump events;
    app::Form1Assembly assembly(
        form,
        {
            .messages = messages,
            .CommonDialog1 = commonDialog1,
            .spreadsheets = spreadsheets,
            .events = events,
            // applicationDirPath() resolves symbolic links to the program file.
            .applicationFolder = platform::qt::toU16String(QCoreApplication::applicationDirPath()),
            .drawHomePageNumber = frame::drawHomePageNumber,
        });
    window::Form1& logic = assembly.logic;
    platform::qt::QtListView& listView1 = assembly.listView1;

    connectButton(form, 1, logic, &window::Form1::PushButton1_Click);
    connectButton(form, 2, logic, &window::Form1::PushButton2_Click);
    connectButton(form, 3, logic, &window::Form1::PushButton3_Click);
    connectButton(form, 4, logic, &window::Form1::PushButton4_Click);
    connectButton(form, 5, logic, &window::Form1::PushButton5_Click);
    connectButton(form, 6, logic, &window::Form1::PushButton6_Click);
    connectButton(form, 7, logic, &window::Form1::PushButton7_Click);
    connectButton(form, 8, logic, &window::Form1::PushButton8_Click);
    connectButton(form, 13, logic, &window::Form1::PushButton13_Click);
    listView1.setDoubleClickHandler(guarded([&logic] { logic.ListView1_DblClick(); }));
    listView1.setKeyDownHandler(guarded([&logic](int keyCode, bool shift, bool ctrl, bool alt) {
        logic.ListView1_KeyDown(keyCode, shift, ctrl, alt);
    }));
    form.setPointerMovedHandler(
        guarded([&logic](Form1Widget::PointerZone zone) { logic.PointerMoved(areaOf(zone)); }));
    // Form_Unload ends the process at once, even in the middle of an export: what the export has
    // not finished is removed first.
    form.setCloseHandler(guarded([&logic] {
        app::removeUnfinishedExports();
        logic.Form_Unload();
    }));
    app::TerminationSignal termination([&form] { form.close(); });

    form.centreOnScreen();  // before the start-up, so its message boxes centre on the window too
    logic.Form_Load();
    if (assembly.mainWindow.ended()) {
        return 1;  // the start-up ended the program (no dictionary) before the window was shown
    }
    form.show();
    return QApplication::exec();
}
