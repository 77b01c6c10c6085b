#include "qt_shell.h"

#include <QDesktopServices>
#include <QUrl>
#include <stdexcept>

#include "service_text.h"

namespace wordloom::platform::qt {

void QtShell::openUrl(const std::u16string& address) {
    const QString text = qStringFromU16(address);
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        throw std::runtime_error("The address '" + text.toStdString() +
                                 "' is not a valid web address.");
    }
    if (!QDesktopServices::openUrl(url)) {
        throw std::runtime_error("Cannot open '" + text.toStdString() +
                                 "'. Check that a default web browser is set up.");
    }
}

}  // namespace wordloom::platform::qt
