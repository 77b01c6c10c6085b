#include "bench/window_bench.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "bench/letter_sets.h"
#include "engine/words/run_core.h"
#include "platform/qt/qt_text.h"

namespace wordloom::bench {

namespace {

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

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

}  // namespace

void Figure::take(double w, double c, double turnGap, double paintGap) {
    if (verbose) {
        std::printf("    (repetition: wall %.1f ms, cpu %.1f ms, gaps %.1f / %.1f ms)\n", w * 1e3,
                    c * 1e3, turnGap, paintGap);
    }
    if (w < wall) {
        turnGapBest = turnGap;
        paintGapBest = paintGap;
    }
    wall = std::min(wall, w);
    cpu = std::min(cpu, c);
    turnGapWorst = std::max(turnGapWorst, turnGap);
    paintGapWorst = std::max(paintGapWorst, paintGap);
}

void printTime(const char* what, const Figure& figure) {
    std::printf("  %-44s wall %9.1f ms   cpu %9.1f ms\n", what, figure.wall * 1e3,
                figure.cpu * 1e3);
}

void printGaps(const Figure& figure, double limitMs) {
    const bool met = figure.turnGapWorst <= limitMs && figure.paintGapWorst <= limitMs;
    std::printf(
        "  %-44s events %6.1f ms (worst rep %6.1f)   repaint %6.1f ms (worst rep %6.1f)   "
        "target <= %.0f ms: %s\n",
        "longest gap", figure.turnGapBest, figure.turnGapWorst, figure.paintGapBest,
        figure.paintGapWorst, limitMs, verdict(met));
}

void printRatio(const char* what, double value, double limit) {
    std::printf("  %-44s %.2fx   target <= %.1fx: %s\n", what, value, limit,
                verdict(value <= limit));
}

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

std::vector<std::u16string> benchLetterSets(std::size_t count) {
    return randomLetterSets(count, 8, 0, 20240611);
}

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

WindowBench::WindowBench(const WindowBenchOptions& options, const QString& scratch)
    : m_options(options),
      m_scratch(scratch),
      m_workbookFolder(scratch + QStringLiteral("/workbooks")),
      // The finished workbook is handed to nobody.
      m_spreadsheets(m_workbookFolder, benchProbe(scratch), [](const QString&) { return true; }),
      m_events(&platform::qt::QtEventPump::systemNow,
               [this] {
                   m_eventTurns.mark();
                   QCoreApplication::processEvents();
               }),
      m_window(m_form, {
                           .messages = m_messages,
                           .CommonDialog1 = m_commonDialog1,
                           .spreadsheets = m_spreadsheets,
                           .events = m_events,
                           .applicationFolder =
                               platform::qt::toU16String(QCoreApplication::applicationDirPath()),
                           .drawHomePageNumber = [] { return 0; },  // never the home-page visit
                       }) {
    m_turnProbe.setInterval(5);
    QObject::connect(&m_turnProbe, &QTimer::timeout, [this] { m_eventTurns.mark(); });
    m_repaintProbe.setInterval(10);
    QObject::connect(&m_repaintProbe, &QTimer::timeout, [this] { m_form.progressBar1().update(); });
    m_paints.watch(m_view2.viewport());
    QObject::connect(&m_results, &QAbstractItemModel::rowsInserted,
                     [this] { m_paintsAtInsert = m_paints.watchedPaints(); });
}

bool WindowBench::start() {
    m_window.logic.Form_Load();
    if (m_window.mainWindow.ended() || !m_window.logic.dictionary()) {
        std::fprintf(stderr, "The start-up failed: is words.dic beside the program?\n");
        return false;
    }
    m_form.show();
    settle();
    for (const auto& box : m_window.checks) {
        box->setState(1);
    }
    return m_messages.printFailureReports(0) == 0;
}

void WindowBench::measure(const std::function<void()>& operation, Figure& figure) {
    settle();
    const std::size_t before = m_messages.messages().size();
    m_repaintProbe.start();
    m_turnProbe.start();
    m_eventTurns.start();
    m_paints.repaints.start();
    const Stopwatch watch;
    operation();
    const double wall = watch.wall();
    const double cpu = watch.cpu();
    m_eventTurns.stop();
    m_paints.repaints.stop();
    m_turnProbe.stop();
    m_repaintProbe.stop();
    figure.take(wall, cpu, m_eventTurns.maxGapMs(), m_paints.repaints.maxGapMs());
    if (m_options.verbose) {
        std::printf("    (%zu event turns, %zu repaints; longest gaps ended %.1f / %.1f ms in)\n",
                    m_eventTurns.rounds(), m_paints.repaints.rounds(), m_eventTurns.maxGapEndMs(),
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
        m_eventTurns.mark();
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

}  // namespace wordloom::bench
