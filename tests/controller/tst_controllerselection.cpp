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

// Editor's window "main.cpp" covers (100, 125, 720, 437.5) of the top-left-origin space.
struct SelectionDesktop : ControllerHarness {
    SelectionDesktop() {
        desktop.addApplication(editorApp());
        openWindow(desktop, 100, Rect{100, 125, 720, 437.5}, QStringLiteral("main.cpp"));
    }
    // Clicks at a point of the top-left-origin space (events report it from
    // the bottom-left, 900 high) and lets the click be handled.
    void click(double x, double y, bool onOwnWindow = false) {
        desktop.click({x, 900 - y}, onOwnWindow);
        desktop.clock().runPending();
    }
    std::size_t monitors() { return desktop.installedGlobalMonitors() + desktop.installedLocalMonitors(); }
};

} // namespace

class ControllerSelectionTest : public QObject {
    Q_OBJECT

private slots:
    void aClickOnAWindowMakesACandidate() {
        SelectionDesktop h;
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        c.beginWindowSelection(); // again: still one pair of monitors
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("ウィンドウを選択中: 保存したいウィンドウをクリックしてください。"));
        QCOMPARE(h.desktop.installedGlobalMonitors(), 1u);
        QCOMPARE(h.desktop.installedLocalMonitors(), 1u);
        h.click(300, 300, /*onOwnWindow=*/true); // our own windows are no selection
        QVERIFY(c.selectionPhase().isSelecting());

        h.click(300, 300);
        const WindowSelectionCandidate expected{editorId, QStringLiteral("Editor"),
                                                QStringLiteral("main.cpp"), Rect{100, 125, 720, 437.5},
                                                primaryDisplay()};
        QCOMPARE(c.selectedCandidate(), std::optional(expected));
        QCOMPARE(c.statusMessage(), QStringLiteral("ウィンドウを選択しました: Editor — main.cpp"));
        QCOMPARE(h.monitors(), 0u);
        QCOMPARE(h.desktop.world().activations, 1);
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
            QCOMPARE(h.monitors(), 0u);
        }
    }

    void aClickWithoutAUsableWindowOrPermissionFails() {
        SelectionDesktop h;
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.click(1300, 800); // the desktop
        const QString noWindow = QStringLiteral("現在のSpaceに配置可能な通常ウィンドウがありません。");
        QCOMPARE(c.selectionFailureMessage(), std::optional(noWindow));
        QCOMPARE(c.statusMessage(), QStringLiteral("ウィンドウ情報を取得できませんでした: ") + noWindow);
        c.cancelWindowSelection(); // the failure sheet's cancel
        QVERIFY(c.selectionPhase().isIdle());

        h.desktop.world().trusted = false;
        c.beginWindowSelection();
        QCOMPARE(c.selectionFailureMessage(),
                 std::optional(QStringLiteral("ウィンドウの取得と移動にはアクセシビリティ権限が必要です。")));
        QCOMPARE(
            c.statusMessage(),
            QStringLiteral("アクセシビリティ権限がありません: システム設定でStellwickを許可してください。"));
        QCOMPARE(h.monitors(), 0u);
    }

    void anApplicationWithoutANameIsShownByItsIdentifier() {
        ControllerHarness h;
        h.desktop.addApplication(RunningApplication{7, QStringLiteral("org.example.Bare"), std::nullopt,
                                                    ActivationPolicy::regular, false});
        openWindow(h.desktop, 7, Rect{0, 100, 500, 500}, QString());
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.desktop.click({50, 700});
        h.desktop.clock().runPending();
        QCOMPARE(c.selectedCandidate()->applicationName, QStringLiteral("org.example.Bare"));
    }

    // The title as the desktop gave it carries a NUL and an escape: both are
    // dropped, so the file written stays readable. Registering again replaces
    // the placement and keeps its launch flag.
    void aConfirmedCandidateIsSavedIntoTheSelectedProfile() {
        SelectionDesktop h;
        h.seed({placementFor(editorId, QStringLiteral("Old Editor"), {0, 0, 1, 1}, primaryDisplay(), true)});
        h.desktop.window(1).title = QStringLiteral("main") + QChar(0) + QStringLiteral(".cpp\x1b");
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.click(300, 300);
        c.saveSelectedWindow();

        QCOMPARE(c.statusMessage(), QStringLiteral("配置を保存しました: Editorを「作業」に追加しました。"));
        QCOMPARE(c.selectedProfile()->placements.size(), 1);
        const AppPlacement saved = c.selectedProfile()->placements.at(0);
        QCOMPARE(saved, (AppPlacement{editorId, QStringLiteral("Editor"), primaryDisplay(),
                                      NormalizedFrame{100.0 / 1440, 100.0 / 875, 0.5, 0.5}, true,
                                      QStringLiteral("main.cpp")}));
        QCOMPARE(decodeState(readFile(h.settingsPath())), std::optional(c.state()));

        c.saveSelectedWindow(); // nothing selected any more: nothing happens
        QCOMPARE(c.selectedProfile()->placements.size(), 1);
    }

    void aCandidateIsKeptWhenItCannotBeSaved() {
        for (const bool unusableFile : {true, false}) {
            SelectionDesktop h;
            if (unusableFile)
                writeFile(h.settingsPath(), "not a settings file");
            ProbeViewModel& c = h.start();
            c.beginWindowSelection();
            h.click(300, 300);
            if (!unusableFile)
                h.desktop.removeScreen(0); // the display went away before confirming
            c.saveSelectedWindow();
            QVERIFY(c.selectedCandidate());
            QVERIFY(c.selectedProfile()->placements.isEmpty());
            QCOMPARE(c.statusMessage(),
                     unusableFile ? QStringLiteral("設定を保存できません: 設定ファイルに問題があります。")
                                  : QStringLiteral("対象ディスプレイを取得できませんでした"));
        }
    }
};

QTEST_GUILESS_MAIN(ControllerSelectionTest)
#include "tst_controllerselection.moc"
