// Notifications on a private session bus (the test runs under
// dbus-run-session): a fake notification daemon records every Notify. Posting
// must reach it exactly once with the given texts and replace by identifier,
// and cost nothing (no wait, no error) when no daemon or no bus is there.

#include "platform/linux/FreedesktopNotifications.h"
#include "support/FakeNotificationDaemon.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;
using namespace stellwick::test;

namespace {

// Asks for the authorization and waits for the answer, which must come later.
// A round trip on the notifications' connection: anything posted before has
// reached the daemon by the time it answers.
std::optional<NotificationAuthorization> authorization(FreedesktopNotifications& notifications) {
    std::optional<NotificationAuthorization> answer;
    notifications.authorizationStatus([&](NotificationAuthorization status) { answer = status; });
    if (answer || !QTest::qWaitFor([&] { return answer.has_value(); }, 10'000))
        return std::nullopt; // answered inside the call, or never
    return answer;
}

} // namespace

class FreedesktopNotificationsTest : public QObject {
    Q_OBJECT

private slots:
    void aPostWithAKnownIdentifierReplacesItsNotification() {
        FakeNotificationDaemon daemon;
        FreedesktopNotifications notifications;
        // Back to back: the second waits for the server's id of the first.
        notifications.post(QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("body"));
        notifications.post(QStringLiteral("a"), QStringLiteral("2"), QString());
        notifications.post(QStringLiteral("b"), QStringLiteral("3"), QString());
        QVERIFY(daemon.calls.empty()); // posted in the background
        QCOMPARE(authorization(notifications), NotificationAuthorization::authorized);
        notifications.post(QStringLiteral("a"), QStringLiteral("4"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), 4u, 10'000);

        QStringList seen;
        for (const NotifyCall& call : daemon.calls)
            seen << call.summary + QLatin1Char('>') + QString::number(call.replacesId);
        QCOMPARE(seen, (QStringList{"1>0", "3>0", "2>41", "4>41"}));
        QCOMPARE(daemon.calls[0].body, QStringLiteral("body"));
    }

    void withoutADaemonOrABusNothingIsPostedAndNothingWaits() {
        FreedesktopNotifications notifications;
        const QDBusConnection nowhere = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere"));
        FreedesktopNotifications unconnected(nowhere);
        for (FreedesktopNotifications* n : {&notifications, &unconnected}) {
            std::optional<bool> granted;
            n->requestAuthorization([&](bool answer) { granted = answer; });
            n->post(QStringLiteral("a"), QStringLiteral("lost"), QString());
            QVERIFY(!granted);
            QTRY_COMPARE_WITH_TIMEOUT(granted, std::optional<bool>(false), 10'000);
            QCOMPARE(authorization(*n), NotificationAuthorization::denied);
        }

        // A daemon that starts later gets the next post as a new notification.
        FakeNotificationDaemon daemon;
        QCOMPARE(authorization(notifications), NotificationAuthorization::authorized);
        notifications.post(QStringLiteral("a"), QStringLiteral("shown"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), 1u, 10'000);
        QCOMPARE(daemon.calls[0].summary + QString::number(daemon.calls[0].replacesId),
                 QStringLiteral("shown0"));
    }
};

QTEST_GUILESS_MAIN(FreedesktopNotificationsTest)
#include "tst_freedesktopnotifications.moc"
