#pragma once

#include "platform/UserDefaults.h"

#include <QSettings>

namespace stellwick::linux_platform {

// The defaults in an INI file, which keeps every value as text. The types are
// kept by the text's form: a Boolean is exactly "true" or "false", a double is
// a finite number written in full. A value of another form reads as absent,
// so a hand edit can never turn into a surprising value.
class IniUserDefaults final : public UserDefaults {
public:
    explicit IniUserDefaults(const QString& filePath);
    // The user's file.
    IniUserDefaults();

    // $XDG_CONFIG_HOME/<app id>.conf, ~/.config/<app id>.conf when unset.
    static QString defaultFilePath();

    std::optional<bool> boolValue(const QString& key) const override;
    std::optional<double> doubleValue(const QString& key) const override;
    // Any text, the empty text included.
    std::optional<QString> stringValue(const QString& key) const;

    void setBool(const QString& key, bool value) override;
    void setDouble(const QString& key, double value) override;
    void setString(const QString& key, const QString& value);

private:
    void store(const QString& key, const QString& text);

    QSettings m_settings;
};

} // namespace stellwick::linux_platform
