#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "qt_test_application.h"

namespace services_test {

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
