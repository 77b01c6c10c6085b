#pragma once

// Form1, the main window's widgets: every control of platform::MainWindowLayout with its design
// name, caption, position, size, font and tab order. The behaviour lives in window::Form1; the
// adapters of qt_controls.h, qt_list_views.h and qt_main_window.h connect the two.

#include <QCheckBox>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <string_view>

#include "letter_set_model.h"
#include "platform/window_layout.h"
#include "qt_controls.h"
#include "result_list_model.h"

namespace wordloom::platform::qt {

class Form1Widget : public QWidget {
    Q_OBJECT
public:
    // Where the pointer moved: the areas that react to pointer movement.
    enum class PointerZone { PushButton, ListView, Frame, Form };

    explicit Form1Widget(QWidget* parent = nullptr);

    QTreeView& listView1() const { return *m_listView1; }
    QTreeView& listView2() const { return *m_listView2; }
    LetterSetModel& letterSets() const { return *m_letterSets; }
    ResultListModel& results() const { return *m_results; }
    QPushButton& pushButton(int number) const;  // 1 ... 8 and 13
    QCheckBox& check(int number) const;         // 1 ... 7
    QGroupBox& frame1() const { return *m_frame1; }
    PlainTextProgressBar& progressBar1() const { return *m_progressBar1; }

    // Called on pointer movement over a push button, a list, Frame1 or the bare window; the check
    // boxes and the progress bar have no such reaction.
    void setPointerMovedHandler(std::function<void(PointerZone)> handler);
    // Called when the user closes the window.
    void setCloseHandler(std::function<void()> handler) { m_onClose = std::move(handler); }

    // The window, Frame1 and the check boxes take the button-face colour instead of white.
    void useButtonFaceColours();
    void centreOnScreen();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    QWidget* createControl(const platform::ControlLayout& control);
    QTreeView* createListView(std::u16string_view name);
    QPushButton* createPushButton(std::u16string_view name, const QString& caption);
    static void placeControl(QWidget& widget, const platform::ControlLayout& control);
    void setTabOrder();
    void stopPointerMoves(QWidget& widget);
    void watchPointer(QWidget& widget, PointerZone zone);
    QTreeView* createList(ListModelBase* model);

    QTreeView* m_listView1 = nullptr;
    QTreeView* m_listView2 = nullptr;
    LetterSetModel* m_letterSets = nullptr;
    ResultListModel* m_results = nullptr;
    std::map<int, QPushButton*> m_pushButtons;
    std::array<QCheckBox*, 7> m_checks{};
    QGroupBox* m_frame1 = nullptr;
    PlainTextProgressBar* m_progressBar1 = nullptr;
    DesignedLookStyle* m_designedLook = nullptr;  // the push buttons' and Frame1's
    std::function<void(PointerZone)> m_onPointerMoved;
    std::function<void()> m_onClose;
};

}  // namespace wordloom::platform::qt
