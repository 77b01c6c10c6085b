#include "form1_widget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "event_hook.h"
#include "platform/window_layout.h"
#include "qt_controls.h"
#include "qt_text.h"

namespace wordloom::platform::qt {
namespace {

using platform::ControlFont;
using platform::ControlKind;
using platform::ControlLayout;

int pixels(int twips) {
    return static_cast<int>(std::lround(double(twips) / platform::TwipsPerPixel));
}

QFont arialBold(double points) {
    QFont font(toQString(platform::FontFamily));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// The number after a design name's prefix: "PushButton13" gives 13.
int numberIn(std::u16string_view name, std::u16string_view prefix) {
    return toQString(name.substr(prefix.size())).toInt();
}

// Gives a control its background colour and has it filled with it. Buttons, check boxes among
// them, fill with their Button colour by default; here it is the Window colour for every control.
void paintBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
}

}  // namespace

Form1Widget::Form1Widget(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(pixels(platform::ClientWidthTwips), pixels(platform::ClientHeightTwips));
    setFont(arialBold(platform::WindowFontPoints));
    paintBackground(*this, Qt::white);
    auto style = std::make_unique<DesignedLookStyle>();
    m_designedLook = style.get();
    createControls();
    setTabOrder();
    // A widget does not own the style it is given. Made a child only now, after every control,
    // the style is deleted after the controls that draw with it.
    style.release()->setParent(this);
    watchPointer(*this, PointerZone::Form);
}

void Form1Widget::createControls() {
    for (const ControlLayout& control : platform::MainWindowLayout) {
        QWidget* widget = createControl(control);
        placeControl(*widget, control);
    }
}

QWidget* Form1Widget::createControl(const ControlLayout& control) {
    const QString caption = toQString(control.caption);
    switch (control.kind) {
        case ControlKind::Frame:
            m_frame1 = new QGroupBox(caption, this);
            m_frame1->setStyle(m_designedLook);
            paintBackground(*m_frame1, Qt::white);
            watchPointer(*m_frame1, PointerZone::Frame);
            return m_frame1;
        case ControlKind::CheckBox: {
            auto* box = new TwoStateClickCheckBox(caption, m_frame1);
            paintBackground(*box, Qt::white);
            stopPointerMoves(*box);
            m_checks.at(static_cast<std::size_t>(numberIn(control.name, u"Check") - 1)) = box;
            return box;
        }
        case ControlKind::ProgressBar:
            m_progressBar1 = new PlainTextProgressBar(this);
            m_progressBar1->setRange(0, 100);
            m_progressBar1->setValue(0);
            m_progressBar1->setAlignment(Qt::AlignCenter);
            m_progressBar1->setPlainText(caption);
            stopPointerMoves(*m_progressBar1);
            return m_progressBar1;
        case ControlKind::ListView:
            return createListView(control.name);
        case ControlKind::PushButton:
            return createPushButton(control.name, caption);
    }
    return nullptr;
}

QTreeView* Form1Widget::createListView(std::u16string_view name) {
    if (name == u"ListView1") {
        m_letterSets = new LetterSetModel(this);
        m_listView1 = createList(m_letterSets);
        m_letterSets->setToolTip(toQString(platform::ListView1ToolTip));
        m_listView1->setToolTip(toQString(platform::ListView1ToolTip));
        m_listView1->setAccessibleName(QStringLiteral("Scramble Letters"));
        return m_listView1;
    }
    m_results = new ResultListModel(this);
    m_listView2 = createList(m_results);
    m_results->setToolTip(toQString(platform::ListView2ToolTip));
    m_listView2->setToolTip(toQString(platform::ListView2ToolTip));
    m_listView2->setAccessibleName(QStringLiteral("Unscramble Letters"));
    return m_listView2;
}

QPushButton* Form1Widget::createPushButton(std::u16string_view name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setAutoDefault(false);
    // White face; the text keeps the system's button-text colour.
    button->setStyle(m_designedLook);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, Qt::white);
    button->setPalette(palette);
    m_pushButtons[numberIn(name, u"PushButton")] = button;
    watchPointer(*button, PointerZone::PushButton);
    return button;
}

// The design name, position, size, accessible name and font of the design table.
void Form1Widget::placeControl(QWidget& widget, const ControlLayout& control) {
    widget.setObjectName(toQString(control.name));
    widget.setGeometry(pixels(control.left), pixels(control.top), pixels(control.width),
                       pixels(control.height));
    if (!control.caption.empty()) {
        widget.setAccessibleName(toQString(control.caption));
    }
    switch (control.font) {
        case ControlFont::Window:
        case ControlFont::List:
            widget.setFont(arialBold(platform::WindowFontPoints));
            break;
        case ControlFont::Button:
            widget.setFont(arialBold(platform::ButtonFontPoints));
            break;
        case ControlFont::None:
            break;
    }
}

QTreeView* Form1Widget::createList(ListModelBase* model) {
    auto* view = new QTreeView(this);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setExpandsOnDoubleClick(false);
    view->setUniformRowHeights(true);  // keeps a million rows as fast as ten
    view->setHeaderHidden(false);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAllColumnsShowFocus(true);
    view->header()->setSectionsMovable(false);
    // The column keeps the width it is given; the user drags its edge to reveal long words.
    view->header()->setStretchLastSection(false);
    for (QWidget* part : {static_cast<QWidget*>(view), view->viewport(),
                          static_cast<QWidget*>(view->header()), view->header()->viewport()}) {
        watchPointer(*part, PointerZone::ListView);
    }
    return view;
}

void Form1Widget::setTabOrder() {
    std::vector<std::pair<int, QWidget*>> order;
    order.reserve(platform::MainWindowLayout.size());
    for (const ControlLayout& control : platform::MainWindowLayout) {
        order.emplace_back(control.tabIndex, findChild<QWidget*>(toQString(control.name)));
    }
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
    }
}

void Form1Widget::stopPointerMoves(QWidget& widget) {
    // Moves arrive without a pressed button only with tracking on. A move that a control does not
    // take travels on to its parent, so without this the window's (or Frame1's) reaction would
    // follow every move over the control.
    widget.setMouseTracking(true);
    widget.setAttribute(Qt::WA_NoMousePropagation);
}

void Form1Widget::watchPointer(QWidget& widget, PointerZone zone) {
    stopPointerMoves(widget);
    new EventHook(widget, {QEvent::MouseMove}, [this, zone](QEvent&) {
        if (m_onPointerMoved) {
            m_onPointerMoved(zone);
        }
    });
}

QPushButton& Form1Widget::pushButton(int number) const {
    const auto found = m_pushButtons.find(number);
    if (found == m_pushButtons.end()) {
        throw std::out_of_range("Form1 has no PushButton" + std::to_string(number) + ".");
    }
    return *found->second;
}

QCheckBox& Form1Widget::check(int number) const {
    if (number < 1 || number > static_cast<int>(m_checks.size())) {
        throw std::out_of_range("Form1 has no Check" + std::to_string(number) + ".");
    }
    return *m_checks[static_cast<std::size_t>(number - 1)];
}

void Form1Widget::setPointerMovedHandler(std::function<void(PointerZone)> handler) {
    m_onPointerMoved = std::move(handler);
}

void Form1Widget::useButtonFaceColours() {
    const QColor face = QApplication::palette().color(QPalette::Button);
    paintBackground(*this, face);
    paintBackground(*m_frame1, face);
    for (QCheckBox* box : m_checks) {
        paintBackground(*box, face);
    }
}

void Form1Widget::centreOnScreen() {
    if (const QScreen* shown = screen()) {
        move(shown->availableGeometry().center() - rect().center());
    }
}

void Form1Widget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (m_onClose) {
        m_onClose();
    }
}

}  // namespace wordloom::platform::qt
