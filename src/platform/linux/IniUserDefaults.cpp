#include "platform/linux/IniUserDefaults.h"

#include "BuildInfo.h"

#include <QLocale>
#include <QStandardPaths>
#include <cmath>

namespace stellwick::linux_platform {

IniUserDefaults::IniUserDefaults(const QString& filePath)
    : m_settings(filePath, QSettings::IniFormat) {}

IniUserDefaults::IniUserDefaults()
    : IniUserDefaults(defaultFilePath()) {}

QString IniUserDefaults::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           QLatin1String(build::appId) + QStringLiteral(".conf");
}

std::optional<QString> IniUserDefaults::stringValue(const QString& key) const {
    // A list ("a, b") or a serialised variant ("@Variant(...)") is another type.
    const QVariant value = m_settings.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<bool> IniUserDefaults::boolValue(const QString& key) const {
    const std::optional<QString> text = stringValue(key);
    if (text == QStringLiteral("true"))
        return true;
    if (text == QStringLiteral("false"))
        return false;
    return std::nullopt;
}

std::optional<double> IniUserDefaults::doubleValue(const QString& key) const {
    const std::optional<QString> text = stringValue(key);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const double value = text->toDouble(&ok); // C locale, no group separators
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void IniUserDefaults::setBool(const QString& key, bool value) {
    store(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void IniUserDefaults::setDouble(const QString& key, double value) {
    // The shortest text that reads back as the same double.
    store(key, QString::number(value, 'g', QLocale::FloatingPointShortest));
}

void IniUserDefaults::setString(const QString& key, const QString& value) {
    store(key, value);
}

void IniUserDefaults::store(const QString& key, const QString& text) {
    m_settings.setValue(key, text);
    // Written at once, so another start of the application sees it.
    m_settings.sync();
}

} // namespace stellwick::linux_platform
