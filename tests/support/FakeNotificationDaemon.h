#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace stellwick::test {

inline const QString notificationServiceName = QStringLiteral("org.freedesktop.Notifications");

struct NotifyCall {
    uint replacesId = 0;
    QString summary;
    QString body;
    QVariantMap hints;
};

// The daemon side of org.freedesktop.Notifications on a connection of its own,
// recording every Notify. Needs a private session bus (dbus-run-session).
class FakeNotificationDaemon : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    FakeNotificationDaemon() {
        if (!m_bus.registerObject(m_path, this, QDBusConnection::ExportAllSlots) ||
            !m_bus.registerService(notificationServiceName))
            qFatal("cannot register the fake daemon: %s", qPrintable(m_bus.lastError().message()));
    }
    ~FakeNotificationDaemon() override {
        m_bus.unregisterService(notificationServiceName);
        m_bus.unregisterObject(m_path);
        QDBusConnection::disconnectFromBus(m_bus.name());
    }

    std::vector<NotifyCall> calls;

public slots:
    uint Notify(const QString&, uint replacesId, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int) {
        calls.push_back({replacesId, summary, body, hints});
        return replacesId != 0 ? replacesId : m_nextId++;
    }
    QString GetServerInformation(QString& vendor, QString& version, QString& protocolVersion) {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        protocolVersion = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }

private:
    const QString m_path = QStringLiteral("/org/freedesktop/Notifications");
    uint m_nextId = 41;
    QDBusConnection m_bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-daemon"));
};

} // namespace stellwick::test
