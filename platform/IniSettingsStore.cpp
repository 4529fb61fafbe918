#include <QCryptographicHash>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "base/Error.h"
#include "platform/SettingsStore.h"

namespace pagora {

namespace {

// Most file systems allow 255 bytes per name; stay well below it, ".ini" and QSettings'
// ".lock" companion included.
constexpr qsizetype kMaxStemLength = 160;
constexpr qsizetype kLongNamePrefix = 80;

bool IsKeptAsIs(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'_' || c == u'.' || c == u' ';
}

// Percent-escapes every UTF-8 byte of the characters that are not kept; "%" itself is escaped,
// so the mapping is one to one.
QString EscapeName(const QString& name) {
    QString out;
    const QByteArray utf8 = name.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const bool leadingDot = i == 0 && byte == '.';
        if (byte < 0x80 && IsKeptAsIs(byte) && !leadingDot) {
            out += QChar(byte);
        } else {
            out += QStringLiteral("%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        }
    }
    return out;
}

QString FileStem(const QString& appName) {
    QString stem = EscapeName(appName);
    if (stem.size() <= kMaxStemLength) {
        return stem;
    }
    // "~" never appears in an escaped name, so hashed names cannot meet short ones.
    QString prefix = stem.left(kLongNamePrefix);
    const qsizetype cut = prefix.lastIndexOf(u'%');
    if (cut >= 0 && cut > prefix.size() - 3) {
        prefix.truncate(cut);  // do not split an escape
    }
    const QByteArray hash =
        QCryptographicHash::hash(appName.toUtf8(), QCryptographicHash::Sha256).toHex();
    return prefix + u'~' + QString::fromLatin1(hash);
}

QString DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/pagora");
}

std::string Utf8(const QString& s) {
    return s.toStdString();
}

}  // namespace

IniSettingsStore::IniSettingsStore(QString folder)
    : folder_(folder.isEmpty() ? DefaultFolder() : std::move(folder)) {
    while (folder_.size() > 1 && folder_.endsWith(u'/')) {
        folder_.chop(1);
    }
}

QString IniSettingsStore::FileFor(const QString& appName) const {
    return folder_ + u'/' + FileStem(appName) + QStringLiteral(".ini");
}

QString IniSettingsStore::GetSetting(const QString& appName, const QString& section,
                                     const QString& key, const QString& defaultValue) {
    QSettings settings(FileFor(appName), QSettings::IniFormat);
    const QVariant value = settings.value(section + u'/' + key);
    if (!value.isValid()) {
        return defaultValue;
    }
    // An unquoted hand-written value with commas reads back as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(u',');
    }
    return value.toString();
}

void IniSettingsStore::SaveSetting(const QString& appName, const QString& section,
                                   const QString& key, const QString& value) {
    const QString file = FileFor(appName);
    if (!QDir().mkpath(folder_)) {
        throw Error(errnum::kPathNotFound, "IniSettingsStore.SaveSetting",
                    "Cannot create the settings folder " + Utf8(folder_));
    }
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(section + u'/' + key, value);
    settings.sync();
    // A file with junk lines reports FormatError but is still written; only access matters here.
    if (settings.status() == QSettings::AccessError) {
        throw Error(errnum::kPathFileAccessError, "IniSettingsStore.SaveSetting",
                    "Cannot write the settings file " + Utf8(file));
    }
}

}  // namespace pagora
