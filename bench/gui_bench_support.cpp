#include "bench/gui_bench_support.h"

#include <time.h>

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <cstdio>

#include "engine/text.h"

namespace wordloom::bench {

double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void RecordingMessageBox::show(std::u16string_view text, int /*style*/,
                               const std::optional<std::u16string>& title) {
    m_messages.push_back({std::u16string(text), title, Clock::now()});
}

std::size_t RecordingMessageBox::printFailureReports(std::size_t from) const {
    std::size_t reports = 0;
    for (std::size_t i = from; i < m_messages.size(); ++i) {
        if (m_messages[i].title == u"Application Error") {
            std::printf("  FAILURE REPORT: %s\n", engine::encodeUtf8(m_messages[i].text).c_str());
            ++reports;
        }
    }
    return reports;
}

void RoundMeter::start() {
    m_running = true;
    m_start = Clock::now();
    m_last = m_start;
    m_maxGapEnd = m_start;
    m_maxGap = {};
    m_rounds = 0;
}

void RoundMeter::endGap(Clock::time_point now) {
    if (now - m_last > m_maxGap) {
        m_maxGap = now - m_last;
        m_maxGapEnd = now;
    }
    m_last = now;
}

void RoundMeter::mark() {
    if (m_running) {
        endGap(Clock::now());
        ++m_rounds;
    }
}

void RoundMeter::stop() {
    if (m_running) {
        endGap(Clock::now());
        m_running = false;
    }
}

PaintWatcher::PaintWatcher(const QWidget& window) : m_window(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

PaintWatcher::~PaintWatcher() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool PaintWatcher::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::Paint && object->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(object);
        if (widget->window() == &m_window) {
            repaints.mark();
        }
        if (widget == m_watched) {
            ++m_watchedPaints;
        }
    }
    return false;
}

}  // namespace wordloom::bench
