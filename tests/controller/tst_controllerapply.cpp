// Applying the selected profile: counting, the gate, the status and the
// notification.

#include "controller/ProbeViewModel.h"
#include "support/SimFixtures.h"
#include "support/TaskRunner.h"

#include <QSignalSpy>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const QString editor = QStringLiteral("org.example.Editor");
const QString mail = QStringLiteral("org.example.Mail");
const NormalizedFrame leftHalf{0, 0, 0.5, 1};

// Left half of the 1440 × 900 screen below its 25-point menu bar.
const Rect leftHalfArea{0, 25, 720, 875};

} // namespace

class ControllerApplyTest : public QObject {
    Q_OBJECT

private slots:
    void aMixedProfileArrangesWhatRunsAndCountsTheRest() {
        ControllerHarness h;
        h.seed({placementFor(mail, QStringLiteral("Mail"), leftHalf),
                placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        for (int i = 0; i < 3; ++i)
            openWindow(h.desktop, 100, Rect{800.0 + i, 300, 400, 300});
        ProbeViewModel& c = h.start();

        const std::int64_t arranged = runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt));
        QCOMPARE(arranged, 3);
        QCOMPARE(c.status().kind, AppStatusKind::warning);
        QCOMPARE(c.statusMessage(), QStringLiteral("「作業」を復元しました: 3個を配置・1個をスキップ"));
        QCOMPARE(c.restoreSummary(), QStringLiteral("3枚を復元し、1件をスキップしました。"));
        // The windows fan out from the area's top-left corner.
        QCOMPARE(h.desktop.window(1).frame, (Rect{0, 25, 648, 803}));
        QCOMPARE(h.desktop.window(3).frame, (Rect{72, 97, 648, 803}));
    }

    void everythingVerifiedIsASuccessAndTheNotificationSaysTheSame() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        ProbeViewModel& c = h.start();

        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)), 1);
        QCOMPARE(c.status().kind, AppStatusKind::success);
        QCOMPARE(h.desktop.window(1).frame, leftHalfArea);
        h.desktop.clock().runPending();
        const auto& posted = h.desktop.world().notifications;
        QCOMPARE(posted.size(), 1u);
        QCOMPARE(posted[0].title, QStringLiteral("「作業」を復元しました"));
        QCOMPARE(posted[0].body, *c.status().detail);
        QCOMPARE(posted[0].identifier.size(), 36);
        QCOMPARE(posted[0].identifier, posted[0].identifier.toUpper());
    }

    void anEmptyProfileSucceedsWithNothingAndStillNotifies() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(QStringLiteral("ログイン時"))), 0);
        QCOMPARE(c.statusMessage(), QStringLiteral("「デフォルト」を復元しました: 0個を配置・0個をスキップ"));
        QCOMPARE(c.status().kind, AppStatusKind::success);
        QCOMPARE(c.restoreSummary(), QStringLiteral("ログイン時: 0枚のウィンドウを復元しました。"));
        h.desktop.clock().runPending();
        QCOMPARE(h.desktop.world().notifications.size(), 1u);
    }

    void aMissingDisplayFallsBackToTheMainScreenAndWarns() {
        ControllerHarness h;
        const DisplayReference unplugged{9, QStringLiteral("Projector"),
                                         QStringLiteral("00000000-0000-0000-0000-000000000009")};
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, unplugged)});
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        ProbeViewModel& c = h.start();

        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)), 1);
        QCOMPARE(h.desktop.window(1).frame, leftHalfArea);
        QCOMPARE(c.status().kind, AppStatusKind::warning); // although nothing was skipped
        QCOMPARE(*c.status().detail, QStringLiteral("1個を配置・0個をスキップ"));
        QCOMPARE(
            c.restoreSummary(),
            QStringLiteral("1枚のウィンドウを復元しました。 保存先がない1件はメイン画面へ配置しました。"));
    }

    void whatCannotBeArrangedIsCountedAsSkipped() {
        ControllerHarness h;
        const QString terminated = QStringLiteral("org.example.Gone");
        const QString unreadable = QStringLiteral("org.example.Locked");
        const QString windowless = QStringLiteral("org.example.Daemon");
        h.seed({placementFor(terminated, QStringLiteral("Gone"), leftHalf),
                placementFor(unreadable, QStringLiteral("Locked"), leftHalf),
                placementFor(windowless, QStringLiteral("Daemon"), leftHalf),
                placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        h.desktop.addApplication(regularApp(200, terminated, QStringLiteral("Gone")));
        h.desktop.terminateApplication(200);
        h.desktop.addApplication(regularApp(201, unreadable, QStringLiteral("Locked")));
        h.desktop.application(201).windowsReadError = AXErrorCode::cannotComplete;
        h.desktop.addApplication(regularApp(202, windowless, QStringLiteral("Daemon")));
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        const sim::WindowId stubborn = openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        h.desktop.window(stubborn).settleSize = [](Size) { return Size{100, 100}; };
        ProbeViewModel& c = h.start();

        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)), 1);
        // Terminated, unreadable, no windows at all, one window that never fits.
        QCOMPARE(*c.status().detail, QStringLiteral("1個を配置・4個をスキップ"));
    }

    void withoutAnyScreenEveryWindowIsSkipped() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        ProbeViewModel& c = h.start();
        h.desktop.removeScreen(0);
        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)), 0);
        QCOMPARE(*c.status().detail, QStringLiteral("0個を配置・2個をスキップ"));
    }

    void aSecondApplyWhileOneRunsReturnsAtOnceWithoutAStatus() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        ProbeViewModel& c = h.start();
        QSignalSpy statuses(&c, &ProbeViewModel::statusChanged);

        c.applySelectedProfile();
        c.applySelectedProfile();
        h.desktop.clock().advance(1);
        QCOMPARE(statuses.count(), 1);
        QCOMPARE(c.status().kind, AppStatusKind::success);
        QCOMPARE(h.desktop.world().notifications.size(), 1u);

        // The gate is free again afterwards.
        c.applySelectedProfile();
        h.desktop.clock().advance(1);
        QCOMPARE(statuses.count(), 2);
    }

    void withoutPermissionTheApplyWarnsAndFreesTheGate() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        ProbeViewModel& c = h.start();
        h.desktop.world().trusted = false;
        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)), 0);
        QVERIFY(!c.isTrusted());
        QCOMPARE(c.statusMessage(), QStringLiteral("アクセシビリティ権限が必要です"));
        QVERIFY(!c.status().detail);
        QVERIFY(h.desktop.world().notifications.empty());

        h.desktop.world().trusted = true;
        runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt));
        QVERIFY(c.isTrusted());
        QCOMPARE(c.status().title, QStringLiteral("「作業」を復元しました"));
    }

    void withoutASelectedProfileThereIsNothingToApply() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        StellwickState orphan = c.state();
        orphan.selectedProfileID = QUuid::createUuid();
        ProbeViewModelTestAccess::setState(c, orphan);
        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)), 0);
        QCOMPARE(c.status().kind, AppStatusKind::error);
        QCOMPARE(c.statusMessage(), QStringLiteral("適用するプロファイルがありません"));
    }

    void theNotificationFollowsItsAuthorization() {
        struct Case {
            NotificationAuthorization status;
            bool grant;
            std::size_t posted;
            int requests;
        };
        const Case cases[] = {{NotificationAuthorization::denied, true, 0, 0},
                              {NotificationAuthorization::ephemeral, true, 0, 0},
                              {NotificationAuthorization::provisional, true, 1, 0},
                              {NotificationAuthorization::notDetermined, true, 1, 1},
                              {NotificationAuthorization::notDetermined, false, 0, 1}};
        for (const Case& test : cases) {
            ControllerHarness h;
            h.desktop.world().notificationAuthorization = test.status;
            h.desktop.world().grantNotificationRequest = test.grant;
            ProbeViewModel& c = h.start();
            runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt));
            QCOMPARE(c.status().kind, AppStatusKind::success); // the apply never depends on it
            h.desktop.clock().runPending();
            QCOMPARE(h.desktop.world().notifications.size(), test.posted);
            QCOMPARE(h.desktop.world().notificationAuthorizationRequests, test.requests);
        }
    }

    void editsDuringAnApplyDoNotChangeWhatItApplies() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        const sim::WindowId slow = openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        int writes = 0; // lands 10 points off at first, so the apply has to wait and retry
        h.desktop.window(slow).settlePosition = [&writes](Point p) {
            return Point{p.x + (writes++ < 2 ? 10 : 0), p.y};
        };
        ProbeViewModel& c = h.start();
        c.applySelectedProfile();
        h.desktop.clock().runPending();                  // the apply now waits 40 ms before checking again...
        c.updatePlacementArea(editor, {0.5, 0, 0.5, 1}); // ...while the user edits
        h.desktop.clock().advance(1);
        QCOMPARE(h.desktop.window(1).frame, leftHalfArea);
    }
};

QTEST_GUILESS_MAIN(ControllerApplyTest)
#include "tst_controllerapply.moc"
