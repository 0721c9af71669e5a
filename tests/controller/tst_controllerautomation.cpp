// The automatic applies: once after login, after display changes, and per
// application at launch — with their delays, retries and cancellations.

#include "controller/ProbeViewModel.h"
#include "support/SimFixtures.h"

#include <QSignalSpy>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const QString editor = QStringLiteral("org.example.Editor");
const NormalizedFrame leftHalf{0, 0, 0.5, 1};

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

void addEditorWithWindow(sim::SimDesktop& desktop) {
    desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
    openWindow(desktop, 100, Rect{800, 300, 400, 300});
}

} // namespace

class ControllerAutomationTest : public QObject {
    Q_OBJECT

private slots:
    void afterLoginTheProfileIsAppliedOnceFiveSecondsLater() {
        LoginDesktop h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        addEditorWithWindow(h.desktop);
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
        {
            LoginDesktop h(601); // ten minutes and a second after boot
            h.start();
            h.desktop.clock().advance(60);
            QCOMPARE(h.notifications(), 0u);
        }
        {
            LoginDesktop h;
            h.desktop.world().loginItemStatus = LoginItemStatus::notRegistered;
            h.start();
            h.desktop.clock().advance(60);
            QCOMPARE(h.notifications(), 0u);
        }
        {
            LoginDesktop h;
            h.desktop.world().defaults.insert(DefaultsKey::applyAfterLogin, false);
            h.start();
            h.desktop.clock().advance(60);
            QCOMPARE(h.notifications(), 0u);
        }
        {
            LoginDesktop h(599); // a marker from an earlier boot does not count
            h.desktop.world().defaults.insert(DefaultsKey::lastAppliedBootMarker, h.bootMarker() - 3600);
            h.start();
            h.desktop.clock().advance(6);
            QCOMPARE(h.notifications(), 1u);
        }
    }

    void anEmptyProfileCountsAsDoneAtTheFirstAttempt() {
        LoginDesktop h;
        h.start();
        h.desktop.clock().advance(5.5);
        QCOMPARE(h.storedMarker(), std::optional(h.bootMarker()));
        h.desktop.clock().advance(60);
        QCOMPARE(h.notifications(), 1u);
    }

    void nothingToArrangeAfterSixAttemptsWarnsWithoutAMarker() {
        LoginDesktop h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)}); // not running
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

    void withoutASelectedProfileEveryAttemptFails() {
        LoginDesktop h;
        ProbeViewModel& c = h.start();
        StellwickState orphan = c.state();
        orphan.selectedProfileID = QUuid::createUuid();
        ProbeViewModelTestAccess::setState(c, orphan);
        QSignalSpy statuses(&c, &ProbeViewModel::statusChanged);
        h.desktop.clock().advance(5 + 6 * 5 + 1);
        QCOMPARE(statuses.count(), 7); // six "no profile" errors, then the warning
        QCOMPARE(c.statusMessage(), QStringLiteral("ログイン時の復元対象を確認できませんでした"));
        QVERIFY(!h.storedMarker());
    }

    // The second burst: the first burst's debounce handle, long fired, must not
    // cancel the timer that reuses its id (a monitor unplugged, then plugged back).
    void aBurstOfDisplayChangesAppliesOnceASecondAfterTheLast() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        addEditorWithWindow(h.desktop);
        ProbeViewModel& c = h.start();
        const Date start = h.desktop.clock().now();
        h.desktop.notifyScreenParametersChanged();
        h.desktop.clock().advance(0.2);
        h.desktop.notifyScreenParametersChanged();
        h.desktop.clock().advance(0.3);
        h.desktop.notifyScreenParametersChanged();
        h.desktop.clock().advance(0.99);
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
    }

    void displayChangesDoNothingWhenSwitchedOff() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        c.setApplyOnDisplayChangeEnabled(false);
        h.desktop.notifyScreenParametersChanged();
        h.desktop.clock().advance(5);
        QVERIFY(h.desktop.world().notifications.empty());
    }

    void aLaunchedApplicationIsArrangedWhenItsWindowAppears() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, primaryDisplay(), true)});
        ProbeViewModel& c = h.start();
        h.desktop.launchApplication(regularApp(100, editor, QStringLiteral("Editor")));
        Cancellable windowOpens = h.desktop.clock().schedule(2.0, [&] {
            openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
        });
        QCOMPARE(c.launchTaskCount(), 1u);
        // Tries at 0, 0.5, 1.3 and 2.58 seconds: the fourth finds the window.
        h.desktop.clock().advance(2.5);
        QVERIFY(c.status().title != QStringLiteral("Editorを起動時に配置しました"));
        h.desktop.clock().advance(0.1);
        QCOMPARE(c.statusMessage(), QStringLiteral("Editorを起動時に配置しました: 1枚"));
        QCOMPARE(h.desktop.window(1).frame, (Rect{0, 25, 720, 875}));
        QCOMPARE(c.launchTaskCount(), 0u);
        QVERIFY(h.desktop.world().notifications.empty()); // launches post nothing
    }

    void aLaunchOnTheFallbackDisplaySaysSo() {
        ControllerHarness h;
        const DisplayReference gone{5, std::nullopt, std::nullopt};
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, gone, true)});
        ProbeViewModel& c = h.start();
        addEditorWithWindow(h.desktop);
        c.handleApplicationLaunch(regularApp(100, editor, QStringLiteral("Editor")));
        h.desktop.clock().runPending();
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("Editorを起動時に配置しました: 1枚（保存先がないためメイン画面）"));
    }

    void launchesThatNeedNothingAreIgnored() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, primaryDisplay(), false)});
        ProbeViewModel& c = h.start();
        h.desktop.launchApplication(regularApp(100, editor, QStringLiteral("Editor")));
        h.desktop.launchApplication(RunningApplication{101, std::nullopt, QStringLiteral("Script"),
                                                       ActivationPolicy::regular, false});
        h.desktop.launchApplication(
            regularApp(102, QStringLiteral("org.example.Other"), QStringLiteral("Other")));
        QCOMPARE(c.launchTaskCount(), 0u);
    }

    void aLaunchThatNeverShowsAWindowGivesUpAfterTenTries() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, primaryDisplay(), true)});
        ProbeViewModel& c = h.start();
        h.desktop.launchApplication(regularApp(100, editor, QStringLiteral("Editor")));
        // 0.5 + 0.8 + 1.28 + 2.048 + 3.2768 + 5 × 5 seconds of pauses.
        h.desktop.clock().advance(32.8);
        QVERIFY(c.status().title != QStringLiteral("ウィンドウを確認できませんでした"));
        h.desktop.clock().advance(0.2);
        QCOMPARE(c.statusMessage(), QStringLiteral("ウィンドウを確認できませんでした: Editor"));
        QCOMPARE(c.launchTaskCount(), 0u);
    }

    void launchTasksStopWhenTheFlagOrTheProfileChanges() {
        for (int change = 0; change < 4; ++change) {
            ControllerHarness h;
            h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, primaryDisplay(), true)});
            ProbeViewModel& c = h.start();
            h.desktop.launchApplication(regularApp(100, editor, QStringLiteral("Editor")));
            h.desktop.clock().advance(1);
            QCOMPARE(c.launchTaskCount(), 1u);
            switch (change) {
            case 0:
                c.setArrangeOnLaunch(false, editor);
                break;
            case 1:
                c.removeApplication(editor);
                break;
            case 2:
                c.selectProfile(c.state().selectedProfileID);
                break;
            case 3:
                c.createProfile(QStringLiteral("B"));
                c.deleteProfile(c.state().selectedProfileID);
                break;
            }
            QCOMPARE(c.launchTaskCount(), 0u);
            const AppStatus before = c.status();
            openWindow(h.desktop, 100, Rect{800, 300, 400, 300});
            h.desktop.clock().advance(60);
            QCOMPARE(c.status(), before); // neither arranged nor given up
            QCOMPARE(h.desktop.window(1).frame, (Rect{800, 300, 400, 300}));
        }
    }

    void switchingTheFlagOnStartsNothingUntilTheNextLaunch() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf)});
        ProbeViewModel& c = h.start();
        addEditorWithWindow(h.desktop);
        c.setArrangeOnLaunch(true, editor);
        h.desktop.clock().advance(10);
        QCOMPARE(c.launchTaskCount(), 0u);
        QCOMPARE(h.desktop.window(1).frame, (Rect{800, 300, 400, 300}));
    }

    void aSecondLaunchReplacesTheFirstTask() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, primaryDisplay(), true)});
        ProbeViewModel& c = h.start();
        h.desktop.launchApplication(regularApp(100, editor, QStringLiteral("Editor")));
        h.desktop.clock().advance(0.7);
        c.handleApplicationLaunch(regularApp(100, editor, QStringLiteral("Editor")));
        QCOMPARE(c.launchTaskCount(), 1u);
        QSignalSpy statuses(&c, &ProbeViewModel::statusChanged);
        h.desktop.clock().advance(40);
        QCOMPARE(statuses.count(), 1); // only the newer task gives up, once
        QCOMPARE(c.launchTaskCount(), 0u);
    }

    void arrangeOnLaunchIsSilentWithoutPermission() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, primaryDisplay(), true)});
        ProbeViewModel& c = h.start();
        h.desktop.world().trusted = false;
        addEditorWithWindow(h.desktop);
        QSignalSpy statuses(&c, &ProbeViewModel::statusChanged);
        c.handleApplicationLaunch(regularApp(100, editor, QStringLiteral("Editor")));
        h.desktop.clock().advance(20);
        QCOMPARE(statuses.count(), 0);
        QVERIFY(!c.isTrusted());
    }

    void destroyingTheControllerEndsItsTasks() {
        LoginDesktop h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), leftHalf, primaryDisplay(), true)});
        h.start();
        h.desktop.launchApplication(regularApp(100, editor, QStringLiteral("Editor")));
        h.desktop.clock().advance(1);
        h.stop();
        QCOMPARE(h.desktop.screenChangeSubscribers(), 0u);
        QCOMPARE(h.desktop.launchSubscribers(), 0u);
        QCOMPARE(h.desktop.clock().pendingCount(), 0u);
        h.desktop.clock().advance(60);
    }
};

QTEST_GUILESS_MAIN(ControllerAutomationTest)
#include "tst_controllerautomation.moc"
