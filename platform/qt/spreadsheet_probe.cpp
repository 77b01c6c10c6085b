#include "spreadsheet_probe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace wordloom::platform::qt {

namespace {

const QStringList knownSpreadsheetPrograms = {
    QStringLiteral("localc"),   QStringLiteral("libreoffice"),    QStringLiteral("soffice"),
    QStringLiteral("gnumeric"), QStringLiteral("calligrasheets"),
};

// Desktop entries and mimeapps.list files are a few kilobytes; a larger file is none of them.
constexpr qint64 LargestKeyFile = 4 << 20;

// The value of `key` in the group `group` of a desktop-style key file, or a null string. Blanks
// around the "=" are ignored. Only a regular file is read: a pipe would block the window.
QString keyFileValue(const QString& file, const QString& group, const QString& key) {
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > LargestKeyFile) {
        return {};
    }
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QTextStream lines(&input);
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    bool inGroup = false;
    QString line;
    while (lines.readLineInto(&line)) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == header;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inGroup && equals > 0 && QStringView(line).first(equals).trimmed() == key) {
            return line.mid(equals + 1).trimmed();
        }
    }
    return {};
}

QString queryXdgMime(const QString& mimeType, const QStringList& searchPath) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"), searchPath);
    if (xdgMime.isEmpty()) {
        return {};
    }
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput())
        .section(QLatin1Char('\n'), 0, 0)
        .trimmed();
}

}  // namespace

SpreadsheetProbe SpreadsheetProbe::fromSystem() {
    SpreadsheetProbe probe;
    probe.dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    probe.searchPath = qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    probe.defaultHandler = [dataDirs = probe.dataDirs,
                            searchPath = probe.searchPath](const QString& mimeType) {
        QString id = queryXdgMime(mimeType, searchPath);
        if (id.isEmpty()) {
            QStringList listFiles;
            for (const QString& dir :
                 QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
                listFiles.append(dir + QStringLiteral("/mimeapps.list"));
            }
            for (const QString& dir : dataDirs) {
                listFiles.append(dir + QStringLiteral("/applications/mimeapps.list"));
            }
            id = defaultHandlerFromMimeApps(mimeType, listFiles);
        }
        return id;
    };
    return probe;
}

bool hasSpreadsheetApplication(const SpreadsheetProbe& probe) {
    const QString handler =
        probe.defaultHandler ? probe.defaultHandler(QString::fromLatin1(XlsxMimeType)) : QString();
    if (!handler.isEmpty()) {
        const QString desktopFile = findDesktopEntry(handler, probe.dataDirs);
        if (!desktopFile.isEmpty() &&
            desktopEntryCategories(desktopFile).contains(QStringLiteral("Spreadsheet"))) {
            return true;
        }
    }
    return !findProgram(knownSpreadsheetPrograms, probe.searchPath).isEmpty();
}

QStringList desktopEntryCategories(const QString& desktopFile) {
    return keyFileValue(desktopFile, QStringLiteral("Desktop Entry"), QStringLiteral("Categories"))
        .split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

QString findDesktopEntry(const QString& desktopId, const QStringList& dataDirs) {
    // Each dash of the id may stand for a subfolder, counted from the left.
    QStringList relativePaths{desktopId};
    QString path = desktopId;
    for (qsizetype dash = path.indexOf(QLatin1Char('-')); dash >= 0;
         dash = path.indexOf(QLatin1Char('-'), dash + 1)) {
        path[dash] = QLatin1Char('/');
        relativePaths.append(path);
    }
    for (const QString& dir : dataDirs) {
        for (const QString& relative : relativePaths) {
            QString candidate = dir + QStringLiteral("/applications/") + relative;
            if (QFileInfo(candidate).isFile()) {
                return candidate;
            }
        }
    }
    return {};
}

QString defaultHandlerFromMimeApps(const QString& mimeType, const QStringList& listFiles) {
    for (const QString& file : listFiles) {
        const QString ids = keyFileValue(file, QStringLiteral("Default Applications"), mimeType);
        const QString first = ids.section(QLatin1Char(';'), 0, 0, QString::SectionSkipEmpty);
        if (!first.isEmpty()) {
            return first.trimmed();
        }
    }
    return {};
}

QString findProgram(const QStringList& names, const QStringList& searchPath) {
    if (searchPath.isEmpty()) {
        return {};  // findExecutable would fall back to the process's own PATH
    }
    for (const QString& name : names) {
        QString found = QStandardPaths::findExecutable(name, searchPath);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

}  // namespace wordloom::platform::qt
