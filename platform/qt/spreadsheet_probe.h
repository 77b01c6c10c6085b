#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace wordloom::platform::qt {

inline constexpr char XlsxMimeType[] =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

// Where the availability test looks for a spreadsheet application. The system's values come
// from fromSystem(); tests put in a temporary folder tree and a scripted default handler.
struct SpreadsheetProbe {
    QStringList dataDirs;    // XDG data folders, most important first (each may hold applications/)
    QStringList searchPath;  // the folders of $PATH
    // The desktop file id of the default program for a MIME type, or empty.
    std::function<QString(const QString& mimeType)> defaultHandler;

    static SpreadsheetProbe fromSystem();
};

// True when the default program for .xlsx files is a spreadsheet application (its desktop entry
// is in the Spreadsheet category, so an archive manager does not count), or when a known
// spreadsheet program is on the search path.
bool hasSpreadsheetApplication(const SpreadsheetProbe& probe);

// The Categories of a desktop file's [Desktop Entry] group; empty when it cannot be read.
QStringList desktopEntryCategories(const QString& desktopFile);
// The desktop file with the given id under <dir>/applications, first match in folder order;
// the id "vendor-name.desktop" may also stand for applications/vendor/name.desktop.
QString findDesktopEntry(const QString& desktopId, const QStringList& dataDirs);
// The first desktop file id listed for a MIME type under [Default Applications] in the first
// mimeapps.list that names one; used when xdg-mime is not installed.
QString defaultHandlerFromMimeApps(const QString& mimeType, const QStringList& listFiles);
// The first of the programs found as an executable on the search path, or empty.
QString findProgram(const QStringList& names, const QStringList& searchPath);

}  // namespace wordloom::platform::qt
