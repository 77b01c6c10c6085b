#pragma once

#include <QApplication>
#include <QByteArray>

namespace qt_test {

// One QApplication for the whole test program, on the offscreen platform unless told otherwise.
// It is never deleted: Qt objects must not outlive it during static destruction.
inline QApplication& application() {
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        }
        static int argc = 1;
        static char name[] = "wordloom_qt_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace qt_test
