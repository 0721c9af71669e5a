#pragma once

#include <QString>

namespace stellwick {

// Diagnostics of window restoration, the only thing the application logs.
class RestorationLog {
public:
    virtual ~RestorationLog() = default;

    virtual void info(const QString& line) = 0;
    virtual void debug(const QString& line) = 0;
    // Whether debug lines are kept: when not, callers skip the reads that
    // only a debug line would show.
    virtual bool isDebugEnabled() const { return true; }
    virtual void error(const QString& line) = 0;
};

} // namespace stellwick
