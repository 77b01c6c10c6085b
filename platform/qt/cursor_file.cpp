#include "cursor_file.h"

#include <QFile>
#include <QPixmap>
#include <algorithm>
#include <stdexcept>

namespace wordloom::platform::qt {
namespace {

int littleEndian16(const QByteArray& bytes, int offset) {
    return static_cast<unsigned char>(bytes[offset]) |
           (static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

}  // namespace

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("Cannot open the pointer image '" + path.toStdString() + "'.");
    }
    const QByteArray bytes = file.readAll();
    const auto invalid = [&path] {
        return std::runtime_error("Cannot use '" + path.toStdString() +
                                  "' as the pointer image: it is not a valid cursor file.");
    };
    // A cursor file starts with reserved 0, type 2 and an image count, then the first image's
    // directory entry, whose hotspot sits at bytes 10-11 (x) and 12-13 (y).
    constexpr int headerSize = 6 + 16;
    if (bytes.size() < headerSize || littleEndian16(bytes, 0) != 0 ||
        littleEndian16(bytes, 2) != 2 || littleEndian16(bytes, 4) < 1) {
        throw invalid();
    }
    QPixmap image;
    if (!image.loadFromData(bytes, "CUR") || image.isNull()) {
        throw invalid();
    }
    const int x = std::min(littleEndian16(bytes, 10), image.width() - 1);
    const int y = std::min(littleEndian16(bytes, 12), image.height() - 1);
    return QCursor(image, x, y);
}

}  // namespace wordloom::platform::qt
