#pragma once

#include <QString>

namespace pagora {

// Per-user store of text values addressed by application name, section and key.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultValue` when the key, its section or the application is absent.
    virtual QString GetSetting(const QString& appName, const QString& section, const QString& key,
                               const QString& defaultValue) = 0;
    // Stores the text, creating what is missing, and makes it visible to other processes at
    // once. Throws pagora::Error (base/Error.h) when the value cannot be written.
    virtual void SaveSetting(const QString& appName, const QString& section, const QString& key,
                             const QString& value) = 0;
};

// INI files, one per application name, in `folder` (default: the user's config folder
// $XDG_CONFIG_HOME/pagora, i.e. ~/.config/pagora). Any application name maps to a safe, distinct
// file name inside that folder: letters, digits, "-", "_", "." and spaces are kept, every other
// character is percent-escaped (a leading "." too), and a name whose file name would be too long
// becomes a readable prefix, "~" and a SHA-256 of the whole name. A hand-edited file with lines
// that are not "key=value" still yields every key that can be parsed.
class IniSettingsStore : public SettingsStore {
  public:
    explicit IniSettingsStore(QString folder = QString());
    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void SaveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value) override;
    // The file that holds `appName`'s settings.
    QString FileFor(const QString& appName) const;

  private:
    QString folder_;
};

}  // namespace pagora
