// Notifications on a private session bus (the test runs under
// dbus-run-session): a fake notification daemon records every Notify. Posting
// must reach it exactly once with the given texts, replace by identifier, and
// cost nothing (no wait, no error) when no daemon or no bus is there.

#include "BuildInfo.h"
#include "platform/linux/FreedesktopNotifications.h"
#include "support/FakeNotificationDaemon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;
using namespace stellwick::test;

namespace {

// Asks for the authorization and waits for the answer, which must come later.
std::optional<NotificationAuthorization> authorization(FreedesktopNotifications& notifications) {
    std::optional<NotificationAuthorization> answer;
    notifications.authorizationStatus([&](NotificationAuthorization status) { answer = status; });
    if (answer)
        return std::nullopt; // answered inside the call: wrong
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, 10'000))
        return std::nullopt;
    return answer;
}

} // namespace

class FreedesktopNotificationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
        QVERIFY(
            !QDBusConnection::sessionBus().interface()->isServiceRegistered(test::notificationServiceName));
    }

    void onePostIsOneNotifyWithTheTexts() {
        FakeNotificationDaemon daemon;
        FreedesktopNotifications notifications;
        const QString id = QStringLiteral("1F0C7E6A-3B8D-4C52-9E61-7A2D4B8C9F10");
        notifications.post(id, QStringLiteral("「仕事」を復元しました"),
                           QStringLiteral("3個を配置・1個をスキップ"));
        QVERIFY(daemon.calls.empty()); // posted in the background
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), 1u, 10'000);
        // A round trip after the post: anything else it sent has arrived by now.
        QCOMPARE(authorization(notifications), NotificationAuthorization::authorized);
        QCOMPARE(daemon.calls.size(), 1u);

        const NotifyCall& call = daemon.calls[0];
        QCOMPARE(call.appName, QStringLiteral("Stellwick"));
        QCOMPARE(call.replacesId, 0u);
        QCOMPARE(call.appIcon, QLatin1String(build::appId));
        QCOMPARE(call.summary, QStringLiteral("「仕事」を復元しました"));
        QCOMPARE(call.body, QStringLiteral("3個を配置・1個をスキップ"));
        QVERIFY(call.actions.isEmpty());
        QCOMPARE(call.hints,
                 (QVariantMap{{QStringLiteral("desktop-entry"), QString::fromLatin1(build::appId)}}));
        QCOMPARE(call.expireTimeout, -1);
    }

    void aPostWithAKnownIdentifierReplacesItsNotification() {
        FakeNotificationDaemon daemon;
        FreedesktopNotifications notifications;
        notifications.post(QStringLiteral("a"), QStringLiteral("1"), QString());
        QCOMPARE(authorization(notifications), NotificationAuthorization::authorized);
        notifications.post(QStringLiteral("a"), QStringLiteral("2"), QString());
        notifications.post(QStringLiteral("b"), QStringLiteral("3"), QString());
        // Back to back, before the daemon has answered the previous one.
        notifications.post(QStringLiteral("a"), QStringLiteral("4"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), 4u, 10'000);

        std::map<QString, uint> replaced;
        for (const NotifyCall& call : daemon.calls)
            replaced[call.summary] = call.replacesId;
        QCOMPARE(replaced[QStringLiteral("1")], 0u);
        QCOMPARE(replaced[QStringLiteral("2")], 41u);
        QCOMPARE(replaced[QStringLiteral("3")], 0u);
        QCOMPARE(replaced[QStringLiteral("4")], 41u);
        QCOMPARE(daemon.calls.back().summary, QStringLiteral("4")); // the newest text is shown last
    }

    void withoutADaemonNothingIsPostedAndNothingWaits() {
        FreedesktopNotifications notifications;
        std::optional<bool> granted;
        notifications.requestAuthorization([&](bool answer) { granted = answer; });
        notifications.post(QStringLiteral("a"), QStringLiteral("lost"), QString());
        QVERIFY(!granted);
        QTRY_COMPARE_WITH_TIMEOUT(granted, std::optional<bool>(false), 10'000);
        QCOMPARE(authorization(notifications), NotificationAuthorization::denied);

        // A daemon that starts later gets the next post as a new notification.
        FakeNotificationDaemon daemon;
        QCOMPARE(authorization(notifications), NotificationAuthorization::authorized);
        notifications.post(QStringLiteral("a"), QStringLiteral("shown"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), 1u, 10'000);
        QCOMPARE(daemon.calls[0].summary, QStringLiteral("shown"));
        QCOMPARE(daemon.calls[0].replacesId, 0u);
    }

    void withoutASessionBusEverythingIsDenied() {
        const QDBusConnection nowhere = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere"));
        QVERIFY(!nowhere.isConnected());
        FreedesktopNotifications notifications(nowhere);
        notifications.post(QStringLiteral("a"), QStringLiteral("lost"), QString());
        QCOMPARE(authorization(notifications), NotificationAuthorization::denied);
        std::optional<bool> granted;
        notifications.requestAuthorization([&](bool answer) { granted = answer; });
        QVERIFY(!granted);
        QTRY_COMPARE_WITH_TIMEOUT(granted, std::optional<bool>(false), 10'000);
    }
};

QTEST_GUILESS_MAIN(FreedesktopNotificationsTest)
#include "tst_freedesktopnotifications.moc"
