// wordloom-letter-sets-measure: the memory and drawing cost of large letter files in the real
// window (Qt's "offscreen" platform unless another is set). Imports a letter file through "Load
// Letters From Text File", starts a run over it with a small dictionary, and prints the
// process's resident memory before and after each, and the time the letter list takes to
// paint its first rows. Message boxes are recorded instead of shown.
//
// Usage: wordloom-letter-sets-measure LETTER-FILE [--no-run | --no-results]
// (--no-results runs with every word-length box cleared, so the run lists nothing and what it
// adds is the run's own memory)

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "app/form1_assembly.h"
#include "bench/gui_bench_support.h"
#include "platform/qt/xlsx_spreadsheet.h"

namespace {

using namespace wordloom;
using Clock = std::chrono::steady_clock;

// Resident memory of this process in MB ("VmRSS" or "VmHWM" of /proc/self/status).
double statusMegabytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stod(line.substr(std::strlen(field) + 1)) / 1024.0;
        }
    }
    return 0;
}

double elapsedMs(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void processEventsAWhile() {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
    }
}

// The letter file imported through "Load Letters From Text File"; returns the resident memory
// afterwards, in MB.
double measureImport(app::Form1Assembly& assembly, bench::ScriptedFileDialog& commonDialog1,
                     const bench::RecordingMessageBox& messages, const char* letterFile) {
    commonDialog1.filesToOpen = {QString::fromLocal8Bit(letterFile).toStdU16String()};
    const auto started = Clock::now();
    assembly.logic.PushButton4_Click();
    const double importMs = elapsedMs(started);
    processEventsAWhile();
    messages.printFailureReports(0);
    const double afterImport = statusMegabytes("VmRSS:");
    std::printf("after import:            RSS %7.1f MB, peak %7.1f MB, %d entries, %.0f ms\n",
                afterImport, statusMegabytes("VmHWM:"), assembly.listView1.count(), importMs);

    // The first rows painted at once, several times.
    QWidget* viewport = assembly.form.listView1().viewport();
    double slowestPaint = 0;
    for (int i = 0; i < 5; ++i) {
        const auto painting = Clock::now();
        viewport->repaint();
        slowestPaint = std::max(slowestPaint, elapsedMs(painting));
    }
    std::printf("letter list paint:       slowest of 5: %.2f ms\n", slowestPaint);
    return afterImport;
}

// A run over the imported letter sets, with every word-length box ticked (`results`) or none.
void measureRun(app::Form1Assembly& assembly, const bench::RecordingMessageBox& messages,
                bool results, double afterImport) {
    double highest = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { highest = std::max(highest, statusMegabytes("VmRSS:")); });
    sampler.start(50);
    for (auto& box : assembly.checks) {
        box->setState(results ? 1 : 0);
    }
    const auto started = Clock::now();
    assembly.logic.PushButton2_Click();
    const double runMs = elapsedMs(started);
    highest = std::max(highest, statusMegabytes("VmRSS:"));
    std::printf(
        "during the run:          RSS at most %7.1f MB (+%.1f%% of after import), "
        "%.0f ms, %d result rows, last message \"%s\"\n",
        highest, (highest - afterImport) / afterImport * 100.0, runMs, assembly.listView2.count(),
        messages.messages().empty()
            ? ""
            : QString::fromStdU16String(messages.messages().back().text).toUtf8().constData());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: wordloom-letter-sets-measure LETTER-FILE [--no-run]\n");
        return 2;
    }
    const bool run = !(argc > 2 && std::strcmp(argv[2], "--no-run") == 0);
    const bool results = !(argc > 2 && std::strcmp(argv[2], "--no-results") == 0);
    QTemporaryDir folder;
    {
        QFile dictionary(folder.filePath(QStringLiteral("words.dic")));
        dictionary.open(QIODevice::WriteOnly);
        dictionary.write("act\r\ncat\r\ntac\r\nat\r\nta\r\ndog\r\ngod\r\n");
    }

    platform::qt::Form1Widget form;
    bench::RecordingMessageBox messages;
    bench::ScriptedFileDialog commonDialog1;
    platform::qt::XlsxSpreadsheetService spreadsheets(
        folder.path(), platform::qt::SpreadsheetProbe(), [](const QString&) { return true; });
    platform::qt::QtEventPump events;
    app::Form1Assembly assembly(form, {
                                          .messages = messages,
                                          .CommonDialog1 = commonDialog1,
                                          .spreadsheets = spreadsheets,
                                          .events = events,
                                          .applicationFolder = folder.path().toStdU16String(),
                                          .drawHomePageNumber = [] { return 0; },
                                      });
    assembly.logic.Form_Load();
    form.show();
    processEventsAWhile();
    std::printf("window shown:            RSS %7.1f MB\n", statusMegabytes("VmRSS:"));
    const double afterImport = measureImport(assembly, commonDialog1, messages, argv[1]);
    if (run) {
        measureRun(assembly, messages, results, afterImport);
    }
    return 0;
}
