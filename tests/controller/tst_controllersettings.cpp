// The permission, the login item and the two automation switches.

#include "controller/ProbeViewModel.h"
#include "support/SimFixtures.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::test;

class ControllerSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void thePermissionIsRequestedWithAPromptAndRefreshedWithout() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        c.requestAccessibilityPermission();
        QCOMPARE(
            c.statusMessage(),
            QStringLiteral("アクセシビリティ権限を確認しました: ウィンドウの保存と復元を利用できます。"));
        c.refreshPermissionStatus();
        QCOMPARE(c.statusMessage(), QStringLiteral("アクセシビリティ権限は許可されています"));
        QCOMPARE(h.desktop.world().trustPrompts, 1);

        h.desktop.world().trusted = false;
        c.refreshPermissionStatus();
        QVERIFY(!c.isTrusted());
        QCOMPARE(c.statusMessage(), QStringLiteral("アクセシビリティ権限が必要です"));
        c.requestAccessibilityPermission();
        QCOMPARE(c.status().kind, AppStatusKind::warning);
        QCOMPARE(
            c.statusMessage(),
            QStringLiteral("アクセシビリティ権限が必要です: システム設定でStellwickを許可してください。"));
        QCOMPARE(h.desktop.world().trustPrompts, 2);
    }

    void theSettingsLinkOpensWhenThereIsOne() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        c.openAccessibilitySettings();
        QCOMPARE(h.desktop.world().openedURLs.size(), 1u);
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("システム設定を開きました: アクセシビリティでStellwickを許可してください。"));

        h.desktop.world().settingsURL.reset();
        const AppStatus before = c.status();
        c.openAccessibilitySettings();
        QCOMPARE(h.desktop.world().openedURLs.size(), 1u);
        QCOMPARE(c.status(), before);
    }

    void theLoginSwitchShowsTheRegistrationInForce() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();

        c.setLoginItemEnabled(false); // not registered: nothing to undo
        QCOMPARE(h.desktop.world().loginItemUnregisterCalls, 0);
        QCOMPARE(c.statusMessage(), QStringLiteral("ログイン時の起動を無効にしました"));

        c.setLoginItemEnabled(true);
        QVERIFY(c.isLoginItemEnabled());
        QCOMPARE(c.statusMessage(), QStringLiteral("ログイン時の起動を有効にしました"));
        c.setLoginItemEnabled(true); // already enabled: no second registration
        QCOMPARE(h.desktop.world().loginItemRegisterCalls, 1);

        c.setLoginItemEnabled(false);
        QVERIFY(!c.isLoginItemEnabled());
        QCOMPARE(h.desktop.world().loginItemUnregisterCalls, 1);

        h.desktop.world().loginItemNeedsApproval = true;
        c.setLoginItemEnabled(true);
        QVERIFY(!c.isLoginItemEnabled()); // waiting for approval counts as off
        QCOMPARE(c.statusMessage(), QStringLiteral("ログイン時の起動を無効にしました"));
        c.setLoginItemEnabled(false); // from "requires approval" it unregisters
        QCOMPARE(h.desktop.world().loginItemUnregisterCalls, 2);

        h.desktop.world().loginItemFailure = QStringLiteral("自動起動フォルダに書き込めません");
        c.setLoginItemEnabled(true);
        QVERIFY(!c.isLoginItemEnabled());
        QCOMPARE(c.status().kind, AppStatusKind::error);
        QCOMPARE(c.statusMessage(),
                 QStringLiteral("ログイン項目を変更できませんでした: 自動起動フォルダに書き込めません"));
    }

    void theAutomationSwitchesPersistInTheDefaults() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        c.setApplyAfterLoginEnabled(false);
        QCOMPARE(c.statusMessage(), QStringLiteral("ログイン後の自動適用を無効にしました"));
        c.setApplyOnDisplayChangeEnabled(false);
        QCOMPARE(c.statusMessage(), QStringLiteral("ディスプレイ変更時の自動適用を無効にしました"));
        QVERIFY(!h.start().applyAfterLoginEnabled());
        QVERIFY(!h.controller().applyOnDisplayChangeEnabled());

        h.controller().setApplyAfterLoginEnabled(true);
        QCOMPARE(h.controller().statusMessage(), QStringLiteral("ログイン後の自動適用を有効にしました"));
        h.controller().setApplyOnDisplayChangeEnabled(true);
        QVERIFY(h.start().applyAfterLoginEnabled());
        QVERIFY(h.controller().applyOnDisplayChangeEnabled());
    }
};

QTEST_GUILESS_MAIN(ControllerSettingsTest)
#include "tst_controllersettings.moc"
