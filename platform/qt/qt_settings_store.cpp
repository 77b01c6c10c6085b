#include "qt_settings_store.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
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
// file only on the first read. The damaged files seen are remembered until they change, which
// makes every read of such a file come back empty, not only the first.
QHash<QString, FileStamp>& damagedFiles() {
    static QHash<QString, FileStamp> files;
    return files;
}

bool isDamaged(const QSettings& settings, const QString& path) {
    if (settings.status() == QSettings::FormatError) {
        damagedFiles().insert(path, stampOf(path));
        return true;
    }
    const auto seen = damagedFiles().constFind(path);
    if (seen == damagedFiles().constEnd()) {
        return false;
    }
    if (*seen == stampOf(path)) {
        return true;
    }
    damagedFiles().remove(path);  // changed since, so parsed afresh
    return false;
}

QSettings::Status saveValue(const QString& path, const QString& key, const QString& value) {
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    return settings.status();
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
    const QSettings settings(path, QSettings::IniFormat);
    const QString name = qStringFromU16(key);
    if (isDamaged(settings, path) || !settings.contains(name)) {
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
    const QString text = qStringFromU16(value);
    const bool damaged = isDamaged(QSettings(path, QSettings::IniFormat), path);
    QSettings::Status status = damaged ? QSettings::FormatError : saveValue(path, name, text);
    if (status == QSettings::FormatError) {
        // The values of a damaged file read as absent anyway; a fresh file keeps the new one.
        QFile::remove(path);
        damagedFiles().remove(path);
        status = saveValue(path, name, text);
    }
    if (status != QSettings::NoError) {
        throw std::runtime_error("Cannot save the setting '" + name.toStdString() + "' in '" +
                                 path.toStdString() +
                                 "'. Check that this file and its folder can be written to.");
    }
}

}  // namespace wordloom::platform::qt
