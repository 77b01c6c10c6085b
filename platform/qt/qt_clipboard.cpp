#include "qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <memory>
#include <stdexcept>

#include "service_text.h"

namespace wordloom::platform::qt {

namespace {

QClipboard& systemClipboard() {
    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::clipboard()
                                : nullptr;
    if (clipboard == nullptr) {
        throw std::runtime_error("The clipboard is not available without a window system.");
    }
    return *clipboard;
}

}  // namespace

QString clipboardMimeType(int format) {
    return QStringLiteral("application/x-wordloom-clipboard-format-%1").arg(format);
}

void QtClipboard::clear() {
    systemClipboard().clear();
}

void QtClipboard::setText(std::u16string_view text, int format) {
    QClipboard& clipboard = systemClipboard();
    if (format == 0) {
        clipboard.setText(qStringFromU16(text));
        return;
    }
    auto data = std::make_unique<QMimeData>();
    data->setData(clipboardMimeType(format), qStringFromU16(text).toUtf8());
    clipboard.setMimeData(data.release());  // the clipboard takes ownership
}

}  // namespace wordloom::platform::qt
