#include <gtest/gtest.h>

#include <QClipboard>
#include <QDesktopServices>
#include <QMimeData>
#include <QUrl>

#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_shell.h"
#include "services_app.h"

namespace qt = wordloom::platform::qt;

TEST(QtClipboard, SetsPlainTextAndNumberedFormatsAndClears) {
    qt_test::application();
    QClipboard& system = *QGuiApplication::clipboard();
    qt::QtClipboard clipboard;

    clipboard.setText(u"cat\r\nact\u00e9\r\n", 0);
    EXPECT_EQ(system.text(), QStringLiteral("cat\r\nact\u00e9\r\n"));

    clipboard.setText(u"\ufeffbom", 0);  // every code unit arrives, a leading U+FEFF too
    EXPECT_EQ(system.text(), QString(QChar(0xfeff)) + QStringLiteral("bom"));

    clipboard.setText(u"dog", 49161);
    const QMimeData* data = system.mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(qt::clipboardMimeType(49161)), QByteArray("dog"));
    EXPECT_FALSE(data->hasText());

    clipboard.setText(u"x", 0);
    clipboard.clear();
    EXPECT_TRUE(system.text().isEmpty());
}

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl& url) { opened.append(url); }
};

}  // namespace

TEST(QtShell, HandsAddressToTheDesktopAndThrowsWhenNothingOpensIt) {
    qt_test::application();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("wordloom-test"), &catcher, "open");
    qt::QtShell shell;

    shell.openUrl(u"wordloom-test://example.org/home?from=app");
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].toString(),
              QStringLiteral("wordloom-test://example.org/home?from=app"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("wordloom-test"));

    // The offscreen platform has no browser, so an unhandled address is refused.
    EXPECT_THROW(shell.openUrl(u"wordloom-nobody://example.org"), std::runtime_error);
    try {
        shell.openUrl(u"example.org home");
        FAIL() << "an address without a scheme was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "The address 'example.org home' is not a valid web address.");
    }
}

#include "services_clipboard_shell_test.moc"
