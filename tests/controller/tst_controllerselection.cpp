// Registering an application by clicking its window: the selection's phases,
// the monitors, and saving the candidate.

#include "controller/ProbeViewModel.h"
#include "model/LayoutJson.h"
#include "support/SimFixtures.h"

#include <QSignalSpy>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const QString editor = QStringLiteral("org.example.Editor");
const QString noWindowMessage = QStringLiteral("現在のSpaceに配置可能な通常ウィンドウがありません。");

// A point of the top-left-origin space as a click reports it (bottom-left origin, 900 high).
Point clickAt(double x, double y) {
    return {x, 900 - y};
}

struct SelectionDesktop : ControllerHarness {
    SelectionDesktop() {
        desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        window = openWindow(desktop, 100, Rect{100, 125, 720, 437.5}, QStringLiteral("main.cpp"));
    }
    sim::WindowId window;
};

} // namespace

class ControllerSelectionTest : public QObject {
    Q_OBJECT

private slots:
    void aClickOnAWindowMakesACandidate() {
        SelectionDesktop h;
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        QVERIFY(c.selectionPhase().isSelecting());
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("ウィンドウを選択中: 保存したいウィンドウをクリックしてください。"));
        QCOMPARE(h.desktop.installedGlobalMonitors(), 1u);
        QCOMPARE(h.desktop.installedLocalMonitors(), 1u);
        QCOMPARE(h.desktop.world().trustPrompts, 1);

        h.desktop.click(clickAt(300, 300));
        QVERIFY(c.selectionPhase().isSelecting()); // handled on a later turn
        h.desktop.clock().runPending();

        const WindowSelectionCandidate expected{editor, QStringLiteral("Editor"), QStringLiteral("main.cpp"),
                                                Rect{100, 125, 720, 437.5}, primaryDisplay()};
        QCOMPARE(c.selectedCandidate(), std::optional(expected));
        QCOMPARE(c.statusMessage(), QStringLiteral("ウィンドウを選択しました: Editor — main.cpp"));
        QCOMPARE(h.desktop.installedGlobalMonitors(), 0u);
        QCOMPARE(h.desktop.installedLocalMonitors(), 0u);
        QCOMPARE(h.desktop.world().activations, 1);
        const NormalizedFrame preview = *c.previewFrame(expected);
        QCOMPARE(preview.x, 100.0 / 1440);
        QCOMPARE(preview.y, 100.0 / 875);
        QCOMPARE(preview.width, 0.5);
        QCOMPARE(preview.height, 0.5);
    }

    void clicksOnOurOwnWindowsAreNotSelections() {
        SelectionDesktop h;
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.desktop.click(clickAt(300, 300), /*onOwnWindow=*/true);
        h.desktop.clock().runPending();
        QVERIFY(c.selectionPhase().isSelecting());
        QCOMPARE(h.desktop.installedGlobalMonitors(), 1u);
    }

    void escapeCancelsThroughEitherMonitor() {
        for (const bool ownApplicationActive : {false, true}) {
            SelectionDesktop h;
            ProbeViewModel& c = h.start();
            c.beginWindowSelection();
            h.desktop.pressKey(12, ownApplicationActive); // another key: ignored
            h.desktop.clock().runPending();
            QVERIFY(c.selectionPhase().isSelecting());

            const bool reachedWindows = h.desktop.pressKey(KeyCode::escape, ownApplicationActive);
            if (ownApplicationActive)
                QVERIFY(!reachedWindows); // our windows never see this Escape
            h.desktop.clock().runPending();
            QVERIFY(c.selectionPhase().isIdle());
            QCOMPARE(c.statusMessage(), QStringLiteral("ウィンドウ選択をキャンセルしました"));
            QCOMPARE(h.desktop.installedGlobalMonitors() + h.desktop.installedLocalMonitors(), 0u);
        }
    }

    void beginningAgainKeepsOnePairOfMonitors() {
        SelectionDesktop h;
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        c.beginWindowSelection();
        QCOMPARE(h.desktop.installedGlobalMonitors(), 1u);
        QCOMPARE(h.desktop.installedLocalMonitors(), 1u);
        h.desktop.click(clickAt(300, 300));
        h.desktop.clock().runPending();
        QVERIFY(c.selectedCandidate());
        c.beginWindowSelection(); // from selected: starts anew
        QVERIFY(c.selectionPhase().isSelecting());
    }

    void cancellingWhileIdleDoesNothing() {
        SelectionDesktop h;
        ProbeViewModel& c = h.start();
        QSignalSpy statuses(&c, &ProbeViewModel::statusChanged);
        QSignalSpy phases(&c, &ProbeViewModel::selectionPhaseChanged);
        c.cancelWindowSelection();
        QCOMPARE(statuses.count(), 0);
        QCOMPARE(phases.count(), 0);
    }

    void aClickWithoutAUsableWindowFails() {
        SelectionDesktop h;
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.desktop.click(clickAt(1300, 800)); // the desktop
        h.desktop.clock().runPending();
        QCOMPARE(c.selectionFailureMessage(), std::optional(noWindowMessage));
        QCOMPARE(c.status().kind, AppStatusKind::error);
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("ウィンドウ情報を取得できませんでした: ") + noWindowMessage);
        QCOMPARE(h.desktop.installedGlobalMonitors(), 0u);
        QCOMPARE(h.desktop.world().activations, 1);

        c.cancelWindowSelection(); // the failure sheet's cancel
        QVERIFY(c.selectionPhase().isIdle());
    }

    void anApplicationWithoutANameIsShownByItsIdentifier() {
        ControllerHarness h;
        h.desktop.addApplication(RunningApplication{7, QStringLiteral("org.example.Bare"), std::nullopt,
                                                    ActivationPolicy::regular, false});
        openWindow(h.desktop, 7, Rect{0, 100, 500, 500}, QString());
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.desktop.click(clickAt(50, 200));
        h.desktop.clock().runPending();
        QCOMPARE(c.selectedCandidate()->applicationName, QStringLiteral("org.example.Bare"));
        QCOMPARE(c.selectedCandidate()->windowTitle, QStringLiteral("名称なし"));
    }

    void withoutPermissionTheSelectionFailsAtOnce() {
        SelectionDesktop h;
        h.desktop.world().trusted = false;
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        QCOMPARE(c.selectionFailureMessage(),
                 std::optional(QStringLiteral("ウィンドウの取得と移動にはアクセシビリティ権限が必要です。")));
        QCOMPARE(
            c.statusMessage(),
            QStringLiteral("アクセシビリティ権限がありません: システム設定でStellwickを許可してください。"));
        QCOMPARE(h.desktop.installedGlobalMonitors(), 0u);
        QCOMPARE(h.desktop.world().trustPrompts, 1);
    }

    // The title as the desktop gave it carries a NUL and an escape: both are
    // dropped, so the file written stays readable.
    void aConfirmedCandidateIsSavedIntoTheSelectedProfile() {
        SelectionDesktop h;
        h.desktop.window(h.window).title = QStringLiteral("main") + QChar(0) + QStringLiteral(".cpp\x1b");
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.desktop.click(clickAt(300, 300));
        h.desktop.clock().runPending();
        c.saveSelectedWindow();

        QVERIFY(c.selectionPhase().isIdle());
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("配置を保存しました: Editorを「デフォルト」に追加しました。"));
        const AppPlacement saved = c.selectedProfile()->placements.at(0);
        QCOMPARE(saved.bundleIdentifier, editor);
        QCOMPARE(saved.display, primaryDisplay());
        QCOMPARE(saved.frame.width, 0.5);
        QCOMPARE(saved.capturedWindowTitle, std::optional(QStringLiteral("main.cpp")));
        QVERIFY(!saved.arrangeOnLaunch);
        QCOMPARE(decodeState(readFile(h.settingsPath())), std::optional(c.state()));

        c.saveSelectedWindow(); // nothing selected any more: nothing happens
        QCOMPARE(c.selectedProfile()->placements.size(), 1);
    }

    void registeringAgainReplacesThePlacementAndKeepsItsLaunchFlag() {
        SelectionDesktop h;
        h.seed({placementFor(editor, QStringLiteral("Old Editor"), {0, 0, 1, 1}, primaryDisplay(), true)});
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.desktop.click(clickAt(300, 300));
        h.desktop.clock().runPending();
        c.saveSelectedWindow();
        QCOMPARE(c.selectedProfile()->placements.size(), 1);
        QCOMPARE(c.selectedProfile()->placements[0].applicationName, QStringLiteral("Editor"));
        QVERIFY(c.selectedProfile()->placements[0].arrangeOnLaunch);
    }

    void aCandidateIsKeptWhenItCannotBeSaved() {
        {
            SelectionDesktop h;
            writeFile(h.settingsPath(), "not a settings file");
            ProbeViewModel& c = h.start();
            c.beginWindowSelection();
            h.desktop.click(clickAt(300, 300));
            h.desktop.clock().runPending();
            c.saveSelectedWindow();
            QVERIFY(c.selectedCandidate());
            QCOMPARE(c.statusMessage(),
                     QStringLiteral("設定を保存できません: 設定ファイルに問題があります。"));
            QVERIFY(c.selectedProfile()->placements.isEmpty());
        }
        {
            SelectionDesktop h;
            ProbeViewModel& c = h.start();
            c.beginWindowSelection();
            h.desktop.click(clickAt(300, 300));
            h.desktop.clock().runPending();
            h.desktop.removeScreen(0); // the display went away before confirming
            c.saveSelectedWindow();
            QVERIFY(c.selectedCandidate());
            QCOMPARE(c.statusMessage(), QStringLiteral("対象ディスプレイを取得できませんでした"));
            QVERIFY(!c.status().detail);
        }
    }
};

QTEST_GUILESS_MAIN(ControllerSelectionTest)
#include "tst_controllerselection.moc"
