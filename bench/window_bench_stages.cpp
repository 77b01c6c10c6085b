// The four stages of the window benchmark, each timing one group of window-level operations.

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QScrollBar>
#include <cstdio>
#include <fstream>

#include "bench/window_bench.h"
#include "engine/text.h"
#include "engine/words/run_core.h"
#include "output/clipboard_text.h"
#include "output/text_export.h"
#include "platform/qt/qt_text.h"

namespace wordloom::bench {

// The letter file of the run written to the scratch folder and imported through "Load Letters
// From Text File"; returns the letter sets the list then holds.
std::vector<std::u16string> WindowBench::importLetterFile(Figure& import) {
    const std::string letterFile = (m_scratch + QStringLiteral("/letters.txt")).toStdString();
    {
        std::string text;
        for (const std::u16string& set : benchLetterSets(m_options.sets)) {
            text += engine::encodeUtf8(set) + "\r\n";
        }
        std::ofstream(letterFile, std::ios::binary) << text;
    }
    m_commonDialog1.filesToOpen = {engine::decodeUtf8(letterFile)};
    m_window.listView1.clear();
    measure([&] { m_window.logic.PushButton4_Click(); }, import);
    std::vector<std::u16string> sets;
    const auto snapshot = m_window.listView1.snapshot();
    for (int i = 1; i <= snapshot->rowCount(); ++i) {
        sets.emplace_back(snapshot->cell(i, 1));
    }
    return sets;
}

// 1. The run over letter sets imported from a file, against the engine alone.
void WindowBench::stageRun() {
    Figure import = figure();
    const std::vector<std::u16string> sets = importLetterFile(import);
    const auto dictionary = m_window.logic.dictionary();
    const engine::LengthMask allLengths = engine::LengthMask::range(2, 8);
    // The list shows its rows once the view knows of all it is told of without scrolling (the
    // rest it learns of as it scrolls to the end) and painted after that.
    const auto listShowsEveryRow = [&] {
        return !m_results.hasPendingRows() && m_paints.watchedPaints() > m_paintsAtInsert;
    };
    const auto runToRowsShown = [&](double* doneWall, double* doneCpu) {
        const Stopwatch watch;
        m_window.logic.PushButton2_Click();
        *doneWall = watch.wall();
        *doneCpu = watch.cpu();
        processUntil(listShowsEveryRow);
    };
    // The first run after start-up, before anything else has run: the matcher's buffers, the
    // result list's rows and the view's first layout of a million rows all start from nothing.
    Figure firstRun = figure();
    double doneWall = 0;
    double doneCpu = 0;
    measure([&] { runToRowsShown(&doneWall, &doneCpu); }, firstRun);
    Figure run = figure(), runShown = figure(), engineAlone = figure();
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
        measure([&] { runToRowsShown(&doneWall, &doneCpu); }, runShown);
        run.take(doneWall, doneCpu, m_eventTurns.maxGapMs(), m_paints.repaints.maxGapMs());
        done &=
            m_messages.messages().size() > before && m_messages.messages().back().text == u"Done.";
    }
    std::printf(
        "\n1. Run over %zu letter sets from a file (8 letters, all lengths): %zu rows "
        "found by the engine, %d listed, \"Done.\" shown: %s\n",
        sets.size(), engineRows, m_window.listView2.count(), done ? "yes" : "NO");
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
void WindowBench::stageAppend() {
    const std::vector<std::uint32_t> positions =
        runResultPositions(*m_window.logic.dictionary(), m_options.rows, m_options.sets);
    Figure append = figure();
    bool shown = true;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        m_window.listView2.clear();
        measure(
            [&] {
                long painted = m_paints.watchedPaints();
                m_window.listView2.appendWords(positions);
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
    std::printf("  rows listed %d, scrolled to the end: %s, painted: %s\n",
                m_window.listView2.count(),
                bar->value() == bar->maximum() && bar->maximum() > 0 &&
                        m_results.rowCount() == m_results.size()
                    ? "yes"
                    : "NO",
                shown ? "yes" : "NO (timed out)");
}

void WindowBench::timeTextExport(const std::string& plainFile) {
    const std::string exportFile = (m_scratch + QStringLiteral("/results.txt")).toStdString();
    Figure textExport = figure();
    for (int rep = 0; rep < m_options.reps; ++rep) {
        measure(
            [&] {
                output::SaveListviewProperlySpaced(m_window.listView2,
                                                   engine::decodeUtf8(exportFile),
                                                   &m_window.progressBar1, m_messages, m_events);
            },
            textExport);
    }
    const std::string exported = readFile(exportFile);
    Figure plainWrite = figure(), durableWrite = figure();
    for (int rep = 0; rep < m_options.reps; ++rep) {
        plainWrite.take(plainWriteSeconds(plainFile, exported), 0);
        durableWrite.take(durableWriteSeconds(plainFile, exported), 0);
    }
    printTime("text export (SaveListviewProperlySpaced)", textExport);
    std::printf("  %-44s wall %9.1f ms   (%zu bytes)\n", "one fwrite + fflush of the same bytes",
                plainWrite.wall * 1e3, exported.size());
    // The export flushes its file to the disk, which a plain write does not: its goal is set
    // against the durable write below, and this ratio is shown for comparison only.
    std::printf("  %-44s %.2fx   no target (the export is durable)\n",
                "text export / plain write (wall)", textExport.wall / plainWrite.wall);
    std::printf("  %-44s wall %9.1f ms\n", "the same written, flushed to disk and renamed",
                durableWrite.wall * 1e3);
    printRatio("text export / that durable write (wall)", textExport.wall / durableWrite.wall, 1.5);
    printGaps(textExport, 100);
}

void WindowBench::timeClipboard(const std::string& plainFile) {
    Figure copy = figure();
    for (int rep = 0; rep < m_options.reps; ++rep) {
        measure(
            [&] {
                output::CopyListviewToClipboard(m_window.listView2, m_window.clipboard, m_events);
            },
            copy);
    }
    const QString copied = QGuiApplication::clipboard()->text();
    const std::u16string expected = output::clipboardText(*m_window.listView2.snapshot(), [] {});
    const std::string copiedBytes = engine::encodeUtf8(expected);
    Figure plainWrite = figure();
    for (int rep = 0; rep < m_options.reps; ++rep) {
        plainWrite.take(plainWriteSeconds(plainFile, copiedBytes), 0);
    }
    printTime("clipboard (CopyListviewToClipboard)", copy);
    std::printf("  %-44s wall %9.1f ms   (%zu bytes as UTF-8)\n",
                "one fwrite + fflush of the same text", plainWrite.wall * 1e3, copiedBytes.size());
    printRatio("clipboard / plain write (wall)", copy.wall / plainWrite.wall, 3);
    printGaps(copy, 100);
    std::printf("  the clipboard holds the expected text: %s\n",
                platform::qt::toU16String(copied) == expected ? "yes" : "NO");
}

// 3. Text export and clipboard text of the (million) rows the append stage listed, all ticked.
void WindowBench::stageExport() {
    const Stopwatch ticking;
    tickAllResults();
    std::printf("\n3. Text export and clipboard of %d ticked rows (ticking them took %.0f ms)\n",
                m_results.size(), ticking.wall() * 1e3);
    const std::string plainFile = (m_scratch + QStringLiteral("/plain.txt")).toStdString();
    timeTextExport(plainFile);
    timeClipboard(plainFile);
}

// 4. Spreadsheet export through the window's command, the workbook written and closed.
void WindowBench::stageSpreadsheet() {
    m_window.listView2.clear();
    m_window.listView2.appendWords(
        runResultPositions(*m_window.logic.dictionary(), m_options.sheetRows, m_options.sets));
    tickAllResults();
    Figure sheet = figure();
    qint64 workbookBytes = 0;
    for (int rep = 0; rep < m_options.reps; ++rep) {
        QDir(m_workbookFolder).removeRecursively();
        measure([&] { m_window.logic.PushButton13_Click(); }, sheet);
        const QFileInfoList books = QDir(m_workbookFolder).entryInfoList(QDir::Files);
        workbookBytes = books.size() == 1 ? books.front().size() : -1;
    }
    std::printf("\n4. Spreadsheet export of %d ticked rows (Save Results As Excel File)\n",
                m_window.listView2.count());
    printTime("click to workbook closed", sheet);
    std::printf("  %-44s %.2f s   target < 5 s: %s   (workbook %lld bytes)\n", "best wall",
                sheet.wall, sheet.wall < 5 && workbookBytes > 0 ? "met" : "MISSED",
                static_cast<long long>(workbookBytes));
    printGaps(sheet, 100);
}

}  // namespace wordloom::bench
