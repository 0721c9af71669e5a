#include "support/FakeNotificationDaemon.h"

#include <QDBusError>

namespace stellwick::test {

FakeNotificationDaemon::FakeNotificationDaemon()
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-daemon"))) {
    if (!m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                              QDBusConnection::ExportAllSlots) ||
        !m_bus.registerService(notificationServiceName))
        qFatal("cannot register the fake daemon: %s", qPrintable(m_bus.lastError().message()));
}

FakeNotificationDaemon::~FakeNotificationDaemon() {
    m_bus.unregisterService(notificationServiceName);
    m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-daemon"));
}

uint FakeNotificationDaemon::Notify(const QString& appName, uint replacesId, const QString& appIcon,
                                    const QString& summary, const QString& body, const QStringList& actions,
                                    const QVariantMap& hints, int expireTimeout) {
    calls.push_back({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
    return replacesId != 0 ? replacesId : m_nextId++;
}

QString FakeNotificationDaemon::GetServerInformation(QString& vendor, QString& version,
                                                     QString& protocolVersion) {
    vendor = QStringLiteral("test");
    version = QStringLiteral("1");
    protocolVersion = QStringLiteral("1.2");
    return QStringLiteral("fake");
}

} // namespace stellwick::test
