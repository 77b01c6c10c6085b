#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Reads every key as the start-up does; the texts of the failures, in order.
std::vector<std::string> readAllKeys(qt::QtSettingsStore& store,
                                     std::map<std::u16string, std::u16string>& values) {
    std::vector<std::string> failures;
    for (const std::u16string key :
         {u"Check1", u"Check2", u"Check3", u"Check4", u"Check5", u"Check6", u"Check7"}) {
        try {
            if (const auto value = store.read(Application, Section, key)) {
                values[key] = *value;
            }
        } catch (const std::runtime_error& failure) {
            failures.emplace_back(failure.what());
        }
    }
    return failures;
}

TEST_F(QtSettingsStoreTest, DamagedFileKeepsTheValuesThatCanBeReadAndReportsOnce) {
    // A header without its bracket, a line that is no setting and binary junk.
    constexpr char damaged[] =
        "[General\nCheck1=1\nCheck3=0\nnot a setting\nCheck7=1\n\x01\xff\xfe junk\n";
    const QByteArray original(damaged, sizeof damaged - 1);
    writeIni(original);

    std::map<std::u16string, std::u16string> values;
    const std::vector<std::string> failures = readAllKeys(m_store, values);
    EXPECT_EQ(values, (std::map<std::u16string, std::u16string>{
                          {u"Check1", u"1"}, {u"Check3", u"0"}, {u"Check7", u"1"}}));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "The settings file '" + iniPath().toStdString() +
                               "' is damaged, so the setting 'Check2' could not be read from it. "
                               "The values that could be read are kept, and the damaged file "
                               "was saved as '" +
                               iniPath().toStdString() + ".damaged'.");
    // Reading changes nothing; the copy holds every byte of the damaged file.
    EXPECT_EQ(readIni(), original);
    QFile copy(iniPath() + QStringLiteral(".damaged"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original);

    // The first write keeps what could be read; nothing is reported again in this run.
    m_store.write(Application, Section, u"Check5", u"1");
    EXPECT_EQ(readIni(), QByteArray("[General]\nCheck1=1\nCheck3=0\nCheck5=1\nCheck7=1\n"));
    values.clear();
    EXPECT_TRUE(readAllKeys(m_store, values).empty());
    EXPECT_EQ(values.size(), 4u);
    EXPECT_EQ(values[u"Check5"], u"1");
}

TEST_F(QtSettingsStoreTest, DamagedFileThatAnswersEveryReadIsSavedBeforeItIsRewritten) {
    // "[Gen" starts a group of its own, so Check6 is not a value of this section.
    constexpr char damaged[] = "[General]\nCheck5=1\n[Gen\nCheck6=1\n";
    writeIni(damaged);
    ASSERT_TRUE(QFile::setPermissions(iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(m_store.read(Application, Section, u"Check5"), u"1");
    EXPECT_EQ(m_store.read(Application, Section, u"Check5"), u"1");

    m_store.write(Application, Section, u"Check4", u"0");
    EXPECT_EQ(m_store.read(Application, Section, u"Check4"), u"0");
    EXPECT_EQ(m_store.read(Application, Section, u"Check5"), u"1");
    QFile copy(iniPath() + QStringLiteral(".damaged"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray(damaged));
    EXPECT_FALSE(QFile::exists(iniPath() + QStringLiteral(".new")));
    struct stat mode {};
    ASSERT_EQ(::stat(QFile::encodeName(iniPath()).constData(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 0777, 0600u);
}

TEST_F(QtSettingsStoreTest, DamagedFileInAFolderThatTakesNoNewFilesIsLeftAsItIs) {
    // The check runs as an unprivileged user (root may write anywhere), who must reach the folder.
    ASSERT_EQ(::chmod(QFile::encodeName(m_home.path()).constData(), 0755), 0);
    constexpr char damaged[] = "[General\nCheck6=1\n";
    writeIni(damaged);
    const QByteArray folder = QFile::encodeName(m_home.path() + QStringLiteral("/Quillmark"));
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(iniPath()).constData(), 0444), 0);

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(10);
        }
        qt::QtSettingsStore store;
        std::map<std::u16string, std::u16string> values;
        const auto failures = readAllKeys(store, values);
        if (values != std::map<std::u16string, std::u16string>{{u"Check6", u"1"}}) {
            _exit(11);
        }
        // No copy could be saved, and the report says so.
        if (failures.size() != 1 || failures[0].find("are kept.") == std::string::npos) {
            _exit(12);
        }
        try {
            store.write(Application, Section, u"Check6", u"0");
            _exit(13);  // a write that cannot be saved must not count as saved
        } catch (const std::runtime_error&) {
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ::chmod(folder.constData(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readIni(), QByteArray(damaged));
    EXPECT_FALSE(QFile::exists(iniPath() + QStringLiteral(".damaged")));
}

TEST_F(QtSettingsStoreTest, PipeOrHugeFileInPlaceOfTheFileIsNeitherParsedNorWritten) {
    QDir().mkpath(m_home.path() + QStringLiteral("/Quillmark"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(iniPath()).constData(), 0600), 0);
    // Opening the pipe would wait for a writer for ever.
    EXPECT_EQ(m_store.read(Application, Section, u"Check1"), std::nullopt);
    EXPECT_THROW(m_store.write(Application, Section, u"Check1", u"1"), std::runtime_error);
    EXPECT_TRUE(QFileInfo(iniPath()).exists());
    EXPECT_FALSE(QFileInfo(iniPath()).isFile());

    ASSERT_TRUE(QFile::remove(iniPath()));
    writeIni("[General]\nCheck1=1\n" + QByteArray(2 << 20, ';'));
    EXPECT_EQ(m_store.read(Application, Section, u"Check1"), std::nullopt);
    EXPECT_THROW(m_store.write(Application, Section, u"Check1", u"0"), std::runtime_error);
    EXPECT_EQ(QFileInfo(iniPath()).size(), (2 << 20) + 19);
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
