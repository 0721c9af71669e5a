#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace stellwick::test {

inline const QString notificationServiceName = QStringLiteral("org.freedesktop.Notifications");

struct NotifyCall {
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
};

// The daemon side of org.freedesktop.Notifications on a connection of its own,
// recording every Notify. Needs a private session bus (dbus-run-session).
class FakeNotificationDaemon : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    FakeNotificationDaemon();
    ~FakeNotificationDaemon() override;

    std::vector<NotifyCall> calls;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout);
    QString GetServerInformation(QString& vendor, QString& version, QString& protocolVersion);

private:
    uint m_nextId = 41;
    QDBusConnection m_bus;
};

} // namespace stellwick::test
