// wordloom-gui-bench: times the window-level operations on the real widgets, adapters and
// window logic (the Qt "offscreen" platform unless another is set), in four stages: the run over
// letter sets imported from a file against the engine alone, a million result rows appended and
// shown, the text export and the clipboard text of a million ticked rows against one plain write
// of the same bytes, and the spreadsheet export. Long operations also report the longest stretch
// in which the window's event loop took no turn (so input would wait) and the longest without a
// repaint. Message boxes are recorded instead of shown, the file dialogs answer from a script,
// the workbook is written but not opened.
//
// Usage: wordloom-gui-bench [--sets N] [--rows N] [--sheet-rows N] [--reps N] [--only 1|2|3|4]
//                           [--verbose]
// (--only 3 also runs stage 2, which lists the rows that stage 3 exports)

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/window_bench.h"

namespace {

using wordloom::bench::WindowBenchOptions;

WindowBenchOptions parseOptions(int argc, char** argv) {
    WindowBenchOptions options;
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

}  // namespace

int main(int argc, char* argv[]) {
    const WindowBenchOptions options = parseOptions(argc, argv);
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

    wordloom::bench::WindowBench bench(options, scratch.path());
    if (!bench.start()) {
        return 1;
    }
    std::printf("wordloom-gui-bench: platform %s, best of %d (wall and cpu each the least)\n",
                QGuiApplication::platformName().toUtf8().constData(), options.reps);
    if (options.runs(1)) {
        bench.stageRun();
    }
    if (options.runs(2)) {
        bench.stageAppend();
    }
    if (options.runs(3)) {
        bench.stageExport();
    }
    if (options.runs(4)) {
        bench.stageSpreadsheet();
    }
    return 0;
}
