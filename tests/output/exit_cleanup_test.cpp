// SIGTERM in the middle of an export, the way the program meets it: the termination handler turns
// the signal into a call in the event loop, which removes what the export has not finished and
// ends the process at once, as closing the window does. Each case runs the export in a child
// process, kills it partway and then looks at the files.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QString>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <utility>

#include "app/termination_signal.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_result_list_view.h"
#include "fakes/fake_services.h"
#include "file_helpers.h"
#include "output/results_output.h"
#include "platform/qt/xlsx_spreadsheet.h"

namespace fs = std::filesystem;

namespace {

// Processes the Qt events on every yield of the export, like the window's pump. After
// `signalAfter` yields it tells the parent through `ready` that the export is under way, then
// keeps processing events until the parent's signal arrives.
class SignallingPump : public wordloom::platform::EventPump {
public:
    SignallingPump(int signalAfter, int ready) : m_signalAfter(signalAfter), m_ready(ready) {}

    void processEvents() override {
        QCoreApplication::processEvents();
        if (++m_calls != m_signalAfter) {
            return;
        }
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_ready, &byte, 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::_Exit(3);  // no signal came
    }

private:
    int m_calls = 0;
    int m_signalAfter;
    int m_ready;
};

// Runs `exportBody` in a child process whose termination handler ends it the way the window's
// close does; sends `signal` at the export's yield number `signalAfter` and calls `whileRunning`
// just before.
// Returns the child's exit status (0 when it ended through the handler).
int killedPartway(int signalAfter,
                  const std::function<void(wordloom::platform::EventPump&)>& exportBody,
                  const std::function<void()>& whileRunning, int signal = SIGTERM) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        int argc = 1;
        char name[] = "exit_cleanup_test";
        char* argv[] = {name, nullptr};
        QCoreApplication application(argc, argv);
        wordloom::app::TerminationSignal termination([] {
            wordloom::app::removeUnfinishedExports();
            std::_Exit(0);
        });
        SignallingPump pump(signalAfter, ready[1]);
        exportBody(pump);
        std::_Exit(4);  // the export ended before the signal
    }
    ::close(ready[1]);
    char byte = 0;
    const bool underWay = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (underWay) {
        whileRunning();
    }
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct ExportControls {
    fakes::FakeResultListView ListView2;
    fakes::FakeProgressDisplay ProgressBar1;
    fakes::FakeMainWindow Form1;
    fakes::FakeMessageBox messages;
    fakes::FakeFileDialog CommonDialog1;
    fakes::FakeClipboard clipboard;

    ExportControls() {
        ListView2.list.table.headers = {u"Unscramble Letters"};
        for (int i = 0; i < 5000; ++i) {
            ListView2.list.addRow({u"word" + std::u16string(30, u'x')}, true);
        }
    }
};

// The text export of ExportControls' rows to `fileName`.
void exportText(wordloom::platform::EventPump& pump, const std::u16string& fileName) {
    ExportControls c;
    fakes::FakeSpreadsheetService spreadsheets;
    wordloom::output::ResultsOutput output({c.ListView2, c.ProgressBar1, c.Form1, c.messages,
                                            c.CommonDialog1, c.clipboard, spreadsheets, pump});
    c.CommonDialog1.nextSaveReply.push_back(fileName);
    output.PushButton5_Click();
}

// A pump that ends the process at its yield number `endAt` by `end`, as Qt does when the X
// connection breaks.
class EndingPump : public wordloom::platform::EventPump {
public:
    EndingPump(int endAt, void (*end)()) : m_endAt(endAt), m_end(end) {}
    void processEvents() override {
        QCoreApplication::processEvents();
        if (++m_calls == m_endAt) {
            m_end();
        }
    }

private:
    int m_calls = 0;
    int m_endAt;
    void (*m_end)();
};

}  // namespace

TEST(ExitCleanUp, SigtermOrSighupDuringTheTextExportRemovesTheTemporaryFileAndKeepsTheOldOne) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        fakes::TempFolder folder;
        folder.write("results.txt", "old content");
        int entriesWhileRunning = 0;

        // The rows are written from about yield 5000 on, after the width pass.
        const int status = killedPartway(
            8000,
            [&](wordloom::platform::EventPump& pump) {
                exportText(pump, nameIn(folder, "results.txt"));
            },
            [&] { entriesWhileRunning = entryCount(folder.path()); }, signal);

        EXPECT_EQ(status, 0) << signal;
        EXPECT_EQ(entriesWhileRunning, 2);  // the old file and the temporary one
        EXPECT_EQ(entryCount(folder.path()), 1);
        EXPECT_EQ(readBytes(folder.path() / "results.txt"), "old content");
    }
}

TEST(ExitCleanUp, TheLostXConnectionOrAFatalErrorDuringTheTextExportLeavesNothingBehind) {
    const std::pair<const char*, void (*)()> ends[] = {
        {"exit", [] { std::exit(1); }},
        {"fatal", [] { qFatal("The X11 connection broke: I/O error (code 1)"); }},
    };
    for (const auto& [what, end] : ends) {
        fakes::TempFolder folder;
        folder.write("results.txt", "old content");
        const pid_t child = ::fork();
        if (child == 0) {
            int argc = 1;
            char name[] = "exit_cleanup_test";
            char* argv[] = {name, nullptr};
            QCoreApplication application(argc, argv);
            wordloom::app::TerminationSignal termination([] { std::_Exit(5); });
            EndingPump pump(8000, end);
            exportText(pump, nameIn(folder, "results.txt"));
            std::_Exit(4);  // the export ended first
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 1))
            << what << " " << status;
        EXPECT_EQ(entryCount(folder.path()), 1) << what;
        EXPECT_EQ(readBytes(folder.path() / "results.txt"), "old content");
    }
}

TEST(ExitCleanUp, SigtermDuringTheSpreadsheetExportRemovesTheReservedWorkbook) {
    fakes::TempFolder folder;
    const fs::path workbooks = folder.path() / "Workbooks";
    folder.write("bin/localc", "");
    fs::permissions(folder.path() / "bin/localc", fs::perms::owner_all);
    int entriesWhileRunning = 0;

    const int status = killedPartway(
        200,
        [&](wordloom::platform::EventPump& pump) {
            ExportControls c;
            wordloom::platform::qt::SpreadsheetProbe probe;
            probe.searchPath = {QString::fromStdString((folder.path() / "bin").string())};
            wordloom::platform::qt::XlsxSpreadsheetService spreadsheets(
                QString::fromStdString(workbooks.string()), probe,
                [](const QString&) { return true; });
            wordloom::output::ResultsOutput output({c.ListView2, c.ProgressBar1, c.Form1,
                                                    c.messages, c.CommonDialog1, c.clipboard,
                                                    spreadsheets, pump});
            output.PushButton13_Click();
        },
        [&] { entriesWhileRunning = entryCount(workbooks); });

    EXPECT_EQ(status, 0);
    EXPECT_EQ(entriesWhileRunning, 1);  // the workbook file reserved for this export
    EXPECT_EQ(entryCount(workbooks), 0);
}
