#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QTimer>
#include <QWidget>

namespace services_test {

// One QApplication for the whole test program, on the offscreen platform unless told otherwise.
// It is never deleted: Qt objects must not outlive it during static destruction.
inline QApplication& application() {
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        }
        static int argc = 1;
        static char name[] = "wordloom_services_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Runs `action` on the modal dialog that the code under test is about to show, from inside its
// event loop. Closes whatever else is up, so a wrong dialog fails the test instead of hanging it.
template <typename Dialog, typename Action>
void whenModalShown(Action action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<Dialog*>(modal);
        if (dialog == nullptr) {
            ADD_FAILURE() << "The expected modal dialog is not shown.";
            if (modal != nullptr) {
                modal->close();
            }
            return;
        }
        action(*dialog);
    });
}

}  // namespace services_test
