#pragma once

#include <QString>
#include <stdexcept>

namespace stellwick {

// A refusal by a platform service, carrying the service's own description.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& description)
        : std::runtime_error(description.toStdString())
        , m_description(description) {}
    const QString& localizedDescription() const { return m_description; }

private:
    QString m_description;
};

} // namespace stellwick
