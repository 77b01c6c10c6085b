#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qt/spreadsheet_probe.h"

namespace qt = wordloom::platform::qt;

namespace {

// A temporary XDG data folder, a PATH folder and a scripted default handler.
class SpreadsheetProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        QDir().mkpath(dataDir() + QStringLiteral("/applications"));
        QDir().mkpath(binDir());
        m_probe.dataDirs = {m_root.filePath(QStringLiteral("empty")), dataDir()};
        m_probe.searchPath = {binDir()};
        m_probe.defaultHandler = [this](const QString& mimeType) {
            m_askedMimeType = mimeType;
            return m_handler;
        };
    }

    QString dataDir() const { return m_root.filePath(QStringLiteral("share")); }
    QString binDir() const { return m_root.filePath(QStringLiteral("bin")); }
    void writeFile(const QString& path, const QByteArray& content,
                   QFileDevice::Permissions permissions = QFileDevice::ReadOwner |
                                                          QFileDevice::WriteOwner) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.setPermissions(permissions);
    }
    void writeDesktopEntry(const QString& relative, const QByteArray& categories) {
        writeFile(dataDir() + QStringLiteral("/applications/") + relative,
                  "[Desktop Entry]\nType=Application\nName=Program\nCategories=" + categories +
                      "\n\n[Desktop Action new]\nCategories=Spreadsheet;\n");
    }

    QTemporaryDir m_root;
    qt::SpreadsheetProbe m_probe;
    QString m_handler;
    QString m_askedMimeType;
};

}  // namespace

TEST_F(SpreadsheetProbeTest, DefaultXlsxHandlerCountsOnlyInTheSpreadsheetCategory) {
    writeDesktopEntry(QStringLiteral("calc.desktop"), "Office;Spreadsheet;");
    writeDesktopEntry(QStringLiteral("org.gnome.FileRoller.desktop"),
                      "GTK;GNOME;Utility;Archiving;");

    m_handler = QStringLiteral("calc.desktop");
    EXPECT_TRUE(qt::hasSpreadsheetApplication(m_probe));
    EXPECT_EQ(m_askedMimeType,
              QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"));

    m_handler = QStringLiteral("org.gnome.FileRoller.desktop");
    EXPECT_FALSE(qt::hasSpreadsheetApplication(m_probe));
    m_handler = QStringLiteral("missing.desktop");
    EXPECT_FALSE(qt::hasSpreadsheetApplication(m_probe));
    m_handler.clear();
    EXPECT_FALSE(qt::hasSpreadsheetApplication(m_probe));
}

TEST_F(SpreadsheetProbeTest, KnownSpreadsheetProgramOnThePathCountsWhenExecutable) {
    writeFile(binDir() + QStringLiteral("/gnumeric"), "#!/bin/sh\n");  // not executable
    EXPECT_FALSE(qt::hasSpreadsheetApplication(m_probe));

    writeFile(binDir() + QStringLiteral("/localc"), "#!/bin/sh\n",
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(qt::hasSpreadsheetApplication(m_probe));
    EXPECT_EQ(
        qt::findProgram({QStringLiteral("soffice"), QStringLiteral("localc")}, m_probe.searchPath),
        binDir() + QStringLiteral("/localc"));
    EXPECT_TRUE(qt::findProgram({QStringLiteral("localc")}, {}).isEmpty());
}

TEST_F(SpreadsheetProbeTest, DesktopEntryLookupFollowsVendorFoldersAndGroups) {
    writeDesktopEntry(QStringLiteral("kde4/kspread.desktop"), "Qt;KDE;Office;Spreadsheet");
    const QString found =
        qt::findDesktopEntry(QStringLiteral("kde4-kspread.desktop"), m_probe.dataDirs);
    EXPECT_EQ(found, dataDir() + QStringLiteral("/applications/kde4/kspread.desktop"));
    EXPECT_EQ(qt::desktopEntryCategories(found),
              QStringList({QStringLiteral("Qt"), QStringLiteral("KDE"), QStringLiteral("Office"),
                           QStringLiteral("Spreadsheet")}));
    EXPECT_TRUE(qt::desktopEntryCategories(dataDir() + QStringLiteral("/none.desktop")).isEmpty());
}

TEST_F(SpreadsheetProbeTest, MimeAppsListGivesTheFirstDefaultOfTheFirstFileThatNamesOne) {
    const QString mime = QString::fromLatin1(qt::XlsxMimeType);
    const QString user = m_root.filePath(QStringLiteral("config/mimeapps.list"));
    const QString system = dataDir() + QStringLiteral("/applications/mimeapps.list");
    writeFile(user, "[Added Associations]\n" + mime.toLatin1() +
                        "=ark.desktop;\n\n[Default Applications]\n"
                        "text/plain=vim.desktop;\n");
    writeFile(system, "[Default Applications]\n" + mime.toLatin1() +
                          "=libreoffice-calc.desktop;gnumeric.desktop;\n");

    EXPECT_EQ(qt::defaultHandlerFromMimeApps(mime, {user, system}),
              QStringLiteral("libreoffice-calc.desktop"));
    EXPECT_TRUE(qt::defaultHandlerFromMimeApps(mime, {user}).isEmpty());
}
