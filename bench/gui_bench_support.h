#pragma once

// What the window benchmark puts around the real window: a message box that records instead of
// waiting for a click, a file dialog that answers from a script, and meters for the gaps between
// the window's event-processing rounds and between its repaints.

#include <QObject>
#include <QWidget>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace wordloom::bench {

using Clock = std::chrono::steady_clock;

// Processor time of the whole process (all threads), in seconds.
double processSeconds();

// Messages are kept with the moment they were shown; nothing waits for the user.
class RecordingMessageBox final : public platform::MessageBox {
public:
    struct Message {
        std::u16string text;
        std::optional<std::u16string> title;
        Clock::time_point shownAt;
    };

    void show(std::u16string_view text, int style,
              const std::optional<std::u16string>& title = std::nullopt) override;
    void setApplicationTitle(const std::u16string& title) override { m_title = title; }
    std::u16string applicationTitle() const override { return m_title; }

    const std::vector<Message>& messages() const { return m_messages; }
    // Prints the failure reports shown since message `from`; returns how many there were.
    std::size_t printFailureReports(std::size_t from) const;

private:
    std::vector<Message> m_messages;
    std::u16string m_title = u"wordloom";
};

// Answers the open and save dialogs with the paths set beforehand.
class ScriptedFileDialog final : public platform::FileDialog {
public:
    std::vector<std::u16string> filesToOpen;
    std::u16string fileToSave;

    void setFileName(const std::u16string&) override {}
    void setFlags(std::uint32_t) override {}
    void setDialogTitle(const std::u16string&) override {}
    void setFilter(const std::vector<platform::FileFilter>&) override {}
    std::vector<std::u16string> showOpen() override { return filesToOpen; }
    std::u16string showSave() override { return fileToSave; }
};

// The longest stretch without a round, from start() to stop(), counting both ends.
class RoundMeter {
public:
    void start();
    void mark();
    void stop();
    double maxGapMs() const { return std::chrono::duration<double, std::milli>(m_maxGap).count(); }
    // When the longest gap ended, counted from start().
    double maxGapEndMs() const {
        return std::chrono::duration<double, std::milli>(m_maxGapEnd - m_start).count();
    }
    std::size_t rounds() const { return m_rounds; }

private:
    void endGap(Clock::time_point now);

    bool m_running = false;
    Clock::time_point m_start{};
    Clock::time_point m_maxGapEnd{};
    Clock::time_point m_last{};
    Clock::duration m_maxGap{};
    std::size_t m_rounds = 0;
};

// Watches every event the application delivers: each paint of a widget of `window` is a
// repaint round, and paints of one chosen widget are counted on their own.
class PaintWatcher final : public QObject {
public:
    explicit PaintWatcher(const QWidget& window);
    ~PaintWatcher() override;

    RoundMeter repaints;
    void watch(const QWidget* widget) { m_watched = widget; }
    long watchedPaints() const { return m_watchedPaints; }

    bool eventFilter(QObject* object, QEvent* event) override;

private:
    const QWidget& m_window;
    const QWidget* m_watched = nullptr;
    long m_watchedPaints = 0;
};

}  // namespace wordloom::bench
