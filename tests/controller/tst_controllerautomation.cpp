// Applying the selected profile (counting, the gate, the status and the
// notification) and the automatic applies: once after login, after display
// changes, and per application at launch, with their delays, retries and
// cancellations.

#include "controller/ProbeViewModel.h"
#include "support/SimFixtures.h"
#include "support/TaskRunner.h"

#include <QSignalSpy>
#include <QtTest>
#include <functional>

using namespace stellwick;
using namespace stellwick::test;

namespace {

// A desktop whose user logs in and starts Stellwick at login.
struct LoginDesktop : ControllerHarness {
    LoginDesktop(double uptime = 30) {
        desktop.clock().setSystemUptime(uptime);
        desktop.world().loginItemStatus = LoginItemStatus::enabled;
    }
    std::optional<double> storedMarker() {
        const QVariant v = desktop.world().defaults.value(DefaultsKey::lastAppliedBootMarker);
        return v.isValid() ? std::optional(v.toDouble()) : std::nullopt;
    }
    double bootMarker() { return desktop.clock().now().unixTime() - desktop.clock().systemUptime(); }
    std::size_t notifications() { return desktop.world().notifications.size(); }
};

// A controller whose profile arranges Editor at launch.
struct LaunchDesktop : ControllerHarness {
    LaunchDesktop() { seed({editorPlacement(true)}); }
};

} // namespace

class ControllerAutomationTest : public QObject {
    Q_OBJECT
private slots:
    void afterLoginTheProfileIsAppliedOnceFiveSecondsLater() {
        LoginDesktop h;
        h.seed({editorPlacement()});
        h.runEditor();
        const double marker = h.bootMarker();
        ProbeViewModel& c = h.start();
        h.desktop.clock().advance(4.9);
        QCOMPARE(h.notifications(), 0u);
        h.desktop.clock().advance(0.2);
        QCOMPARE(h.notifications(), 1u);
        QCOMPARE(c.restoreSummary(), QStringLiteral("ログイン時: 1枚のウィンドウを復元しました。"));
        QCOMPARE(h.storedMarker(), std::optional(marker));

        // Stellwick restarts a minute later in the same boot: no second apply.
        h.desktop.clock().advance(60);
        h.start();
        h.desktop.clock().advance(60);
        QCOMPARE(h.notifications(), 1u);
    }

    void theLoginApplyNeedsAFreshBootTheLoginItemAndTheSwitch() {
        struct Case {
            double uptime;
            bool loginItem;
            bool switchedOn;
            std::optional<double> markerAge; // seconds before this boot's marker
            std::size_t applies;
        };
        const Case cases[] = {
            {600, true, true, std::nullopt, 1}, // ten minutes after boot, just in time
            {601, true, true, std::nullopt, 0}, // too late
            {30, false, true, std::nullopt, 0}, // not started at login
            {30, true, false, std::nullopt, 0}, // switched off
            {30, true, true, 3600.0, 1},        // a marker of an earlier boot
            {30, true, true, 1.5, 0},           // two estimates of this boot
        };
        for (const Case& test : cases) {
            LoginDesktop h(test.uptime);
            if (!test.loginItem)
                h.desktop.world().loginItemStatus = LoginItemStatus::notRegistered;
            h.desktop.world().defaults.insert(DefaultsKey::applyAfterLogin, test.switchedOn);
            if (test.markerAge)
                h.desktop.world().defaults.insert(DefaultsKey::lastAppliedBootMarker,
                                                  h.bootMarker() - *test.markerAge);
            h.start();
            h.desktop.clock().advance(60);
            QCOMPARE(h.notifications(), test.applies);
            if (test.applies) // an empty profile counts as done at the first attempt
                QCOMPARE(h.storedMarker(), std::optional(h.bootMarker()));
        }
    }

    void nothingToArrangeAfterSixAttemptsWarnsWithoutAMarker() {
        LoginDesktop h;
        h.seed({editorPlacement()}); // not running
        ProbeViewModel& c = h.start();
        // Applies at 5, 10, 15, 20, 25 and 30 seconds, the warning five seconds after the last.
        h.desktop.clock().advance(29);
        QCOMPARE(h.notifications(), 5u);
        h.desktop.clock().advance(2);
        QCOMPARE(h.notifications(), 6u);
        QCOMPARE(c.status().title, QStringLiteral("「作業」を復元しました"));
        h.desktop.clock().advance(4);
        QCOMPARE(c.statusMessage(), QStringLiteral("ログイン時の復元対象を確認できませんでした"));
        QVERIFY(!h.storedMarker());
        h.desktop.clock().advance(600);
        QCOMPARE(h.notifications(), 6u);
    }

    // The second burst: the first burst's debounce handle, long fired, must not
    // cancel the timer that reuses its id (a monitor unplugged, then plugged back).
    void aBurstOfDisplayChangesAppliesOnceASecondAfterTheLast() {
        ControllerHarness h;
        h.seed({editorPlacement()});
        h.runEditor();
        ProbeViewModel& c = h.start();
        const Date start = h.desktop.clock().now();
        for (const double pause : {0.2, 0.3, 0.99}) {
            h.desktop.notifyScreenParametersChanged();
            h.desktop.clock().advance(pause);
        }
        QVERIFY(h.desktop.world().notifications.empty());
        h.desktop.clock().advance(0.02);
        QCOMPARE(h.desktop.world().notifications.size(), 1u);
        QCOMPARE(c.status().timestamp.secondsSinceReferenceDate - start.secondsSinceReferenceDate, 1.5);
        QCOMPARE(c.restoreSummary(),
                 QStringLiteral("ディスプレイ構成の変更: 1枚のウィンドウを復元しました。"));
        h.desktop.clock().advance(10);
        QCOMPARE(h.desktop.world().notifications.size(), 1u);

        h.desktop.notifyScreenParametersChanged();
        h.desktop.notifyScreenParametersChanged();
        h.desktop.clock().advance(1.01);
        QCOMPARE(h.desktop.world().notifications.size(), 2u);

        c.setApplyOnDisplayChangeEnabled(false);
        h.desktop.notifyScreenParametersChanged();
        h.desktop.clock().advance(5);
        QCOMPARE(h.desktop.world().notifications.size(), 2u);
    }

    void aLaunchedApplicationIsArrangedWhenItsWindowAppears() {
        LaunchDesktop h;
        ProbeViewModel& c = h.start();
        h.desktop.launchApplication(editorApp());
        Cancellable windowOpens = h.desktop.clock().schedule(2.0, [&] {
            openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        });
        // Tries at 0, 0.5, 1.3 and 2.58 seconds: the fourth finds the window.
        h.desktop.clock().advance(2.5);
        QCOMPARE(c.launchTaskCount(), 1u);
        h.desktop.clock().advance(0.1);
        QCOMPARE(c.statusMessage(), QStringLiteral("Editorを起動時に配置しました: 1枚"));
        QCOMPARE(h.desktop.window(1).frame, leftHalfArea);
        QVERIFY(h.desktop.world().notifications.empty()); // launches post nothing
    }

    void launchesThatNeedNothingAreIgnored() {
        ControllerHarness h;
        h.seed({editorPlacement(false)});
        ProbeViewModel& c = h.start();
        h.desktop.launchApplication(editorApp());
        h.desktop.launchApplication(RunningApplication{101, std::nullopt, QStringLiteral("Script"),
                                                       ActivationPolicy::regular, false});
        QCOMPARE(c.launchTaskCount(), 0u);
        c.setArrangeOnLaunch(true, editorId); // starts nothing until the next launch
        h.runEditor();
        h.desktop.clock().advance(10);
        QCOMPARE(c.launchTaskCount(), 0u);
    }

    // A second launch replaces the first task; the newer one gives up after
    // ten tries: pauses of 0.5, 0.8, 1.28, 2.048, 3.2768, then 5 seconds.
    void aLaunchThatNeverShowsAWindowGivesUpAfterTenTries() {
        LaunchDesktop h;
        ProbeViewModel& c = h.start();
        h.desktop.launchApplication(editorApp());
        h.desktop.clock().advance(0.7);
        c.handleApplicationLaunch(editorApp());
        QSignalSpy statuses(&c, &ProbeViewModel::statusChanged);
        h.desktop.clock().advance(32.8);
        QCOMPARE(c.launchTaskCount(), 1u);
        QCOMPARE(statuses.count(), 0);
        h.desktop.clock().advance(0.2);
        QCOMPARE(c.statusMessage(), QStringLiteral("ウィンドウを確認できませんでした: Editor"));
        h.desktop.clock().advance(10);
        QCOMPARE(statuses.count(), 1);
    }

    void launchTasksStopWhenTheFlagOrTheProfileChanges() {
        for (const bool deleteProfile : {false, true}) {
            LaunchDesktop h;
            ProbeViewModel& c = h.start();
            h.desktop.launchApplication(editorApp());
            h.desktop.clock().advance(1);
            QCOMPARE(c.launchTaskCount(), 1u);
            if (deleteProfile) {
                c.createProfile(QStringLiteral("B"));
                c.deleteProfile(c.state().selectedProfileID);
            } else {
                c.setArrangeOnLaunch(false, editorId);
            }
            QCOMPARE(c.launchTaskCount(), 0u);
            const AppStatus before = c.status();
            openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
            h.desktop.clock().advance(60);
            QCOMPARE(c.status(), before); // neither arranged nor given up
            QCOMPARE(h.desktop.window(1).frame, (Rect{800, 300, 400, 300}));
        }
    }

    void destroyingTheControllerEndsItsTasks() {
        LoginDesktop h;
        h.seed({editorPlacement(true)});
        h.start();
        h.desktop.launchApplication(editorApp());
        h.desktop.clock().advance(1);
        h.stop();
        QCOMPARE(h.desktop.screenChangeSubscribers(), 0u);
        QCOMPARE(h.desktop.launchSubscribers(), 0u);
        QCOMPARE(h.desktop.clock().pendingCount(), 0u);
        h.desktop.clock().advance(60);
    }

    void outcomesCountWindowsAndComposeTheStatus() {
        const auto app = [](ControllerHarness& h, std::int32_t pid, const char* id) {
            h.desktop.addApplication(regularApp(pid, QString::fromLatin1(id), QString::fromLatin1(id)));
        };
        struct Case {
            const char* name;
            QList<AppPlacement> placements;
            std::function<void(ControllerHarness&)> setup;
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
             QStringLiteral("「作業」を復元しました: 3個を配置・1個をスキップ"),
             QStringLiteral("3枚を復元し、1件をスキップしました。"),
             {Rect{0, 25, 648, 803}, Rect{36, 61, 648, 803}, Rect{72, 97, 648, 803}}},
            {"missing display: main screen, a warning although nothing was skipped",
             {editorPlacement(false, unplugged)},
             [](ControllerHarness& h) { h.runEditor(); },
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
             QStringLiteral("「作業」を復元しました: 1個を配置・4個をスキップ"),
             QStringLiteral("1枚を復元し、4件をスキップしました。"),
             {}},
            {"no screen: every window skipped",
             {editorPlacement()},
             [](ControllerHarness& h) {
                 h.runEditor(2);
                 h.desktop.removeScreen(0);
             },
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
            QVERIFY2(c.status().kind == AppStatusKind::warning, test.name);
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

QTEST_GUILESS_MAIN(ControllerAutomationTest)
#include "tst_controllerautomation.moc"
