#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qt/qt_settings_store.h"

namespace qt = wordloom::platform::qt;

namespace {

constexpr char16_t Application[] = u"Quillmark";
constexpr char16_t Section[] = u"Wordloom Anagram Finder Studio";

// Points the per-user configuration folder at a fresh temporary folder for one test.
class QtSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", m_oldConfigHome); }

    QString iniPath() const {
        return m_home.path() + QStringLiteral("/Quillmark/Wordloom Anagram Finder Studio.ini");
    }
    void writeIni(const QByteArray& content) const {
        QDir().mkpath(m_home.path() + QStringLiteral("/Quillmark"));
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray readIni() const {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_home;
    QByteArray m_oldConfigHome;
    qt::QtSettingsStore m_store;
};

}  // namespace

TEST_F(QtSettingsStoreTest, WritesTextValuesToTheUsersIniFileAndReadsThemBack) {
    EXPECT_EQ(qt::settingsFilePath(Application, Section), iniPath());
    EXPECT_EQ(m_store.read(Application, Section, u"Check7"), std::nullopt);

    m_store.write(Application, Section, u"Check7", u"1");
    m_store.write(Application, Section, u"Check1", u"0");
    m_store.write(Application, Section, u"Check7", u"0");

    EXPECT_EQ(readIni(), QByteArray("[General]\nCheck1=0\nCheck7=0\n"));
    EXPECT_EQ(m_store.read(Application, Section, u"Check7"), u"0");
    EXPECT_EQ(m_store.read(Application, Section, u"Check1"), u"0");
    EXPECT_EQ(m_store.read(Application, Section, u"Check2"), std::nullopt);
    EXPECT_EQ(m_store.read(Application, u"Another Section", u"Check7"), std::nullopt);
}

TEST_F(QtSettingsStoreTest, ValuesComeBackAsTheTextWritten) {
    for (const std::u16string value :
         {u"1.4", u"-1", u"two words", u"1, 2", u"@at", u"", u"\u00e9t\u00e9"}) {
        m_store.write(Application, Section, u"Check3", value);
        EXPECT_EQ(m_store.read(Application, Section, u"Check3"), value);
    }
    writeIni("[General]\nCheck3=1,2\n");  // edited by hand: unquoted comma
    EXPECT_EQ(m_store.read(Application, Section, u"Check3"), u"1,2");
}

TEST_F(QtSettingsStoreTest, DeletingTheFileRemovesTheSection) {
    m_store.write(Application, Section, u"Check5", u"1");
    ASSERT_TRUE(QFile::remove(iniPath()));
    EXPECT_EQ(m_store.read(Application, Section, u"Check5"), std::nullopt);
}

TEST_F(QtSettingsStoreTest, DamagedFileReadsEmptyAndIsReplacedOnWrite) {
    constexpr char damaged[] = "[General]\nCheck5=1\n[Gen\nCheck6=1\n\x00\xff\xfe[[";
    writeIni(QByteArray(damaged, sizeof damaged - 1));
    // Every read, not only the one that parses the file, finds it empty.
    EXPECT_EQ(m_store.read(Application, Section, u"Check5"), std::nullopt);
    EXPECT_EQ(m_store.read(Application, Section, u"Check5"), std::nullopt);
    EXPECT_EQ(m_store.read(Application, Section, u"Check6"), std::nullopt);

    m_store.write(Application, Section, u"Check6", u"0");
    EXPECT_EQ(m_store.read(Application, Section, u"Check6"), u"0");
    EXPECT_EQ(readIni(), QByteArray("[General]\nCheck6=0\n"));

    writeIni(QByteArray(damaged, sizeof damaged - 1));
    EXPECT_EQ(m_store.read(Application, Section, u"Check5"), std::nullopt);
    writeIni("[General]\nCheck5=1\n");  // mended by hand
    EXPECT_EQ(m_store.read(Application, Section, u"Check5"), u"1");
}

TEST_F(QtSettingsStoreTest, UnwritableStoreThrowsWithThePath) {
    // A folder in place of the file cannot be written, whoever runs the test.
    ASSERT_TRUE(QDir().mkpath(iniPath()));
    EXPECT_EQ(m_store.read(Application, Section, u"Check1"), std::nullopt);
    try {
        m_store.write(Application, Section, u"Check1", u"1");
        FAIL() << "the write was reported as saved";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot save the setting 'Check1' in '" + iniPath().toStdString() +
                      "'. Check that this file and its folder can be written to.");
    }
}
