// Notifications on a private session bus (the test runs under
// dbus-run-session): a fake notification daemon records every Notify. Posting
// must reach it exactly once with the given texts, replace by identifier, and
// cost nothing (no wait, no error) when no daemon or no bus is there; a whole
// apply of a profile shows exactly one notification with the status texts.

#include "controller/ProbeViewModel.h"
#include "platform/linux/FreedesktopNotifications.h"
#include "support/FakeNotificationDaemon.h"
#include "support/SimFixtures.h"
#include "support/TaskRunner.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
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
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(notificationServiceName));
    }

    void aPostWithAKnownIdentifierReplacesItsNotification() {
        FakeNotificationDaemon daemon;
        FreedesktopNotifications notifications;
        notifications.post(QStringLiteral("a"), QStringLiteral("1"), QString());
        QVERIFY(daemon.calls.empty()); // posted in the background
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

    // Without a daemon the apply works all the same; with one, every apply
    // shows exactly one notification, with the status line's texts.
    void everyApplyShowsExactlyOneNotificationWhenADaemonRuns() {
        const QString editor = QStringLiteral("org.example.Editor");
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), {0, 0, 0.5, 1})});
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        FreedesktopNotifications notifications;
        Platform p = h.desktop.platform();
        ProbeViewModel c(ProfileStore(h.settingsPath()),
                         Platform{p.clock, p.screens, p.windowServer, p.accessibility, p.applications,
                                  p.eventMonitors, p.loginItems, notifications, p.defaults, p.settingsLink,
                                  p.restorationLog});
        const auto apply = [&] { return runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)); };
        QCOMPARE(apply(), 1);
        QCOMPARE(c.status().kind, AppStatusKind::success);
        QCOMPARE(h.desktop.window(1).frame, (Rect{0, 25, 720, 875}));

        FakeNotificationDaemon daemon;
        for (std::size_t applies = 1; applies <= 2; ++applies) {
            QCOMPARE(apply(), 1);
            QTRY_COMPARE(daemon.calls.size(), applies);
            QCOMPARE(daemon.calls.back().summary, QStringLiteral("「作業」を復元しました"));
            QCOMPARE(daemon.calls.back().body, QStringLiteral("1個を配置・0個をスキップ"));
            QCOMPARE(daemon.calls.back().body, *c.status().detail);
        }
        QCOMPARE(authorization(notifications), NotificationAuthorization::authorized);
        QCOMPARE(daemon.calls.size(), 2u);
    }
};

QTEST_GUILESS_MAIN(FreedesktopNotificationsTest)
#include "tst_freedesktopnotifications.moc"
