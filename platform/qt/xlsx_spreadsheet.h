#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"
#include "spreadsheet_probe.h"

struct lxw_workbook;
struct lxw_worksheet;

namespace wordloom::platform::qt {

// Hands a finished workbook file to the user's spreadsheet application; false when none took it.
using WorkbookOpener = std::function<bool(const QString& file)>;

// Opens the file with the desktop's default program for it.
bool openWithDesktop(const QString& file);

// The per-user folder that keeps the workbooks handed over, so they outlive the program:
// <data>/Quillmark/Wordloom Anagram Finder Studio/Workbooks, <data> being $XDG_DATA_HOME or
// ~/.local/share.
QString defaultWorkbookFolder();

// One workbook written with libxlsxwriter into a new file "Wordloom Results <date time>.xlsx"
// and opened by the spreadsheet application on show(). Every cell is a string, never a formula.
class XlsxSpreadsheet final : public Spreadsheet {
public:
    XlsxSpreadsheet(QString folder, WorkbookOpener opener);
    ~XlsxSpreadsheet() override;
    XlsxSpreadsheet(const XlsxSpreadsheet&) = delete;
    XlsxSpreadsheet& operator=(const XlsxSpreadsheet&) = delete;

    void addWorkbook() override;
    void setCell(int row, int column, std::u16string_view text) override;
    // libxlsxwriter cannot measure text, so widths follow the longest text written per column.
    void autoFitColumns() override;
    // Finishes the file, then opens it; the file stays for the user.
    void show() override;

    // The workbook's file; empty before addWorkbook().
    const QString& filePath() const { return m_filePath; }

    // Removes the reserved file of every workbook that is started but not shown yet. For exits
    // that end the process without unwinding (the window's close ends the program at once, even
    // in the middle of an export). Call on the thread that uses the workbooks.
    static void removeUnfinishedWorkbooks() noexcept;

private:
    lxw_worksheet& worksheet() const;
    void discardWorkbook();

    QString m_folder;
    WorkbookOpener m_opener;
    QString m_filePath;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_worksheet = nullptr;
    std::vector<std::size_t> m_longestText;  // per column from 0, in UTF-16 code units
};

// Spreadsheet sessions as .xlsx files shown by the desktop's spreadsheet application.
class XlsxSpreadsheetService final : public SpreadsheetService {
public:
    XlsxSpreadsheetService();  // the system's folders, probe and opener
    XlsxSpreadsheetService(QString folder, SpreadsheetProbe probe, WorkbookOpener opener);

    bool isAvailable() override;  // never throws
    std::unique_ptr<Spreadsheet> start() override;

private:
    QString m_folder;
    SpreadsheetProbe m_probe;
    WorkbookOpener m_opener;
};

}  // namespace wordloom::platform::qt
