#pragma once

#include <QApplication>

namespace window_test {

// One QApplication for the whole test program, offscreen unless told otherwise; never deleted,
// so no Qt object outlives it during static destruction.
QApplication& application();

}  // namespace window_test
