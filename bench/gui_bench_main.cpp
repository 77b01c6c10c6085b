// wordloom-gui-bench: times the window-level operations on the real widgets, adapters and
// window logic (the Qt "offscreen" platform unless another is set): the run over letter sets
// imported from a file against the engine alone, a million result rows appended and shown, the
// text export and the clipboard text of a million ticked rows against one plain write of the
// same bytes, and the spreadsheet export. Long operations also report the longest stretch in
// which the window neither processed events nor repainted. Message boxes are recorded instead
// of shown, the file dialogs answer from a script, the workbook is written but not opened.
//
// Usage: wordloom-gui-bench [--sets N] [--rows N] [--sheet-rows N] [--reps N] [--only 1|2|3|4]
// (--only 3 also runs part 2, which lists the rows that part 3 exports)

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/gui_bench_support.h"
#include "bench/letter_sets.h"
#include "engine/words/run_core.h"
#include "engine/text.h"
#include "output/clipboard_text.h"
#include "output/text_export.h"
#include "platform/qt/form1_widget.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_list_views.h"
#include "platform/qt/qt_main_window.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/xlsx_spreadsheet.h"
#include "window/form1.h"

namespace {

using namespace wordloom;
using bench::Clock;
using platform::qt::Form1Widget;

struct Options {
    std::size_t sets = 10'000;
    std::size_t rows = 1'000'000;
    std::size_t sheetRows = 100'000;
    int reps = 3;
    int only = 0;          // 0: every part
    bool verbose = false;  // every repetition's figures too

    bool runs(int part) const { return only == 0 || only == part || (only == 3 && part == 2); }
};

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verbose") == 0) {
            options.verbose = true;
            continue;
        }
        if (i + 1 >= argc) {
            break;
        }
        const std::size_t value = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--sets") == 0) {
            options.sets = value;
        } else if (std::strcmp(argv[i], "--rows") == 0) {
            options.rows = value;
        } else if (std::strcmp(argv[i], "--sheet-rows") == 0) {
            options.sheetRows = value;
        } else if (std::strcmp(argv[i], "--reps") == 0) {
            options.reps = static_cast<int>(value);
        } else if (std::strcmp(argv[i], "--only") == 0) {
            options.only = static_cast<int>(value);
        }
        ++i;
    }
    return options;
}

// Best wall and best processor time over the repetitions (each minimum taken on its own), and
// the longest gaps of the repetition with the best wall time and of the worst repetition.
bool g_verbose = false;

struct Figure {
    double wall = 1e30;
    double cpu = 1e30;
    double pumpGapBest = 0, pumpGapWorst = 0;
    double paintGapBest = 0, paintGapWorst = 0;

    void take(double w, double c, double pumpGap = 0, double paintGap = 0) {
        if (g_verbose) {
            std::printf("    (repetition: wall %.1f ms, cpu %.1f ms, gaps %.1f / %.1f ms)\n",
                        w * 1e3, c * 1e3, pumpGap, paintGap);
        }
        if (w < wall) {
            pumpGapBest = pumpGap;
            paintGapBest = paintGap;
        }
        wall = std::min(wall, w);
        cpu = std::min(cpu, c);
        pumpGapWorst = std::max(pumpGapWorst, pumpGap);
        paintGapWorst = std::max(paintGapWorst, paintGap);
    }
};

struct Stopwatch {
    Clock::time_point wallStart = Clock::now();
    double cpuStart = bench::processSeconds();
    double wall() const { return std::chrono::duration<double>(Clock::now() - wallStart).count(); }
    double cpu() const { return bench::processSeconds() - cpuStart; }
};

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// One write of `bytes` to a new file and a flush: the floor any writer of those bytes meets.
double plainWriteSeconds(const std::string& path, const std::string& bytes) {
    const Stopwatch watch;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fflush(file) != 0) {
        std::fprintf(stderr, "Cannot write '%s'.\n", path.c_str());
        std::exit(1);
    }
    std::fclose(file);
    return watch.wall();
}

// The same write made durable the way the text export replaces a file: to a new file, flushed
// to the disk, renamed over the target, the folder flushed too.
double durableWriteSeconds(const std::string& path, const std::string& bytes) {
    const Stopwatch watch;
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0) {
        std::fprintf(stderr, "Cannot write '%s'.\n", temporary.c_str());
        std::exit(1);
    }
    std::fclose(file);
    std::rename(temporary.c_str(), path.c_str());
    const std::string folder = path.substr(0, path.rfind('/'));
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
    return watch.wall();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void printTime(const char* what, const Figure& figure) {
    std::printf("  %-44s wall %9.1f ms   cpu %9.1f ms\n", what, figure.wall * 1e3,
                figure.cpu * 1e3);
}

// `repaintsOnly`: the operation also lets the window process events outside the pump (the
// workbook is written on a thread while the window runs), so only the repaints count.
void printGaps(const Figure& figure, double limitMs, bool repaintsOnly = false) {
    const bool met =
        (repaintsOnly || figure.pumpGapWorst <= limitMs) && figure.paintGapWorst <= limitMs;
    std::printf(
        "  %-44s events %6.1f ms (worst rep %6.1f)   repaint %6.1f ms (worst rep %6.1f)   "
        "target <= %.0f ms: %s\n",
        "longest gap", figure.pumpGapBest, figure.pumpGapWorst, figure.paintGapBest,
        figure.paintGapWorst, limitMs, verdict(met));
}

void printRatio(const char* what, double value, double limit) {
    std::printf("  %-44s %.2fx   target <= %.0fx: %s\n", what, value, limit,
                verdict(value <= limit));
}

// The letter sets of the run: 8 random letters each, English frequencies, fixed seed.
std::vector<std::u16string> benchLetterSets(std::size_t count) {
    return bench::randomLetterSets(count, 8, 0, 20240611);
}

// `count` result rows as a run lists them: the words the engine finds for the letter sets, in
// run order (repeated when they are fewer), so the rows read the dictionary as real results do.
std::vector<std::uint32_t> runResultPositions(const engine::Dictionary& dictionary,
                                              std::size_t count, std::size_t sets) {
    std::vector<std::uint32_t> found;
    const engine::LengthMask allLengths = engine::LengthMask::range(2, 8);
    for (const std::u16string& set : benchLetterSets(sets)) {
        engine::unscrambleLetterSet(dictionary, set, allLengths, found);
    }
    std::vector<std::uint32_t> positions(count);
    for (std::size_t i = 0; i < count && !found.empty(); ++i) {
        positions[i] = found[i % found.size()];
    }
    return positions;
}

// The main window with its adapters and window logic, wired as the program wires them, and the
// parts of the benchmark that drive it.
class WindowBench {
public:
    WindowBench(const Options& options, const QString& scratch);

    bool start();  // false when the start-up failed
    void partRun();
    void partAppend();
    void partExport();
    void partSpreadsheet();

private:
    std::array<platform::CheckBox*, 7> checkPointers();
    void measure(const std::function<void()>& operation, Figure& figure);
    // Processes events until `done` holds or `seconds` pass, marking each round as one of the
    // window's; false on time-out.
    bool processUntil(const std::function<bool()>& done, double seconds = 30);
    void tickAllResults();

    const Options m_options;
    const QString m_scratch;
    Form1Widget m_form;
    platform::qt::QtMainWindow m_mainWindow{m_form};
    platform::qt::QtListView m_listView1{m_form.listView1(), m_form.letterSets()};
    platform::qt::QtResultListView m_listView2{m_form.listView2(), m_form.results()};
    std::array<std::unique_ptr<platform::qt::QtCheckBox>, 7> m_checks;
    platform::qt::QtProgressDisplay m_progressBar1{m_form.progressBar1()};
    bench::RecordingMessageBox m_messages;
    platform::qt::QtInputBox m_inputBox{&m_form};
    bench::ScriptedFileDialog m_commonDialog1;
    platform::qt::QtClipboard m_clipboard;
    platform::qt::QtSettingsStore m_settings;
    platform::qt::QtShell m_shell;
    QString m_workbookFolder;
    platform::qt::XlsxSpreadsheetService m_spreadsheets;
    bench::RoundMeter m_pumpRounds;  // the real pump, with each processing round time-stamped
    platform::qt::QtEventPump m_events;
    window::Form1 m_logic;
    bench::PaintWatcher m_paints{m_form};
    // While an operation is measured the progress bar asks for a repaint every 10 ms, so a long
    // stretch without repaints shows a window that could not repaint, not one that had no need.
    QTimer m_repaintProbe;
    platform::qt::ResultListModel& m_results = m_form.results();
    QTreeView& m_view2 = m_form.listView2();
    long m_paintsAtInsert = 0;  // viewport paints when the view last heard of new rows
};

// A spreadsheet application is found through a desktop entry in the scratch folder.
platform::qt::SpreadsheetProbe benchProbe(const QString& scratch) {
    const QString appData = scratch + QStringLiteral("/apps");
    QDir().mkpath(appData + QStringLiteral("/applications"));
    QFile entry(appData + QStringLiteral("/applications/bench-sheet.desktop"));
    if (entry.open(QIODevice::WriteOnly)) {
        entry.write(
            "[Desktop Entry]\nType=Application\nName=Sheet\nExec=true %f\n"
            "Categories=Office;Spreadsheet;\n");
    }
    platform::qt::SpreadsheetProbe probe;
    probe.dataDirs = {appData};
    probe.defaultHandler = [](const QString&) { return QStringLiteral("bench-sheet.desktop"); };
    return probe;
}

WindowBench::WindowBench(const Options& options, const QString& scratch)
    : m_options(options),
      m_scratch(scratch),
      m_workbookFolder(scratch + QStringLiteral("/workbooks")),
      // The finished workbook is handed to nobody.
      m_spreadsheets(m_workbookFolder, benchProbe(scratch), [](const QString&) { return true; }),
      m_events(&platform::qt::QtEventPump::systemNow,
               [this] {
                   m_pumpRounds.mark();
                   QCoreApplication::processEvents();
               }),
      m_logic({
          .Form1 = m_mainWindow,
          .ListView1 = m_listView1,
          .ListView2 = m_listView2,
          .Check = checkPointers(),
          .ProgressBar1 = m_progressBar1,
          .messages = m_messages,
          .inputBox = m_inputBox,
          .CommonDialog1 = m_commonDialog1,
          .clipboard = m_clipboard,
          .settings = m_settings,
          .shell = m_shell,
          .spreadsheets = m_spreadsheets,
          .events = m_events,
          .applicationFolder = platform::qt::toU16String(QCoreApplication::applicationDirPath()),
          .drawHomePageNumber = [] { return 0; },  // never the home-page visit
      }) {
    m_repaintProbe.setInterval(10);
    QObject::connect(&m_repaintProbe, &QTimer::timeout, [this] { m_form.progressBar1().update(); });
    m_paints.watch(m_view2.viewport());
    QObject::connect(&m_results, &QAbstractItemModel::rowsInserted,
                     [this] { m_paintsAtInsert = m_paints.watchedPaints(); });
}

std::array<platform::CheckBox*, 7> WindowBench::checkPointers() {
    std::array<platform::CheckBox*, 7> pointers{};
    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        m_checks[i] =
            std::make_unique<platform::qt::QtCheckBox>(m_form.check(static_cast<int>(i) + 1));
        pointers[i] = m_checks[i].get();
    }
    return pointers;
}

bool WindowBench::start() {
    m_logic.Form_Load();
    if (m_mainWindow.ended() || !m_logic.dictionary()) {
        std::fprintf(stderr, "The start-up failed: is words.dic beside the program?\n");
        return false;
    }
    m_form.show();
    settle();
    for (const auto& box : m_checks) {
        box->setState(1);
    }
    return m_messages.printFailureReports(0) == 0;
}

void WindowBench::measure(const std::function<void()>& operation, Figure& figure) {
    settle();
    const std::size_t before = m_messages.messages().size();
    m_repaintProbe.start();
    m_pumpRounds.start();
    m_paints.repaints.start();
    const Stopwatch watch;
    operation();
    const double wall = watch.wall();
    const double cpu = watch.cpu();
    m_pumpRounds.stop();
    m_paints.repaints.stop();
    m_repaintProbe.stop();
    figure.take(wall, cpu, m_pumpRounds.maxGapMs(), m_paints.repaints.maxGapMs());
    if (g_verbose) {
        std::printf("    (%zu event rounds, %zu repaints; longest gaps ended %.1f / %.1f ms in)\n",
                    m_pumpRounds.rounds(), m_paints.repaints.rounds(), m_pumpRounds.maxGapEndMs(),
                    m_paints.repaints.maxGapEndMs());
    }
    if (m_messages.printFailureReports(before) != 0) {
        std::printf("  (the figure above includes failures)\n");
    }
}

bool WindowBench::processUntil(const std::function<bool()>& done, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        m_pumpRounds.mark();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void WindowBench::tickAllResults() {
    // The user ticks rows the list shows: every row, once the list has scrolled to its end.
    while (m_results.hasUnshownRows()) {
        m_results.showMoreRows();
    }
    for (int row = 0; row < m_results.size(); ++row) {
        m_results.setData(m_results.index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
}

// 1. The run over letter sets imported from a file, against the engine alone.
void WindowBench::partRun() {
    const std::string letterFile = (m_scratch + QStringLiteral("/letters.txt")).toStdString();
    {
        std::string text;
        for (const std::u16string& set : benchLetterSets(m_options.sets)) {
            text += engine::encodeUtf8(set) + "\r\n";
        }
        std::ofstream(letterFile, std::ios::binary) << text;
    }
    m_commonDialog1.filesToOpen = {engine::decodeUtf8(letterFile)};
    m_listView1.clear();
    Figure import;
    measure([&] { m_logic.PushButton4_Click(); }, import);
    std::vector<std::u16string> sets;
    const auto snapshot = m_listView1.snapshot();
    for (int i = 1; i <= snapshot->rowCount(); ++i) {
        sets.emplace_back(snapshot->cell(i, 1));
    }

    const auto dictionary = m_logic.dictionary();
    const engine::LengthMask allLengths = engine::LengthMask::range(2, 8);
    // The list shows its rows once the view knows of all it is told of without scrolling (the
    // rest it learns of as it scrolls to the end) and painted after that.
    const auto listShowsEveryRow = [&] {
        return !m_results.hasPendingRows() && m_paints.watchedPaints() > m_paintsAtInsert;
    };
    // The first run after start-up, before anything else has run: the matcher's buffers, the
    // result list's rows and the view's first layout of a million rows all start from nothing.
    Figure firstRun;
    measure(
        [&] {
            m_logic.PushButton2_Click();
            processUntil(listShowsEveryRow);
        },
        firstRun);
    Figure run;
    Figure runShown;
    Figure engineAlone;
    std::size_t engineRows = 0;
    bool done = true;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        measure(
            [&] {
                std::vector<std::uint32_t> found;
                for (const std::u16string& set : sets) {
                    engine::unscrambleLetterSet(*dictionary, set, allLengths, found);
                }
                engineRows = found.size();
            },
            engineAlone);
        const std::size_t before = m_messages.messages().size();
        double doneWall = 0;
        double doneCpu = 0;
        measure(
            [&] {
                const Stopwatch watch;
                m_logic.PushButton2_Click();
                doneWall = watch.wall();
                doneCpu = watch.cpu();
                processUntil(listShowsEveryRow);
            },
            runShown);
        run.take(doneWall, doneCpu, m_pumpRounds.maxGapMs(), m_paints.repaints.maxGapMs());
        done &=
            m_messages.messages().size() > before && m_messages.messages().back().text == u"Done.";
    }
    std::printf(
        "\n1. Run over %zu letter sets from a file (8 letters, all lengths): %zu rows "
        "found by the engine, %d listed, \"Done.\" shown: %s\n",
        sets.size(), engineRows, m_listView2.count(), done ? "yes" : "NO");
    printTime("import of the letter file (Load Letters)", import);
    printTime("run, click to \"Done.\"", run);
    printTime("run, click to the list showing its rows", runShown);
    printTime("engine alone", engineAlone);
    printRatio("run / engine (wall)", run.wall / engineAlone.wall, 2);
    printRatio("run / engine (cpu)", run.cpu / engineAlone.cpu, 2);
    printGaps(runShown, 100);
    printTime("first run after start-up, to the rows shown", firstRun);
    printGaps(firstRun, 100);
}

// 2. A million result rows appended and shown.
void WindowBench::partAppend() {
    const std::vector<std::uint32_t> positions =
        runResultPositions(*m_logic.dictionary(), m_options.rows, m_options.sets);
    Figure append;
    bool shown = true;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        m_listView2.clear();
        measure(
            [&] {
                long painted = m_paints.watchedPaints();
                m_listView2.appendWords(positions);
                shown &= processUntil([&] { return m_paints.watchedPaints() > painted; });
                // The view learns of the rows in batches as it reaches the end of those it
                // knows: scrolling to the end of the list takes a scroll per batch, and one more
                // after the last.
                for (bool more = true; shown && more;) {
                    more = m_results.hasUnshownRows();
                    painted = m_paints.watchedPaints();
                    m_view2.scrollToBottom();
                    shown &= processUntil([&] { return m_paints.watchedPaints() > painted; });
                }
            },
            append);
    }
    const QScrollBar* bar = m_view2.verticalScrollBar();
    std::printf(
        "\n2. Append and show %zu result rows, the run's results (append, first screen "
        "painted, scroll to the end painted)\n",
        positions.size());
    printTime("append + show + scroll to end", append);
    std::printf("  rows listed %d, scrolled to the end: %s, painted: %s\n", m_listView2.count(),
                bar->value() == bar->maximum() && bar->maximum() > 0 &&
                        m_results.rowCount() == m_results.size()
                    ? "yes"
                    : "NO",
                shown ? "yes" : "NO (timed out)");
}

// 3. Text export and clipboard text of the (million) rows part 2 listed, all ticked.
void WindowBench::partExport() {
    const Stopwatch ticking;
    tickAllResults();
    std::printf("\n3. Text export and clipboard of %d ticked rows (ticking them took %.0f ms)\n",
                m_results.size(), ticking.wall() * 1e3);
    const std::string exportFile = (m_scratch + QStringLiteral("/results.txt")).toStdString();
    const std::string plainFile = (m_scratch + QStringLiteral("/plain.txt")).toStdString();
    Figure textExport;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        measure(
            [&] {
                output::SaveListviewProperlySpaced(m_listView2, engine::decodeUtf8(exportFile),
                                                   &m_progressBar1, m_messages, m_events);
            },
            textExport);
    }
    const std::string exported = readFile(exportFile);
    Figure exportWrite;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        exportWrite.take(plainWriteSeconds(plainFile, exported), 0);
    }
    printTime("text export (SaveListviewProperlySpaced)", textExport);
    std::printf("  %-44s wall %9.1f ms   (%zu bytes)\n", "one fwrite + fflush of the same bytes",
                exportWrite.wall * 1e3, exported.size());
    printRatio("text export / plain write (wall)", textExport.wall / exportWrite.wall, 3);
    Figure durableWrite;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        durableWrite.take(durableWriteSeconds(plainFile, exported), 0);
    }
    std::printf("  %-44s wall %9.1f ms\n", "the same written, flushed to disk and renamed",
                durableWrite.wall * 1e3);
    printRatio("text export / that durable write (wall)", textExport.wall / durableWrite.wall, 3);
    printGaps(textExport, 100);

    Figure copy;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        measure([&] { output::CopyListviewToClipboard(m_listView2, m_clipboard, m_events); }, copy);
    }
    const QString copied = QGuiApplication::clipboard()->text();
    const std::u16string expected = output::clipboardText(*m_listView2.snapshot(), [] {});
    const std::string copiedBytes = engine::encodeUtf8(expected);
    Figure copyWrite;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        copyWrite.take(plainWriteSeconds(plainFile, copiedBytes), 0);
    }
    printTime("clipboard (CopyListviewToClipboard)", copy);
    std::printf("  %-44s wall %9.1f ms   (%zu bytes as UTF-8)\n",
                "one fwrite + fflush of the same text", copyWrite.wall * 1e3, copiedBytes.size());
    printRatio("clipboard / plain write (wall)", copy.wall / copyWrite.wall, 3);
    printGaps(copy, 100);
    std::printf("  the clipboard holds the expected text: %s\n",
                platform::qt::toU16String(copied) == expected ? "yes" : "NO");
}

// 4. Spreadsheet export through the window's command, the workbook written and closed.
void WindowBench::partSpreadsheet() {
    m_listView2.clear();
    m_listView2.appendWords(
        runResultPositions(*m_logic.dictionary(), m_options.sheetRows, m_options.sets));
    tickAllResults();
    Figure sheet;
    qint64 workbookBytes = 0;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        QDir(m_workbookFolder).removeRecursively();
        measure([&] { m_logic.PushButton13_Click(); }, sheet);
        const QFileInfoList books = QDir(m_workbookFolder).entryInfoList(QDir::Files);
        workbookBytes = books.size() == 1 ? books.front().size() : -1;
    }
    std::printf("\n4. Spreadsheet export of %d ticked rows (Save Results As Excel File)\n",
                m_listView2.count());
    printTime("click to workbook closed", sheet);
    std::printf("  %-44s %.2f s   target < 5 s: %s   (workbook %lld bytes)\n", "best wall",
                sheet.wall, verdict(sheet.wall < 5 && workbookBytes > 0),
                static_cast<long long>(workbookBytes));
    printGaps(sheet, 100, true);
}

}  // namespace

int main(int argc, char* argv[]) {
    const Options options = parseOptions(argc, argv);
    g_verbose = options.verbose;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The word-length boxes store their states and workbooks go to the data folder: both point
    // into a temporary folder so the user's own settings stay untouched.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "Cannot create a temporary folder.\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/data")));
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wordloom"));

    WindowBench bench(options, scratch.path());
    if (!bench.start()) {
        return 1;
    }
    std::printf("wordloom-gui-bench: platform %s, best of %d (wall and cpu each the least)\n",
                QGuiApplication::platformName().toUtf8().constData(), options.reps);
    if (options.runs(1)) {
        bench.partRun();
    }
    if (options.runs(2)) {
        bench.partAppend();
    }
    if (options.runs(3)) {
        bench.partExport();
    }
    if (options.runs(4)) {
        bench.partSpreadsheet();
    }
    return 0;
}
