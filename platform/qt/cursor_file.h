#pragma once

#include <QCursor>
#include <QString>

namespace wordloom::platform::qt {

// Loads a Windows cursor file (.CUR) with the hotspot it stores, which Qt's image reader drops.
// Throws std::runtime_error with a sentence naming the file when it cannot be read or is not a
// cursor.
QCursor loadCursorFile(const QString& path);

}  // namespace wordloom::platform::qt
