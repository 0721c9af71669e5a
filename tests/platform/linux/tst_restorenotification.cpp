// One apply of a profile shows exactly one desktop notification, with the same
// texts as the status line; without a notification service the apply works
// all the same and nothing is shown. Runs on a private session bus.

#include "controller/ProbeViewModel.h"
#include "platform/linux/FreedesktopNotifications.h"
#include "support/FakeNotificationDaemon.h"
#include "support/SimFixtures.h"
#include "support/TaskRunner.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const QString editor = QStringLiteral("org.example.Editor");

// One running editor with one window on the simulated desktop, a profile that
// places it, and a controller that posts through the real notification service.
struct ApplyOnRealNotifications {
    ApplyOnRealNotifications() {
        h.seed({placementFor(editor, QStringLiteral("Editor"), {0, 0, 0.5, 1})});
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
    }
    ProbeViewModel& controller() {
        const Platform p = h.desktop.platform();
        controllerObject = std::make_unique<ProbeViewModel>(
            ProfileStore(h.settingsPath()),
            Platform{p.clock, p.screens, p.windowServer, p.accessibility, p.applications, p.eventMonitors,
                     p.loginItems, notifications, p.defaults, p.settingsLink, p.restorationLog});
        return *controllerObject;
    }
    std::int64_t apply() {
        return runTask(h.desktop.clock(), controllerObject->restoreSelectedProfile(std::nullopt));
    }

    ControllerHarness h;
    linux_platform::FreedesktopNotifications notifications;
    std::unique_ptr<ProbeViewModel> controllerObject;
};

} // namespace

class RestoreNotificationTest : public QObject {
    Q_OBJECT

private slots:
    void everyApplyShowsExactlyOneNotification() {
        FakeNotificationDaemon daemon;
        ApplyOnRealNotifications run;
        ProbeViewModel& c = run.controller();
        for (int apply = 1; apply <= 2; ++apply) {
            QCOMPARE(run.apply(), 1);
            QTRY_COMPARE(daemon.calls.size(), std::size_t(apply));
            const NotifyCall& call = daemon.calls.back();
            QCOMPARE(call.summary, QStringLiteral("「作業」を復元しました"));
            QCOMPARE(call.body, QStringLiteral("1個を配置・0個をスキップ"));
            QCOMPARE(call.body, *c.status().detail);
        }
        // A round trip to the daemon on the same connection: a stray second
        // Notify would have arrived before its answer.
        QDBusMessage barrier = QDBusMessage::createMethodCall(
            notificationServiceName, QStringLiteral("/org/freedesktop/Notifications"),
            notificationServiceName, QStringLiteral("GetServerInformation"));
        QDBusPendingCall answer = QDBusConnection::sessionBus().asyncCall(barrier);
        QTRY_VERIFY(answer.isFinished());
        QCOMPARE(daemon.calls.size(), 2u);
    }

    void withoutANotificationServiceTheApplyIsUnaffected() {
        ApplyOnRealNotifications run;
        ProbeViewModel& c = run.controller();
        QCOMPARE(run.apply(), 1);
        QCOMPARE(c.status().kind, AppStatusKind::success);
        QCOMPARE(run.h.desktop.window(1).frame, (Rect{0, 25, 720, 875}));
    }
};

QTEST_GUILESS_MAIN(RestoreNotificationTest)
#include "tst_restorenotification.moc"
