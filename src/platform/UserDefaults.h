#pragma once

#include <QString>
#include <optional>

namespace stellwick {

// Small typed preferences. A key stored with another type reads as absent.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    virtual std::optional<bool> boolValue(const QString& key) const = 0;
    virtual std::optional<double> doubleValue(const QString& key) const = 0;
    virtual void setBool(const QString& key, bool value) = 0;
    virtual void setDouble(const QString& key, double value) = 0;
};

} // namespace stellwick
