#include "platform/linux/QtRestorationLog.h"

#include "BuildInfo.h"

namespace stellwick::linux_platform {

const QLoggingCategory& windowRestorationCategory() {
    static const QByteArray name = QByteArray(build::appId) + ".WindowRestoration";
    static const QLoggingCategory category(name.constData(), QtInfoMsg);
    return category;
}

void QtRestorationLog::info(const QString& line) {
    qCInfo(windowRestorationCategory).noquote() << line;
}

void QtRestorationLog::debug(const QString& line) {
    qCDebug(windowRestorationCategory).noquote() << line;
}

bool QtRestorationLog::isDebugEnabled() const {
    return windowRestorationCategory().isDebugEnabled();
}

void QtRestorationLog::error(const QString& line) {
    qCCritical(windowRestorationCategory).noquote() << line;
}

} // namespace stellwick::linux_platform
