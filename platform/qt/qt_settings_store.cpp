#include "qt_settings_store.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <cstdio>
#include <stdexcept>

#include "service_text.h"

namespace wordloom::platform::qt {

namespace {

struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const QString& path) {
    const QFileInfo info(path);
    return {info.exists() ? info.size() : -1, info.lastModified()};
}

// QSettings parses a file once and keeps it in a process-wide cache, so it reports a damaged
// file only on the first read. The damaged files seen are remembered until they change, so that
// every later look at such a file still knows it is damaged.
QHash<QString, FileStamp>& damagedFiles() {
    static QHash<QString, FileStamp> files;
    return files;
}

// A damaged file found in this run: the copy kept of it, and whether the user has been told.
struct DamageNotice {
    QString copy;  // empty when no copy could be saved
    bool told = false;
};
QHash<QString, DamageNotice>& damageNotices() {
    static QHash<QString, DamageNotice> notices;
    return notices;
}

// The program's own file holds a few lines; anything far larger was not written by it.
constexpr qint64 LargestSettingsFile = 1 << 20;

// A folder, device or pipe in place of the file holds no values and takes none (opening a pipe
// would block the window), and neither does a file too large to be a settings file.
bool isUsablePath(const QString& path) {
    const QFileInfo info(path);
    return !info.exists() || (info.isFile() && info.size() <= LargestSettingsFile);
}

// Lines that QSettings drops without a word on the next save: anything but blank lines,
// comments, complete [group] headers and key=value lines.
bool hasUnreadableLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray content = file.readAll();
    for (const QByteArray& raw : content.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.contains('=')) {
            continue;
        }
        if (line.startsWith('[') && line.endsWith(']')) {
            continue;
        }
        return true;
    }
    return false;
}

// Saves the damaged file as <file>.damaged (replacing an older copy) before anything rewrites
// it, so that no line of it is lost for good; returns the copy's path, or empty on failure.
QString keepDamagedCopy(const QString& path) {
    const QString copy = path + QStringLiteral(".damaged");
    QFile::remove(copy);
    return QFile::copy(path, copy) ? copy : QString();
}

// Whether the file could not be parsed in full. The first time a damaged file is seen in this
// run, a copy of it is kept and a notice is prepared for the first read it cannot answer.
bool checkForDamage(const QSettings& settings, const QString& path) {
    const FileStamp stamp = stampOf(path);
    const auto seen = damagedFiles().constFind(path);
    const bool seenAsItIs = seen != damagedFiles().constEnd() && *seen == stamp;
    if (seen != damagedFiles().constEnd() && !seenAsItIs) {
        damagedFiles().remove(path);  // changed since, so judged afresh
    }
    const bool damaged =
        seenAsItIs || settings.status() == QSettings::FormatError || hasUnreadableLines(path);
    if (damaged && !seenAsItIs) {
        damagedFiles().insert(path, stamp);
        damageNotices()[path].copy = keepDamagedCopy(path);
    }
    return damaged;
}

// Tells, once per run and file, that a value could not be read because the file is damaged.
void reportDamageOnce(const QString& path, const QString& key) {
    const auto notice = damageNotices().find(path);
    if (notice == damageNotices().end() || notice->told) {
        return;
    }
    notice->told = true;
    std::string message = "The settings file '" + path.toStdString() +
                          "' is damaged, so the setting '" + key.toStdString() +
                          "' could not be read from it. The values that could be read are kept";
    message += notice->copy.isEmpty()
                   ? std::string(".")
                   : ", and the damaged file was saved as '" + notice->copy.toStdString() + "'.";
    throw std::runtime_error(message);
}

QSettings::Status saveValue(const QString& path, const QString& key, const QString& value) {
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    return settings.status();
}

// Writes the values that could be read from a damaged file, and the new one, to a fresh file
// that then replaces it in one step. Writing through the damaged file's own QSettings would
// keep its parse error, so success could not be told from failure.
QSettings::Status saveOverDamagedFile(const QSettings& damaged, const QString& path,
                                      const QString& key, const QString& value) {
    const QString fresh = path + QStringLiteral(".new");
    QFile::remove(fresh);
    {
        QSettings settings(fresh, QSettings::IniFormat);
        for (const QString& name : damaged.allKeys()) {
            settings.setValue(name, damaged.value(name));
        }
        settings.setValue(key, value);
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            QFile::remove(fresh);
            return settings.status();
        }
    }
    QFile::setPermissions(fresh, QFileInfo(path).permissions());  // a private file stays private
    if (std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()) !=
        0) {
        QFile::remove(fresh);
        return QSettings::AccessError;
    }
    damagedFiles().remove(path);
    return QSettings::NoError;
}

[[noreturn]] void throwCannotSave(const QString& path, const QString& key) {
    throw std::runtime_error("Cannot save the setting '" + key.toStdString() + "' in '" +
                             path.toStdString() +
                             "'. Check that this file and its folder can be written to.");
}

}  // namespace

QString settingsFilePath(std::u16string_view application, std::u16string_view section) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + qStringFromU16(application) + QLatin1Char('/') +
           qStringFromU16(section) + QStringLiteral(".ini");
}

std::optional<std::u16string> QtSettingsStore::read(std::u16string_view application,
                                                    std::u16string_view section,
                                                    std::u16string_view key) {
    const QString path = settingsFilePath(application, section);
    if (!isUsablePath(path)) {
        return std::nullopt;
    }
    const QSettings settings(path, QSettings::IniFormat);
    const QString name = qStringFromU16(key);
    checkForDamage(settings, path);
    if (!settings.contains(name)) {
        reportDamageOnce(path, name);  // the value may have been in the damaged part
        return std::nullopt;
    }
    const QVariant value = settings.value(name);
    // An unquoted comma in a hand-edited value makes QSettings split it into a list.
    if (value.typeId() == QMetaType::QStringList) {
        return u16FromQString(value.toStringList().join(QLatin1Char(',')));
    }
    return u16FromQString(value.toString());
}

void QtSettingsStore::write(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view value) {
    const QString path = settingsFilePath(application, section);
    const QString name = qStringFromU16(key);
    if (!isUsablePath(path)) {
        throwCannotSave(path, name);
    }
    const QString text = qStringFromU16(value);
    QSettings::Status status = QSettings::NoError;
    {
        const QSettings current(path, QSettings::IniFormat);
        status = checkForDamage(current, path) ? saveOverDamagedFile(current, path, name, text)
                                               : saveValue(path, name, text);
    }
    if (status != QSettings::NoError) {
        throwCannotSave(path, name);
    }
}

}  // namespace wordloom::platform::qt
