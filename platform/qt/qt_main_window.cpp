#include "qt_main_window.h"

#include <QApplication>
#include <QIcon>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "cursor_file.h"
#include "qt_text.h"

// The icon is compiled into this static library; registering it here keeps the linker from
// dropping it. Qt's resource macro must be used outside any namespace.
static void registerIconResource() {
    Q_INIT_RESOURCE(wordloom);
}

namespace wordloom::platform::qt {

void QtMainWindow::setPointerShape(int shape) {
    if (shape != PointerDefault && shape != PointerHourglass && shape != PointerCustom) {
        throw std::out_of_range("The window has no pointer shape " + std::to_string(shape) + ".");
    }
    if (shape == m_shape) {
        return;  // pointer movements set the shape again and again; nothing to change then
    }
    m_shape = shape;
    applyPointer();
}

void QtMainWindow::applyPointer() {
    // Set on every control too, so that the shape shows over all of them, as one window pointer
    // would; dialogs of the program are windows of their own and keep their pointers.
    QList<QWidget*> widgets = m_window.findChildren<QWidget*>();
    widgets.erase(std::remove_if(widgets.begin(), widgets.end(),
                                 [](const QWidget* widget) { return widget->isWindow(); }),
                  widgets.end());
    widgets.append(&m_window);
    if (m_shape == PointerDefault) {
        for (QWidget* widget : widgets) {
            widget->unsetCursor();
        }
        return;
    }
    const QCursor cursor = m_shape == PointerHourglass ? QCursor(Qt::WaitCursor)
                           : m_customPointer           ? *m_customPointer
                                                       : QCursor(Qt::PointingHandCursor);
    for (QWidget* widget : widgets) {
        widget->setCursor(cursor);
    }
}

void QtMainWindow::setCustomPointerImage(const std::u16string& cursorFile) {
    m_customPointer = loadCursorFile(toQString(cursorFile));
    if (m_shape == PointerCustom) {
        applyPointer();
    }
}

void QtMainWindow::setCaption(const std::u16string& caption) {
    m_window.setWindowTitle(toQString(caption));
}

void QtMainWindow::setProgramIcon() {
    registerIconResource();
    const QIcon icon(QStringLiteral(":/wordloom/wordloom.png"));
    QApplication::setWindowIcon(icon);  // the message boxes and dialogs carry it too
    m_window.setWindowIcon(icon);
}

void QtMainWindow::useButtonFaceColours() {
    m_window.useButtonFaceColours();
}

void QtMainWindow::endProgram() {
    m_ended = true;
    if (QThread::currentThread()->loopLevel() == 0) {
        return;
    }
    // QCoreApplication::quit() would leave only the innermost loop and let a long operation run
    // on; ending the process is the one way out of every nesting at once.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->hide();
    }
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

}  // namespace wordloom::platform::qt
