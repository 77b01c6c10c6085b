#include "qt_controls.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <stdexcept>
#include <string>

#include "qt_text.h"

namespace wordloom::platform::qt {

void TwoStateClickCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

// ---- QtCheckBox ----

QtCheckBox::QtCheckBox(QCheckBox& box) : m_box(box) {
    m_connection = QObject::connect(&m_box, &QCheckBox::stateChanged, [this] {
        if (m_handler) {
            m_handler();
        }
    });
}

QtCheckBox::~QtCheckBox() {
    QObject::disconnect(m_connection);
}

int QtCheckBox::state() const {
    switch (m_box.checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}

void QtCheckBox::setState(int state) {
    static constexpr Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    if (state < 0 || state > 2) {
        throw std::out_of_range("A check box state must be 0, 1 or 2, not " +
                                std::to_string(state) + ".");
    }
    m_box.setCheckState(states[state]);  // emits stateChanged only when the state changes
}

void QtCheckBox::setStateChangedHandler(std::function<void()> handler) {
    m_handler = std::move(handler);
}

// ---- progress ----

void PlainTextProgressBar::setPlainText(const QString& text) {
    m_text = text;
    setTextVisible(true);
    setAccessibleDescription(text);
    update();
}

void QtProgressDisplay::setValue(double percent) {
    // NaN fails the comparison and shows as 0.
    const double held = percent >= 0 ? std::min(percent, 100.0) : 0.0;
    const int value = static_cast<int>(std::lround(held));
    if (value == m_bar.value()) {
        return;
    }
    // QProgressBar repaints the whole window at once, inside setValue, whenever the bar moves.
    // The loops that show progress let the window repaint every few milliseconds anyway, so the
    // change waits for that repaint instead of costing one of its own.
    m_bar.setUpdatesEnabled(false);
    m_bar.setValue(value);
    m_bar.setUpdatesEnabled(true);  // schedules the repaint
}

void QtProgressDisplay::setText(std::u16string_view text) {
    m_bar.setPlainText(toQString(text));
}

// ---- QtEventPump ----

QtEventPump::QtEventPump()
    : QtEventPump(&QtEventPump::systemNow, [] { QCoreApplication::processEvents(); }) {}

QtEventPump::Clock::time_point QtEventPump::systemNow() {
#ifdef CLOCK_MONOTONIC_COARSE
    // The same epoch as the steady clock (CLOCK_MONOTONIC), only read from the last tick.
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC_COARSE, &now) == 0) {
        return Clock::time_point(std::chrono::duration_cast<Clock::duration>(
            std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec)));
    }
#endif
    return Clock::now();
}

QtEventPump::QtEventPump(std::function<Clock::time_point()> now, std::function<void()> process)
    : m_now(std::move(now)), m_process(std::move(process)) {}

void QtEventPump::processEvents() {
    if (m_lastRun && m_now() - *m_lastRun < MinimumInterval) {
        return;
    }
    m_process();
    // Measured after processing, so a long stay (a dialog opened by a click) counts as a run.
    m_lastRun = m_now();
}

}  // namespace wordloom::platform::qt
