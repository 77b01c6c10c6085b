#include "qt_controls.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <stdexcept>
#include <string>

#include "qt_text.h"

namespace wordloom::platform::qt {

// ---- DesignedLookStyle ----

namespace {

// The caption starts this far in from the frame's left edge, with this much room either side.
constexpr int CaptionIndent = 8;
constexpr int CaptionPadding = 2;

const QStyleOptionGroupBox* plainGroupBox(const QStyleOptionComplex* option) {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    return box != nullptr && !(box->subControls & QStyle::SC_GroupBoxCheckBox) ? box : nullptr;
}

}  // namespace

DesignedLookStyle::DesignedLookStyle() : QProxyStyle(QApplication::style()->name()) {}

void DesignedLookStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                      QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element != PE_PanelButtonCommand || (option->state & (State_Sunken | State_On))) {
        return;
    }
    // The frame, and the focus mark drawn in it, take the outer two pixels of every common
    // style's button panel; the face inside them is painted over flat.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(option->rect.adjusted(2, 2, -2, -2), option->palette.button());
    painter->restore();
}

QRect DesignedLookStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl part, const QWidget* widget) const {
    const QStyleOptionGroupBox* box = control == CC_GroupBox ? plainGroupBox(option) : nullptr;
    if (box == nullptr) {
        return QProxyStyle::subControlRect(control, option, part, widget);
    }
    const int textHeight = box->fontMetrics.height();
    const QRect frame = box->rect.adjusted(0, box->text.isEmpty() ? 0 : textHeight / 2, 0, 0);
    switch (part) {
        case SC_GroupBoxFrame:
            return frame;
        case SC_GroupBoxContents:
            return box->rect.adjusted(1, box->text.isEmpty() ? 1 : textHeight, -1, -1);
        case SC_GroupBoxLabel: {
            const int width = box->fontMetrics.horizontalAdvance(box->text) + 2 * CaptionPadding;
            const QRect label(box->rect.left() + CaptionIndent, box->rect.top(), width, textHeight);
            return visualRect(box->direction, box->rect, label.intersected(box->rect));
        }
        default:
            return QProxyStyle::subControlRect(control, option, part, widget);
    }
}

void DesignedLookStyle::drawComplexControl(ComplexControl control,
                                           const QStyleOptionComplex* option, QPainter* painter,
                                           const QWidget* widget) const {
    const QStyleOptionGroupBox* box = control == CC_GroupBox ? plainGroupBox(option) : nullptr;
    if (box == nullptr) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
    const QRect label = subControlRect(control, option, SC_GroupBoxLabel, widget);
    const bool captioned = (box->subControls & SC_GroupBoxLabel) && !box->text.isEmpty();
    painter->save();
    QRegion lineArea(box->rect);
    if (captioned) {
        lineArea -= label;  // the caption interrupts the top line
    }
    painter->setClipRegion(lineArea);
    painter->setRenderHint(QPainter::Antialiasing, false);
    // A line a little darker than the background it stands on, as the styles draw outlines.
    painter->setPen(box->palette.color(QPalette::Window).darker(140));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(frame.adjusted(0, 0, -1, -1));
    painter->restore();
    if (captioned) {
        QPalette palette = box->palette;
        if (box->textColor.isValid()) {
            palette.setColor(QPalette::WindowText, box->textColor);
        }
        int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (!styleHint(SH_UnderlineShortcut, option, widget)) {
            flags |= Qt::TextHideMnemonic;
        }
        drawItemText(painter, label, flags, palette, box->state & State_Enabled, box->text,
                     QPalette::WindowText);
    }
}

// ---- TwoStateClickCheckBox ----

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
    // The bar is asked each time, since the window also sets it directly.
    if (percent >= m_sameFrom && percent < m_sameTo && m_bar.value() == m_sameValue) {
        return;
    }
    // NaN fails the comparison and shows as 0.
    const double held = percent >= 0 ? std::min(percent, 100.0) : 0.0;
    const int value = static_cast<int>(std::lround(held));
    // From this percentage up to the next half the value stays the same.
    m_sameFrom = held;
    m_sameTo = held < 100 ? std::nextafter(static_cast<double>(value) + 0.5, 0.0) : held;
    m_sameValue = value;
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
