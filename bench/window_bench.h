#pragma once

// The window benchmark's harness: the real window with recording and scripted services, the
// figures it keeps, and the four stages it times (window_bench_stages.cpp).

#include <QString>
#include <QTimer>
#include <QTreeView>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/form1_assembly.h"
#include "bench/gui_bench_support.h"
#include "engine/dictionary.h"
#include "platform/qt/xlsx_spreadsheet.h"

namespace wordloom::bench {

struct WindowBenchOptions {
    std::size_t sets = 10'000;
    std::size_t rows = 1'000'000;
    std::size_t sheetRows = 100'000;
    int reps = 3;
    int only = 0;          // 0: every stage
    bool verbose = false;  // every repetition's figures too

    // The export stage needs the rows the append stage lists.
    bool runs(int stage) const { return only == 0 || only == stage || (only == 3 && stage == 2); }
};

// Best wall and best processor time over the repetitions (each minimum taken on its own), and
// the longest gaps of the repetition with the best wall time and of the worst repetition.
struct Figure {
    double wall = 1e30;
    double cpu = 1e30;
    double turnGapBest = 0, turnGapWorst = 0;
    double paintGapBest = 0, paintGapWorst = 0;
    bool verbose = false;

    void take(double w, double c, double turnGap = 0, double paintGap = 0);
};

struct Stopwatch {
    Clock::time_point wallStart = Clock::now();
    double cpuStart = processSeconds();
    double wall() const { return std::chrono::duration<double>(Clock::now() - wallStart).count(); }
    double cpu() const { return processSeconds() - cpuStart; }
};

void printTime(const char* what, const Figure& figure);
void printGaps(const Figure& figure, double limitMs);
void printRatio(const char* what, double value, double limit);
// One write of `bytes` to a new file and a flush: the floor any writer of those bytes meets.
double plainWriteSeconds(const std::string& path, const std::string& bytes);
// The same write made durable the way the text export replaces a file: to a new file, flushed
// to the disk, renamed over the target, the folder flushed too.
double durableWriteSeconds(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// The letter sets of the run: 8 random letters each, English frequencies, fixed seed.
std::vector<std::u16string> benchLetterSets(std::size_t count);
// `count` result rows as a run lists them: the words the engine finds for the letter sets, in
// run order (repeated when they are fewer), so the rows read the dictionary as real results do.
std::vector<std::uint32_t> runResultPositions(const engine::Dictionary& dictionary,
                                              std::size_t count, std::size_t sets);

// The main window put together as the program does it, and the stages that drive it.
class WindowBench {
public:
    WindowBench(const WindowBenchOptions& options, const QString& scratch);

    bool start();  // false when the start-up failed
    void stageRun();
    void stageAppend();
    void stageExport();
    void stageSpreadsheet();

private:
    Figure figure() const { return Figure{.verbose = m_options.verbose}; }
    void measure(const std::function<void()>& operation, Figure& figure);
    // Processes events until `done` holds or `seconds` pass; false on time-out.
    bool processUntil(const std::function<bool()>& done, double seconds = 30);
    void tickAllResults();
    std::vector<std::u16string> importLetterFile(Figure& import);
    void timeTextExport(const std::string& plainFile);
    void timeClipboard(const std::string& plainFile);

    const WindowBenchOptions m_options;
    const QString m_scratch;
    QString m_workbookFolder;
    platform::qt::Form1Widget m_form;
    RecordingMessageBox m_messages;
    ScriptedFileDialog m_commonDialog1;
    platform::qt::XlsxSpreadsheetService m_spreadsheets;
    platform::qt::QtEventPump m_events;
    app::Form1Assembly m_window;
    // Every turn of the event loop the window gets: a timer that fires each few milliseconds
    // while the loop runs, so a long gap between its firings is a stretch in which input waits.
    RoundMeter m_eventTurns;
    QTimer m_turnProbe;
    PaintWatcher m_paints{m_form};
    // While an operation is measured the progress bar asks for a repaint every 10 ms, so a long
    // stretch without repaints shows a window that could not repaint, not one that had no need.
    QTimer m_repaintProbe;
    platform::qt::ResultListModel& m_results = m_form.results();
    QTreeView& m_view2 = m_form.listView2();
    long m_paintsAtInsert = 0;  // viewport paints when the view last heard of new rows
};

}  // namespace wordloom::bench
