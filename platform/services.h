#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace wordloom::platform {

// The system clipboard. Either call may throw while another program holds the clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    // format 0: the default plain-text format.
    virtual void setText(std::u16string_view text, int format) = 0;
};

// Per-user store of named text values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::u16string> read(std::u16string_view application,
                                               std::u16string_view section,
                                               std::u16string_view key) = 0;
    // Throws when the store refuses the write.
    virtual void write(std::u16string_view application, std::u16string_view section,
                       std::u16string_view key, std::u16string_view value) = 0;
};

// Opens an address in the user's browser without waiting.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openUrl(const std::u16string& address) = 0;
};

// One spreadsheet application session: a workbook whose cells are set by (row, column), from 1.
// Every call may throw with a message a user can act on.
class Spreadsheet {
public:
    virtual ~Spreadsheet() = default;
    virtual void addWorkbook() = 0;
    virtual void setCell(int row, int column, std::u16string_view text) = 0;  // always text
    virtual void autoFitColumns() = 0;
    virtual void show() = 0;  // hands the workbook to the user's spreadsheet application
};

class SpreadsheetService {
public:
    virtual ~SpreadsheetService() = default;
    // Whether a spreadsheet application is there to show a workbook.
    virtual bool isAvailable() = 0;
    // A fresh session; throws when none can be started.
    virtual std::unique_ptr<Spreadsheet> start() = 0;
};

}  // namespace wordloom::platform
