#pragma once

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "fail_switch.h"
#include "platform/services.h"

namespace fakes {

class FakeClipboard : public wordloom::platform::Clipboard {
public:
    std::optional<std::u16string> content = u"(untouched)";
    int clearAttempts = 0;
    int setAttempts = 0;
    int failuresLeft = 0;  // the next this many calls throw

    void clear() override {
        ++clearAttempts;
        failIfAsked();
        content.reset();
    }
    void setText(std::u16string_view text, int) override {
        ++setAttempts;
        failIfAsked();
        content = std::u16string(text);
    }

private:
    void failIfAsked() {
        if (failuresLeft > 0) {
            --failuresLeft;
            throw std::runtime_error("The clipboard is in use by another program.");
        }
    }
};

class FakeSettingsStore : public wordloom::platform::SettingsStore {
public:
    using Key = std::tuple<std::u16string, std::u16string, std::u16string>;
    std::map<Key, std::u16string> values;
    std::vector<std::pair<std::u16string, std::u16string>> writes;  // key, value
    FailSwitch fail;

    std::optional<std::u16string> read(std::u16string_view application, std::u16string_view section,
                                       std::u16string_view key) override {
        fail.check("read");
        auto it = values.find(Key{application, section, key});
        if (it == values.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    void write(std::u16string_view application, std::u16string_view section,
               std::u16string_view key, std::u16string_view value) override {
        fail.check("write");
        values[Key{application, section, key}] = std::u16string(value);
        writes.emplace_back(key, value);
    }
};

class FakeShell : public wordloom::platform::Shell {
public:
    std::vector<std::u16string> opened;
    FailSwitch fail;
    void openUrl(const std::u16string& address) override {
        fail.check("openUrl");
        opened.push_back(address);
    }
};

// Records what an export writes; sessions started are kept for inspection.
class FakeSpreadsheet : public wordloom::platform::Spreadsheet {
public:
    struct State {
        bool workbookAdded = false;
        std::map<std::pair<int, int>, std::u16string> cells;
        bool autoFitted = false;
        bool shown = false;
        FailSwitch fail;
    };
    explicit FakeSpreadsheet(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    void addWorkbook() override {
        m_state->fail.check("addWorkbook");
        m_state->workbookAdded = true;
    }
    void setCell(int row, int column, std::u16string_view text) override {
        m_state->fail.check("setCell");
        m_state->cells[{row, column}] = std::u16string(text);
    }
    void autoFitColumns() override {
        m_state->fail.check("autoFitColumns");
        m_state->autoFitted = true;
    }
    void show() override {
        m_state->fail.check("show");
        m_state->shown = true;
    }

private:
    std::shared_ptr<State> m_state;
};

class FakeSpreadsheetService : public wordloom::platform::SpreadsheetService {
public:
    bool available = true;
    int availabilityChecks = 0;
    std::vector<std::shared_ptr<FakeSpreadsheet::State>> sessions;
    FailSwitch fail;
    FailSwitch nextSessionFail;  // copied into the next session's state

    bool isAvailable() override {
        ++availabilityChecks;
        return available;
    }
    std::unique_ptr<wordloom::platform::Spreadsheet> start() override {
        fail.check("start");
        auto state = std::make_shared<FakeSpreadsheet::State>();
        state->fail = nextSessionFail;
        sessions.push_back(state);
        return std::make_unique<FakeSpreadsheet>(state);
    }
};

}  // namespace fakes
