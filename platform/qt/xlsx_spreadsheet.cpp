#include "xlsx_spreadsheet.h"

#include <xlsxwriter.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <future>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "service_text.h"

namespace wordloom::platform::qt {

namespace {

constexpr double MaxColumnWidth = 255;  // the widest column a worksheet allows

// The sessions that exist now, for removeUnfinishedWorkbooks(); used on the GUI thread only.
std::vector<const XlsxSpreadsheet*>& liveSessions() {
    static std::vector<const XlsxSpreadsheet*> sessions;
    return sessions;
}

std::string quoted(const QString& path) {
    return QStringLiteral("'%1'").arg(QDir::toNativeSeparators(path)).toStdString();
}

std::string cellName(int row, int column) {
    return "row " + std::to_string(row) + ", column " + std::to_string(column);
}

// Reserves a new file name in the folder by creating the file, so two sessions started in the
// same second, even by two program instances, never share a file.
QString createUniqueWorkbookFile(const QString& folder) {
    if (!QDir().mkpath(folder)) {
        throw std::runtime_error("Cannot create the folder " + quoted(folder) +
                                 " for the workbook. Check that it can be written to.");
    }
    const QString stem =
        QStringLiteral("Wordloom Results ") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"));
    for (int attempt = 1;; ++attempt) {
        const QString name = attempt == 1 ? stem : stem + QStringLiteral(" (%1)").arg(attempt);
        QString path = folder + QLatin1Char('/') + name + QStringLiteral(".xlsx");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return path;
        }
        if (!file.exists() || attempt >= 1000) {
            throw std::runtime_error("Cannot create the workbook file " + quoted(path) +
                                     ". Check that its folder can be written to.");
        }
    }
}

}  // namespace

bool openWithDesktop(const QString& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

QString defaultWorkbookFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillmark/Wordloom Anagram Finder Studio/Workbooks");
}

XlsxSpreadsheet::XlsxSpreadsheet(QString folder, WorkbookOpener opener)
    : m_folder(std::move(folder)), m_opener(std::move(opener)) {
    liveSessions().push_back(this);
}

XlsxSpreadsheet::~XlsxSpreadsheet() {
    discardWorkbook();
    std::erase(liveSessions(), this);
}

void XlsxSpreadsheet::removeUnfinishedWorkbooks() noexcept {
    for (const XlsxSpreadsheet* session : liveSessions()) {
        // A workbook still open has an empty or partly written file; a shown one is the user's.
        if (session->m_workbook != nullptr) {
            try {
                ::unlink(QFile::encodeName(session->m_filePath).constData());
            } catch (...) {
                // Out of memory for the name: the program is ending anyway.
            }
        }
    }
}

void XlsxSpreadsheet::discardWorkbook() {
    if (m_workbook == nullptr) {
        return;
    }
    // A session that ends before show() leaves no half-made file behind.
    lxw_workbook_free(std::exchange(m_workbook, nullptr));
    m_worksheet = nullptr;
    QFile::remove(m_filePath);
}

void XlsxSpreadsheet::addWorkbook() {
    discardWorkbook();
    m_longestText.clear();
    m_filePath = createUniqueWorkbookFile(m_folder);
    m_workbook = workbook_new(QFile::encodeName(m_filePath).constData());
    m_worksheet = m_workbook != nullptr ? workbook_add_worksheet(m_workbook, nullptr) : nullptr;
    if (m_worksheet == nullptr) {
        discardWorkbook();
        QFile::remove(m_filePath);
        throw std::runtime_error("Cannot start a new workbook: the computer is out of memory.");
    }
}

lxw_worksheet& XlsxSpreadsheet::worksheet() const {
    if (m_worksheet == nullptr) {
        throw std::runtime_error("No workbook is open; start a new export.");
    }
    return *m_worksheet;
}

void XlsxSpreadsheet::setCell(int row, int column, std::u16string_view text) {
    lxw_worksheet& sheet = worksheet();
    if (row < 1 || row > LXW_ROW_MAX || column < 1 || column > LXW_COL_MAX) {
        throw std::runtime_error("A worksheet has no cell at " + cellName(row, column) +
                                 "; it holds at most 1,048,576 rows and 16,384 columns.");
    }
    // worksheet_write_string always stores text, so a leading "=" never makes a formula.
    const QByteArray utf8 = qStringFromU16(text).toUtf8();
    const lxw_error error =
        worksheet_write_string(&sheet, static_cast<lxw_row_t>(row - 1),
                               static_cast<lxw_col_t>(column - 1), utf8.constData(), nullptr);
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) {
        throw std::runtime_error("The text for " + cellName(row, column) +
                                 " is longer than the 32,767 characters a worksheet cell holds.");
    }
    if (error != LXW_NO_ERROR) {
        throw std::runtime_error("Cannot write " + cellName(row, column) +
                                 " of the workbook: " + lxw_strerror(error) + ".");
    }
    const auto index = static_cast<std::size_t>(column - 1);
    if (index >= m_longestText.size()) {
        m_longestText.resize(index + 1, 0);
    }
    m_longestText[index] = std::max(m_longestText[index], text.size());
}

void XlsxSpreadsheet::autoFitColumns() {
    lxw_worksheet& sheet = worksheet();
    for (std::size_t index = 0; index < m_longestText.size(); ++index) {
        if (m_longestText[index] == 0) {
            continue;  // nothing written: the column keeps its default width
        }
        const double width =
            std::min(MaxColumnWidth, static_cast<double>(m_longestText[index]) + 1);
        const auto column = static_cast<lxw_col_t>(index);
        worksheet_set_column(&sheet, column, column, width, nullptr);
    }
}

namespace {

// Writing the workbook file (assembling and compressing its parts) takes a few hundred
// milliseconds for a long list. It runs on a thread of its own while this one lets the window
// process its events every few milliseconds, so the window keeps repainting; without a thread to
// spare it runs here.
lxw_error closeWhileTheWindowRuns(lxw_workbook* workbook) {
    std::future<lxw_error> closing;
    try {
        closing = std::async(std::launch::async, [workbook] { return workbook_close(workbook); });
    } catch (const std::system_error&) {
        return workbook_close(workbook);
    }
    while (closing.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        QCoreApplication::processEvents();
    }
    return closing.get();
}

}  // namespace

void XlsxSpreadsheet::show() {
    worksheet();  // throws when no workbook is open
    m_worksheet = nullptr;
    // The workbook stays registered while its file is written, so that an exit meanwhile
    // removes the unfinished file.
    const lxw_error error = closeWhileTheWindowRuns(m_workbook);
    m_workbook = nullptr;
    if (error != LXW_NO_ERROR) {
        QFile::remove(m_filePath);
        throw std::runtime_error(
            "Cannot write the workbook " + quoted(m_filePath) + ": " + lxw_strerror(error) +
            ". Check that its folder can be written to and the disk has room.");
    }
    if (!m_opener(m_filePath)) {
        throw std::runtime_error("The workbook was saved as " + quoted(m_filePath) +
                                 ", but no spreadsheet application opened it. Open that file "
                                 "with your spreadsheet application.");
    }
}

XlsxSpreadsheetService::XlsxSpreadsheetService()
    : XlsxSpreadsheetService(defaultWorkbookFolder(), SpreadsheetProbe::fromSystem(),
                             openWithDesktop) {}

XlsxSpreadsheetService::XlsxSpreadsheetService(QString folder, SpreadsheetProbe probe,
                                               WorkbookOpener opener)
    : m_folder(std::move(folder)), m_probe(std::move(probe)), m_opener(std::move(opener)) {}

bool XlsxSpreadsheetService::isAvailable() {
    try {
        return hasSpreadsheetApplication(m_probe);
    } catch (...) {
        return false;  // the availability test never fails towards its caller
    }
}

std::unique_ptr<Spreadsheet> XlsxSpreadsheetService::start() {
    return std::make_unique<XlsxSpreadsheet>(m_folder, m_opener);
}

}  // namespace wordloom::platform::qt
