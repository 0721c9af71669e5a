// The controller's start-up, its status line and its saving; the permission,
// the login item, the two automation switches, and registering an application
// by clicking its window.

#include "controller/ProbeViewModel.h"
#include "model/LayoutJson.h"
#include "support/SettingsCorpus.h"
#include "support/SimFixtures.h"

#include <QtTest>
#include <limits>

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

class ControllerStartupTest : public QObject {
    Q_OBJECT
private slots:
    void aFirstStartIsReadyAndWritesNothing() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        QCOMPARE(c.statusMessage(), QStringLiteral("準備完了: プロファイルを選択して配置を復元できます。"));
        QVERIFY(!QFileInfo::exists(h.settingsPath()));
        QCOMPARE(h.desktop.world().trustPrompts, 0); // start-up never prompts

        c.createProfile(QStringLiteral("  仕事\n"));
        QCOMPARE(c.statusMessage(), QStringLiteral("仕事を作成しました。"));
        QCOMPARE(decodeState(readFile(h.settingsPath())), std::optional<StellwickState>(c.state()));

        h.desktop.world().trusted = false;
        QCOMPARE(h.start().statusMessage(),
                 QStringLiteral(
                     "アクセシビリティ権限が必要です: 保存と復元を利用するには権限を許可してください。"));
    }

    // Every unusable file of the corpus, through the whole controller: a fresh
    // state in memory, the warning, and the file never written whatever is edited.
    void anUnusableFileIsNeverWrittenWhateverIsEdited_data() {
        QTest::addColumn<QByteArray>("bytes");
        for (const SettingsFile& file : unusableSettingsFiles())
            QTest::newRow(file.name) << file.bytes;
    }
    void anUnusableFileIsNeverWrittenWhateverIsEdited() {
        QFETCH(QByteArray, bytes);
        ControllerHarness h;
        h.desktop.world().trusted = false; // the file warning wins over the permission one
        writeFile(h.settingsPath(), bytes);
        ProbeViewModel& c = h.start();
        QCOMPARE(c.status().kind, AppStatusKind::error);
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("設定ファイルを読み込めません: ") + settingsUnreadableWarning);
        QCOMPARE(c.selectedProfile()->name, QStringLiteral("デフォルト"));
        QVERIFY(!c.canPersist());

        c.createProfile(QStringLiteral("新規"));
        QCOMPARE(c.state().profiles.size(), 2); // the edit lives in memory
        c.deleteProfile(c.state().profiles[1].id);
        QCOMPARE(
            c.statusMessage(),
            QStringLiteral("設定を保存できません: "
                           "設定ファイルに問題があります。元ファイルを退避してから再起動してください。"));
        h.stop();
        QCOMPARE(readFile(h.settingsPath()), bytes);
    }

    void aFailedSaveReportsItsErrorAndKeepsTheEdit() {
        ControllerHarness h;
        writeFile(h.folder.path(QStringLiteral("data")), "a file where the folder should be");
        ProbeViewModel& c = h.start();
        c.createProfile(QStringLiteral("新規"));
        QCOMPARE(c.state().profiles.size(), 2);
        QCOMPARE(c.status().title, QStringLiteral("設定を保存できませんでした"));
        QVERIFY(c.status().detail && !c.status().detail->isEmpty());
    }

    void placementEditsClampAndReport() {
        ControllerHarness h;
        h.seed({placementFor(editorId, QStringLiteral("Editor"), {0.1, 0.1, 0.5, 0.5})});
        ProbeViewModel& c = h.start();

        c.updatePlacementArea(editorId, {0.99, -1, 0.5, 0.01});
        const NormalizedFrame stored = c.selectedProfile()->placements[0].frame;
        QCOMPARE(stored, (NormalizedFrame{0.95, 0, 1 - 0.95, 0.05}));

        // Not a number: refused, nothing stored, later saves still work.
        const QByteArray saved = readFile(h.settingsPath());
        c.updatePlacementArea(editorId, {0.2, 0.2, std::numeric_limits<double>::quiet_NaN(), 0.5});
        QCOMPARE(c.selectedProfile()->placements[0].frame, stored);
        QCOMPARE(
            c.statusMessage(),
            QStringLiteral("配置領域を更新できませんでした: 位置と大きさに無効な数値が含まれています。"));
        QCOMPARE(readFile(h.settingsPath()), saved);

        c.removeApplication(editorId);
        QVERIFY(c.selectedProfile()->placements.isEmpty());
        QCOMPARE(c.statusMessage(), QStringLiteral("対象アプリを削除しました。"));
        QCOMPARE(decodeState(readFile(h.settingsPath())), std::optional<StellwickState>(c.state()));
    }

    void thePermissionIsRequestedWithAPromptAndRefreshedWithout() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        c.refreshPermissionStatus();
        QCOMPARE(c.statusMessage(), QStringLiteral("アクセシビリティ権限は許可されています"));
        h.desktop.world().trusted = false;
        c.requestAccessibilityPermission();
        QCOMPARE(c.status().kind, AppStatusKind::warning);
        QCOMPARE(
            c.statusMessage(),
            QStringLiteral("アクセシビリティ権限が必要です: システム設定でStellwickを許可してください。"));
        QCOMPARE(h.desktop.world().trustPrompts, 1);
    }

    void theLoginSwitchShowsTheRegistrationInForce() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        c.setLoginItemEnabled(true);
        QVERIFY(c.isLoginItemEnabled());
        QCOMPARE(c.statusMessage(), QStringLiteral("ログイン時の起動を有効にしました"));
        c.setLoginItemEnabled(false);
        QVERIFY(!c.isLoginItemEnabled());

        h.desktop.world().loginItemFailure = QStringLiteral("自動起動フォルダに書き込めません");
        c.setLoginItemEnabled(true);
        QVERIFY(!c.isLoginItemEnabled());
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("ログイン項目を変更できませんでした: 自動起動フォルダに書き込めません"));
    }

    void theAutomationSwitchesPersistInTheDefaults() {
        ControllerHarness h;
        h.desktop.world().defaults.insert(DefaultsKey::applyAfterLogin, QStringLiteral("false"));
        h.desktop.world().defaults.insert(DefaultsKey::applyOnDisplayChange, false);
        ProbeViewModel& c = h.start();
        QVERIFY(c.applyAfterLoginEnabled()); // a string is not a Boolean: read as absent
        QVERIFY(!c.applyOnDisplayChangeEnabled());

        c.setApplyAfterLoginEnabled(false);
        c.setApplyOnDisplayChangeEnabled(true);
        QVERIFY(!h.start().applyAfterLoginEnabled());
        QVERIFY(h.controller().applyOnDisplayChangeEnabled());
    }

    void escapeCancelsThroughEitherMonitor() {
        for (const bool ownApplicationActive : {false, true}) {
            SelectionDesktop h;
            ProbeViewModel& c = h.start();
            c.beginWindowSelection();
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
        QCOMPARE(h.monitors(), 0u);
    }

    // A click on a window makes it the candidate. The title as the desktop
    // gave it carries a NUL and an escape: both are dropped, so the file
    // written stays readable. Registering again replaces the placement and
    // keeps its launch flag.
    void aClickedWindowIsSavedIntoTheSelectedProfile() {
        SelectionDesktop h;
        h.seed({placementFor(editorId, QStringLiteral("Old Editor"), {0, 0, 1, 1}, primaryDisplay(), true)});
        h.desktop.window(1).title = QStringLiteral("main") + QChar(0) + QStringLiteral(".cpp\x1b");
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        c.beginWindowSelection(); // again: still one pair of monitors
        QCOMPARE(h.desktop.installedGlobalMonitors(), 1u);
        QCOMPARE(h.desktop.installedLocalMonitors(), 1u);
        h.click(300, 300, /*onOwnWindow=*/true); // our own windows are no selection
        QVERIFY(c.selectionPhase().isSelecting());
        h.click(300, 300);
        QCOMPARE(c.statusMessage(), QStringLiteral("ウィンドウを選択しました: Editor — main.cpp"));
        QCOMPARE(h.monitors(), 0u);
        QCOMPARE(h.desktop.world().activations, 1);
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

    void aCandidateIsKeptWhenItsDisplayHasGone() {
        SelectionDesktop h;
        ProbeViewModel& c = h.start();
        c.beginWindowSelection();
        h.click(300, 300);
        h.desktop.removeScreen(0); // the display went away before confirming
        c.saveSelectedWindow();
        QVERIFY(c.selectedCandidate());
        QVERIFY(c.selectedProfile()->placements.isEmpty());
        QCOMPARE(c.statusMessage(), QStringLiteral("対象ディスプレイを取得できませんでした"));
    }
};

QTEST_GUILESS_MAIN(ControllerStartupTest)
#include "tst_controllerstartup.moc"
