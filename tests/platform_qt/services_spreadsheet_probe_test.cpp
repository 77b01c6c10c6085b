#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

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

// Only the [Desktop Entry] group counts, wherever it stands in the file; an action group before
// it must neither hide its key nor lend it one.
TEST_F(SpreadsheetProbeTest, CategoriesComeOnlyFromTheDesktopEntryGroupInAnyPosition) {
    const QString apps = dataDir() + QStringLiteral("/applications/");
    writeFile(apps + QStringLiteral("late.desktop"),
              "[Desktop Action new]\nCategories=Utility;\n\n"
              "[Desktop Entry]\nName=Sheets\nCategories = Office;Spreadsheet;\n");
    writeFile(apps + QStringLiteral("lent.desktop"),
              "[Desktop Entry]\nName=Archiver\n\n[Desktop Action open]\n"
              "Categories=Office;Spreadsheet;\n");
    writeFile(apps + QStringLiteral("similar.desktop"),
              "[Desktop Entry]\nCategoriesX=Spreadsheet;\nCategories[de]=Spreadsheet;\n"
              "[Desktop Entry Extra]\nCategories=Spreadsheet;\n");
    EXPECT_EQ(qt::desktopEntryCategories(apps + QStringLiteral("late.desktop")),
              QStringList({QStringLiteral("Office"), QStringLiteral("Spreadsheet")}));
    EXPECT_TRUE(qt::desktopEntryCategories(apps + QStringLiteral("lent.desktop")).isEmpty());
    EXPECT_TRUE(qt::desktopEntryCategories(apps + QStringLiteral("similar.desktop")).isEmpty());

    m_handler = QStringLiteral("late.desktop");
    EXPECT_TRUE(qt::hasSpreadsheetApplication(m_probe));
    m_handler = QStringLiteral("lent.desktop");
    EXPECT_FALSE(qt::hasSpreadsheetApplication(m_probe));
}

TEST_F(SpreadsheetProbeTest, MimeAppsDefaultIsTakenOnlyFromItsGroupInAnyPosition) {
    const QString mime = QString::fromLatin1(qt::XlsxMimeType);
    const QByteArray key = mime.toLatin1();
    const QString late = m_root.filePath(QStringLiteral("late/mimeapps.list"));
    const QString lent = m_root.filePath(QStringLiteral("lent/mimeapps.list"));
    const QString last = m_root.filePath(QStringLiteral("last/mimeapps.list"));
    writeFile(late, "[Added Associations]\n" + key + "=ark.desktop;\n[Removed Associations]\n" +
                        key +
                        "=gnumeric.desktop;\n[Default Applications]\ntext/plain=vim.desktop\n" +
                        key + " = calc.desktop;ark.desktop;\n");
    writeFile(lent, "[Default Applications]\ntext/plain=vim.desktop;\n[Added Associations]\n" +
                        key + "=ark.desktop;\n");
    writeFile(last, "[Default Applications]\n" + key + "=gnumeric.desktop;\n");

    EXPECT_EQ(qt::defaultHandlerFromMimeApps(mime, {late, last}), QStringLiteral("calc.desktop"));
    // A file whose default group does not name the type passes the question on.
    EXPECT_EQ(qt::defaultHandlerFromMimeApps(mime, {lent, last}),
              QStringLiteral("gnumeric.desktop"));
    EXPECT_TRUE(qt::defaultHandlerFromMimeApps(mime, {lent}).isEmpty());
}

TEST_F(SpreadsheetProbeTest, PipeOrFolderInPlaceOfAKeyFileIsNotOpened) {
    const QString mime = QString::fromLatin1(qt::XlsxMimeType);
    const QString pipe = m_root.filePath(QStringLiteral("mimeapps.list"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString system = dataDir() + QStringLiteral("/applications/mimeapps.list");
    writeFile(system, "[Default Applications]\n" + mime.toLatin1() + "=calc.desktop;\n");
    // Opening the pipe would wait for a writer for ever.
    EXPECT_EQ(qt::defaultHandlerFromMimeApps(mime, {pipe, m_root.path(), system}),
              QStringLiteral("calc.desktop"));
    EXPECT_TRUE(qt::desktopEntryCategories(pipe).isEmpty());
}
