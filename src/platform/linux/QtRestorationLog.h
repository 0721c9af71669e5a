#pragma once

#include "platform/RestorationLog.h"

#include <QLoggingCategory>

namespace stellwick::linux_platform {

// The "<app id>.WindowRestoration" logging category: info, debug and critical
// (for errors) messages that journald or the terminal collect. Filter with
// QT_LOGGING_RULES, e.g. "org.stellwick.Stellwick.WindowRestoration.debug=false".
const QLoggingCategory& windowRestorationCategory();

class QtRestorationLog final : public RestorationLog {
public:
    void info(const QString& line) override;
    void debug(const QString& line) override;
    bool isDebugEnabled() const override;
    void error(const QString& line) override;
};

} // namespace stellwick::linux_platform
