#pragma once

#include <QCheckBox>
#include <QMetaObject>
#include <QProgressBar>
#include <QProxyStyle>
#include <chrono>
#include <functional>
#include <optional>

#include "platform/controls.h"

namespace wordloom::platform::qt {

// A check box whose user clicks only tick and clear it; the grey state (2) is the program's to
// set, as on the designed window.
class TwoStateClickCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

// The look Form1 is designed with, laid over the application's own style and set on the push
// buttons and Frame1 only:
// - a push button keeps the style's frame and focus mark, but its face is the flat Button colour
//   of its palette instead of the style's gradient; pressed, it shows as the style draws it;
// - a group box without a check box draws a thin line frame with its caption on the top border,
//   as a frame normally draws, and nothing inside it, so its own background colour shows.
class DesignedLookStyle final : public QProxyStyle {
    Q_OBJECT
public:
    // Over a fresh instance of the style the application runs.
    DesignedLookStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget = nullptr) const override;
};

// Check1 ... Check7: states 0, 1, 2 as Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked. Every
// change, by the user or by setState, calls the handler once; setting the same state calls none.
class QtCheckBox final : public CheckBox {
public:
    explicit QtCheckBox(QCheckBox& box);
    ~QtCheckBox() override;
    QtCheckBox(const QtCheckBox&) = delete;
    QtCheckBox& operator=(const QtCheckBox&) = delete;

    int state() const override;
    void setState(int state) override;  // throws std::out_of_range for other values
    void setStateChangedHandler(std::function<void()> handler) override;

private:
    QCheckBox& m_box;
    std::function<void()> m_handler;
    QMetaObject::Connection m_connection;
};

// A progress bar that shows its text exactly as set. QProgressBar's format expands %p, %v and %m,
// and this Qt version has no escape for a literal '%', so a letter set or file name holding one
// would show changed. The text is mirrored into the accessible description for screen readers.
class PlainTextProgressBar : public QProgressBar {
    Q_OBJECT
public:
    using QProgressBar::QProgressBar;

    void setPlainText(const QString& text);
    QString text() const override { return m_text; }

private:
    QString m_text;
};

// ProgressBar1: the value is rounded and held to 0 ... 100 (an export can pass 100 by a little).
class QtProgressDisplay final : public ProgressDisplay {
public:
    explicit QtProgressDisplay(PlainTextProgressBar& bar) : m_bar(bar) {}

    void setValue(double percent) override;
    void setText(std::u16string_view text) override;

private:
    PlainTextProgressBar& m_bar;
    // Percentages in [m_sameFrom, m_sameTo) show as m_sameValue: the loops set a value per
    // row, and one that changes nothing returns at once.
    double m_sameFrom = 1;
    double m_sameTo = 0;
    int m_sameValue = 0;
};

// Lets the window repaint and take clicks inside long loops. Processing is skipped when it ran
// less than MinimumInterval ago, so a loop can yield once per row at no real cost.
class QtEventPump final : public EventPump {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds MinimumInterval{10};

    QtEventPump();
    // For tests: a clock and the processing to run.
    QtEventPump(std::function<Clock::time_point()> now, std::function<void()> process);

    // The clock the pump reads by default. Loops call the pump several times per row, so this is
    // the coarse monotonic clock where there is one: a few nanoseconds to read instead of tens
    // on a virtual machine, and its resolution of a few milliseconds is ample for the interval.
    static Clock::time_point systemNow();

    void processEvents() override;

private:
    std::function<Clock::time_point()> m_now;
    std::function<void()> m_process;
    std::optional<Clock::time_point> m_lastRun;
};

}  // namespace wordloom::platform::qt
