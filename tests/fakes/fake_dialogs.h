#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fail_switch.h"
#include "platform/dialogs.h"

namespace fakes {

class FakeMessageBox : public wordloom::platform::MessageBox {
public:
    struct Shown {
        std::u16string text;
        int style;
        std::u16string title;  // the title the box carried
    };
    std::vector<Shown> shownMessages;
    std::u16string title = u"wordloom";
    std::function<void()> whileShown;  // runs while a box is up, as the user could act then

    void show(std::u16string_view text, int style,
              const std::optional<std::u16string>& ownTitle) override {
        shownMessages.push_back({std::u16string(text), style, ownTitle.value_or(title)});
        if (whileShown) {
            whileShown();
        }
    }
    void setApplicationTitle(const std::u16string& value) override { title = value; }
    std::u16string applicationTitle() const override { return title; }

    std::vector<std::u16string> texts() const {
        std::vector<std::u16string> all;
        for (const auto& shown : shownMessages) {
            all.push_back(shown.text);
        }
        return all;
    }
};

class FakeInputBox : public wordloom::platform::InputBox {
public:
    std::deque<std::u16string> nextInputBoxReply;
    std::vector<std::pair<std::u16string, std::u16string>> asked;  // prompt, title
    FailSwitch fail;

    std::u16string ask(std::u16string_view prompt, std::u16string_view title) override {
        fail.check("ask");
        asked.emplace_back(prompt, title);
        if (nextInputBoxReply.empty()) {
            return {};
        }
        std::u16string reply = std::move(nextInputBoxReply.front());
        nextInputBoxReply.pop_front();
        return reply;
    }
};

class FakeFileDialog : public wordloom::platform::FileDialog {
public:
    // The settings a dialog was shown with.
    struct Request {
        std::u16string title;
        std::vector<wordloom::platform::FileFilter> filters;
        std::u16string offeredName;
        std::uint32_t flags = 0;
    };
    std::deque<std::vector<std::u16string>> nextOpenReply;
    std::deque<std::u16string> nextSaveReply;
    std::vector<Request> openRequests;
    std::vector<Request> saveRequests;
    Request settings;  // as set now
    FailSwitch fail;

    void setFileName(const std::u16string& name) override {
        fail.check("setFileName");
        settings.offeredName = name;
    }
    void setFlags(std::uint32_t flags) override {
        fail.check("setFlags");
        settings.flags = flags;
    }
    void setDialogTitle(const std::u16string& title) override {
        fail.check("setDialogTitle");
        settings.title = title;
    }
    void setFilter(const std::vector<wordloom::platform::FileFilter>& filters) override {
        fail.check("setFilter");
        settings.filters = filters;
    }
    std::vector<std::u16string> showOpen() override {
        fail.check("showOpen");
        openRequests.push_back(settings);
        std::vector<std::u16string> reply;
        if (!nextOpenReply.empty()) {
            reply = std::move(nextOpenReply.front());
            nextOpenReply.pop_front();
        }
        settings.offeredName = reply.empty() ? std::u16string() : reply.front();
        return reply;
    }
    std::u16string showSave() override {
        fail.check("showSave");
        saveRequests.push_back(settings);
        std::u16string reply;
        if (!nextSaveReply.empty()) {
            reply = std::move(nextSaveReply.front());
            nextSaveReply.pop_front();
        }
        settings.offeredName = reply;
        return reply;
    }
};

}  // namespace fakes
