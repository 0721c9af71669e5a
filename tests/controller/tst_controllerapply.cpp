// Applying the selected profile: counting, the gate, the status and the
// notification.

#include "controller/ProbeViewModel.h"
#include "support/SimFixtures.h"
#include "support/TaskRunner.h"

#include <QSignalSpy>
#include <QtTest>
#include <functional>

using namespace stellwick;
using namespace stellwick::test;

class ControllerApplyTest : public QObject {
    Q_OBJECT

private slots:
    void outcomesCountWindowsAndComposeTheStatus() {
        const auto app = [](ControllerHarness& h, std::int32_t pid, const char* id) {
            h.desktop.addApplication(regularApp(pid, QString::fromLatin1(id), QString::fromLatin1(id)));
        };
        struct Case {
            const char* name;
            QList<AppPlacement> placements;
            std::function<void(ControllerHarness&)> setup;
            AppStatusKind kind;
            QString message;
            QString summary;
            std::vector<Rect> frames; // of windows 1, 2, ...
        };
        const DisplayReference unplugged{9, QStringLiteral("Projector"),
                                         QStringLiteral("00000000-0000-0000-0000-000000000009")};
        const Case cases[] = {
            {"three windows fan out, one application missing",
             {placementFor(QStringLiteral("org.example.Mail"), QStringLiteral("Mail"), leftHalf),
              editorPlacement()},
             [](ControllerHarness& h) { h.runEditor(3); },
             AppStatusKind::warning,
             QStringLiteral("「作業」を復元しました: 3個を配置・1個をスキップ"),
             QStringLiteral("3枚を復元し、1件をスキップしました。"),
             {Rect{0, 25, 648, 803}, Rect{36, 61, 648, 803}, Rect{72, 97, 648, 803}}},
            {"missing display: main screen, a warning although nothing was skipped",
             {editorPlacement(false, unplugged)},
             [](ControllerHarness& h) { h.runEditor(); },
             AppStatusKind::warning,
             QStringLiteral("「作業」を復元しました: 1個を配置・0個をスキップ"),
             QStringLiteral("1枚のウィンドウを復元しました。 保存先がない1件はメイン画面へ配置しました。"),
             {leftHalfArea}},
            {"terminated, unreadable, windowless, one window that never fits",
             {placementFor(QStringLiteral("gone"), QStringLiteral("Gone"), leftHalf),
              placementFor(QStringLiteral("locked"), QStringLiteral("Locked"), leftHalf),
              placementFor(QStringLiteral("daemon"), QStringLiteral("Daemon"), leftHalf), editorPlacement()},
             [&app](ControllerHarness& h) {
                 app(h, 200, "gone"); // its window lingers, but it has ended
                 h.desktop.terminateApplication(200);
                 app(h, 201, "locked");
                 h.desktop.application(201).windowsReadError = AXErrorCode::cannotComplete;
                 app(h, 202, "daemon");
                 h.runEditor(2);
                 h.desktop.window(2).settleSize = [](Size) { return Size{100, 100}; };
                 openWindow(h.desktop, 200, Rect{800, 300, 400, 300});
             },
             AppStatusKind::warning,
             QStringLiteral("「作業」を復元しました: 1個を配置・4個をスキップ"),
             QStringLiteral("1枚を復元し、4件をスキップしました。"),
             {}},
            {"no screen: every window skipped",
             {editorPlacement()},
             [](ControllerHarness& h) {
                 h.runEditor(2);
                 h.desktop.removeScreen(0);
             },
             AppStatusKind::warning,
             QStringLiteral("「作業」を復元しました: 0個を配置・2個をスキップ"),
             QStringLiteral("0枚を復元し、2件をスキップしました。"),
             {}},
        };
        for (const Case& test : cases) {
            ControllerHarness h;
            h.seed(test.placements);
            test.setup(h);
            ProbeViewModel& c = h.start();
            runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt));
            QVERIFY2(c.status().kind == test.kind, test.name);
            QCOMPARE(c.statusMessage(), test.message);
            QCOMPARE(c.restoreSummary(), test.summary);
            for (std::size_t i = 0; i < test.frames.size(); ++i)
                QCOMPARE(h.desktop.window(sim::WindowId(i + 1)).frame, test.frames[i]);
            h.desktop.clock().runPending();
            const auto& posted = h.desktop.world().notifications;
            QCOMPARE(posted.size(), 1u);
            QCOMPARE(posted[0].title + QStringLiteral(": ") + posted[0].body, test.message);
        }
    }

    void aSecondApplyWhileOneRunsReturnsAtOnceWithoutAStatus() {
        ControllerHarness h;
        h.seed({editorPlacement()});
        h.runEditor();
        ProbeViewModel& c = h.start();
        QSignalSpy statuses(&c, &ProbeViewModel::statusChanged);
        c.applySelectedProfile();
        c.applySelectedProfile();
        h.desktop.clock().advance(1);
        QCOMPARE(statuses.count(), 1);
        QCOMPARE(h.desktop.world().notifications.size(), 1u);
        c.applySelectedProfile(); // the gate is free again
        h.desktop.clock().advance(1);
        QCOMPARE(statuses.count(), 2);
    }

    void withoutPermissionOrProfileThereIsNothingToApply() {
        ControllerHarness h;
        h.seed({editorPlacement()});
        ProbeViewModel& c = h.start();
        h.desktop.world().trusted = false;
        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)), 0);
        QCOMPARE(c.statusMessage(), QStringLiteral("アクセシビリティ権限が必要です"));

        h.desktop.world().trusted = true; // the refused run freed the gate
        StellwickState orphan = c.state();
        orphan.selectedProfileID = QUuid::createUuid();
        ProbeViewModelTestAccess::setState(c, orphan);
        QCOMPARE(runTask(h.desktop.clock(), c.restoreSelectedProfile(std::nullopt)), 0);
        QVERIFY(c.isTrusted());
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
        h.seed({editorPlacement()});
        h.runEditor();
        int writes = 0; // lands 10 points off at first, so the apply has to wait and retry
        h.desktop.window(1).settlePosition = [&writes](Point p) {
            return Point{p.x + (writes++ < 2 ? 10 : 0), p.y};
        };
        ProbeViewModel& c = h.start();
        c.applySelectedProfile();
        h.desktop.clock().runPending(); // the apply now waits 40 ms before checking again...
        c.updatePlacementArea(editorId, {0.5, 0, 0.5, 1}); // ...while the user edits
        h.desktop.clock().advance(1);
        QCOMPARE(h.desktop.window(1).frame, leftHalfArea);
    }
};

QTEST_GUILESS_MAIN(ControllerApplyTest)
#include "tst_controllerapply.moc"
