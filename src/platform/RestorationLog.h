#pragma once

#include <QString>

namespace stellwick {

// Diagnostics of window restoration, the only thing the application logs.
class RestorationLog {
public:
    virtual ~RestorationLog() = default;

    virtual void info(const QString& line) = 0;
    virtual void debug(const QString& line) = 0;
    virtual void error(const QString& line) = 0;
};

} // namespace stellwick
