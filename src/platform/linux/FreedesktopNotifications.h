#pragma once

#include "platform/UserNotifications.h"

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <deque>
#include <optional>

namespace stellwick::linux_platform {

// Notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). Nothing is asked of the
// user: the service counts as authorized when it answers and as denied when
// none does. Every call is asynchronous; a missing or hung service costs a
// time-out in the background and nothing else.
class FreedesktopNotifications final : public QObject, public UserNotifications {
public:
    explicit FreedesktopNotifications(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                      int callTimeoutMs = 5000);
    ~FreedesktopNotifications() override;

    void authorizationStatus(std::function<void(NotificationAuthorization)> completion) override;
    void requestAuthorization(std::function<void(bool granted)> completion) override;
    // A later post with the same identifier replaces the shown notification.
    void post(const QString& identifier, const QString& title, const QString& body) override;

    // How many identifiers are remembered for replacement, newest kept.
    static constexpr std::size_t rememberedIdentifiers = 64;

private:
    struct Shown {
        QString identifier;
        uint serverId = 0;
        bool inFlight = false;
        // The newest post that arrived while the previous one was in flight.
        std::optional<std::pair<QString, QString>> queued;
    };

    // Runs `handler` from the event loop once the call has its answer.
    void whenFinished(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> handler);
    void whenServiceAnswers(std::function<void(bool)> completion);
    void send(Shown& shown, const QString& title, const QString& body);
    void sent(const QString& identifier, std::optional<uint> serverId);
    Shown* find(const QString& identifier);

    QDBusConnection m_bus;
    int m_callTimeoutMs;
    std::deque<Shown> m_shown;
};

} // namespace stellwick::linux_platform
