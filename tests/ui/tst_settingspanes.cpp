// The settings panes offscreen on the simulated desktop: the registered
// applications with their editor, the automation switches and the permission
// section, each read and driven the way a user would.

#include "UiTestSupport.h"
#include "support/SimFixtures.h"
#include "ui/AppIcon.h"
#include "ui/AutomationSettingsView.h"
#include "ui/ContentView.h"
#include "ui/FrameField.h"
#include "ui/PermissionSettingsView.h"
#include "ui/PlacementDetail.h"
#include "ui/PlacementPreview.h"
#include "ui/PlacementRow.h"
#include "ui/RegisteredAppsPane.h"
#include "ui/SwitchButton.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const QString editor = QStringLiteral("org.example.Editor");
const QString mail = QStringLiteral("org.example.Mail");

// The user replaces a field's whole text at once, as by pasting.
void typeInto(FrameField* field, const QString& text) {
    field->lineEdit()->selectAll();
    field->lineEdit()->insert(text);
}

FrameField* field(const QWidget* detail, int index) {
    return detail->findChildren<FrameField*>().at(index);
}

QStringList fieldTexts(const QWidget* detail) {
    QStringList texts;
    for (FrameField* f : detail->findChildren<FrameField*>())
        texts << f->lineEdit()->text();
    return texts;
}

} // namespace

class SettingsPanesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useFixedLook(); }

    void theEmptyStateGivesWayToTheFirstRegisteredApplication() {
        ControllerHarness h;
        h.desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(h.desktop, 100, Rect{0, 25, 720, 875}, QStringLiteral("main.cpp"));
        ProbeViewModel& c = h.start();
        auto* pane = new RegisteredAppsPane(c);
        Shown shown(pane);
        QVERIFY(pane->showsEmptyState());
        saveScreenshot(&shown.window, QStringLiteral("apps-empty"));

        QTest::mouseClick(buttonNamed(pane, QStringLiteral("ウィンドウを選択")), Qt::LeftButton);
        QVERIFY(c.selectionPhase().isSelecting());
        h.desktop.click({300, 400});
        h.desktop.clock().runPending();
        c.saveSelectedWindow();

        QVERIFY(!pane->showsEmptyState());
        QCOMPARE(pane->rows().size(), 1u);
        QCOMPARE(pane->rows()[0]->summaryButton()->accessibleName(), QStringLiteral("Editorの配置詳細"));
        QVERIFY(labelTexts(pane).contains(QStringLiteral("保存時のウィンドウ：main.cpp")));
        QVERIFY(labelTexts(pane).contains(QStringLiteral("0,0 · 50×100%")));
    }

    void rowsShowAreaDisplayTitleAndLaunchSwitch() {
        ControllerHarness h;
        AppPlacement titled = placementFor(editor, QStringLiteral("Editor"), {0.25, 0, 0.5, 1});
        titled.capturedWindowTitle = QString();
        AppPlacement bare = placementFor(mail, QStringLiteral("Mail"), {0.5, 0.1, 0.3333, 0.8},
                                         DisplayReference{2, std::nullopt, std::nullopt}, true);
        h.seed({titled, bare});
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::red);
        h.desktop.world().icons.insert(editor, icon);
        ProbeViewModel& c = h.start();
        auto* pane = new RegisteredAppsPane(c);
        Shown shown(pane);
        const auto row = [&](int i) { return pane->rows()[static_cast<std::size_t>(i)]; };

        QVERIFY(labelTexts(row(0)).contains(QStringLiteral("25,0 · 50×100%")));
        QVERIFY(labelTexts(row(0)).contains(QStringLiteral("Built-in Display")));
        QVERIFY(labelTexts(row(0)).contains(
            QStringLiteral("保存時のウィンドウ："))); // empty title: the line stays
        QVERIFY(labelTexts(row(1)).contains(QStringLiteral("50,10 · 33×80%")));
        QVERIFY(labelTexts(row(1)).contains(QStringLiteral("ディスプレイ")));
        QVERIFY(!labelTexts(row(1)).contains(QStringLiteral("保存時のウィンドウ：")));
        QVERIFY(!row(0)->launchSwitch()->isChecked() && row(1)->launchSwitch()->isChecked());
        QVERIFY(!row(0)->findChild<AppIcon*>()->showsFallback());
        QVERIFY(row(1)->findChild<AppIcon*>()->showsFallback()); // "app.fill" in its place
        saveScreenshot(&shown.window, QStringLiteral("apps-list"));

        // Assistive technology sees a check box it can toggle.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(row(0)->launchSwitch());
        QCOMPARE(accessible->role(), QAccessible::CheckBox);
        QVERIFY(accessible->state().checkable && !accessible->state().checked);

        // The switch acts at once; the click does not expand the row.
        QTest::mouseClick(row(0)->launchSwitch(), Qt::LeftButton);
        QVERIFY(c.selectedProfile()->placements[0].arrangeOnLaunch);
        QVERIFY(row(0)->launchSwitch()->isChecked());
        QVERIFY(!row(0)->isExpanded());
        // Keyboard: Space on the focused summary line expands it.
        row(1)->summaryButton()->setFocus();
        QTest::keyClick(row(1)->summaryButton(), Qt::Key_Space);
        QVERIFY(row(1)->isExpanded());
    }

    void theFieldTakesWholeTextsOnlyAndSettlesOnWholePercent() {
        struct Case {
            QString typed;
            double value;
            QString shown;
        };
        const QList<Case> cases{
            {QStringLiteral(" 40"), 0.5, QStringLiteral(" 40")}, // leading white space
            {QStringLiteral("40"), 0.4, QStringLiteral("40")},
            {QStringLiteral("4x"), 0.5, QStringLiteral("4x")},
            {QString(), 0.5, QString()},
            {QStringLiteral("12."), 0.12, QStringLiteral("12")},
            {QStringLiteral("12.6"), 0.13, QStringLiteral("13")},
            {QStringLiteral("-3"), -0.03, QStringLiteral("-3")},
            {QStringLiteral("nan"), 0.5, QStringLiteral("nan")}, // no area is made of these
            {QStringLiteral("inf"), 0.5, QStringLiteral("inf")},
        };
        for (const Case& c : cases) {
            FrameField field(QStringLiteral("幅"), 0.5);
            QCOMPARE(field.lineEdit()->text(), QStringLiteral("50"));
            typeInto(&field, c.typed);
            QVERIFY2(field.value() == c.value, qPrintable(c.typed));
            QCOMPARE(field.lineEdit()->text(), c.shown);
        }
    }

    void theEditorPreviewsTheClampedDraftAndSavesIt() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), {0, 0, 0.5, 1})});
        ProbeViewModel& c = h.start();
        auto* pane = new RegisteredAppsPane(c);
        Shown shown(pane);
        PlacementRow* row = pane->rows()[0];
        QTest::mouseClick(row->summaryButton(), Qt::LeftButton);
        PlacementDetail* detail = row->detail();
        QAbstractButton* save = buttonNamed(detail, QStringLiteral("変更を保存"));
        QVERIFY(!save->isEnabled());

        typeInto(field(detail, 0), QStringLiteral("96"));
        QCOMPARE(detail->draftFrame().x, 0.96);
        const PlacementPreview* preview = detail->findChild<PlacementPreview*>();
        QCOMPARE(preview->frame().x, 0.95);
        QCOMPARE(preview->frame().width, 1 - 0.95);
        QCOMPARE(c.selectedProfile()->placements[0].frame.x, 0.0); // nothing saved yet
        QVERIFY(save->isEnabled());
        saveScreenshot(&shown.window, QStringLiteral("apps-detail"));

        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(c.selectedProfile()->placements[0].frame, (NormalizedFrame{0.95, 0, 1 - 0.95, 1}));
        QCOMPARE(fieldTexts(detail), (QStringList{"95", "0", "5", "100"}));
        QVERIFY(!save->isEnabled());
        QCOMPARE(row->detail(), detail); // the same row and editor after the state changed

        // A draft that clamps back to the stored area cannot be saved.
        typeInto(field(detail, 0), QStringLiteral("99"));
        QVERIFY(!save->isEnabled());
        typeInto(field(detail, 1), QStringLiteral("10"));
        QVERIFY(save->isEnabled());

        QTest::mouseClick(buttonNamed(detail, QStringLiteral("プロファイルから削除")), Qt::LeftButton);
        QVERIFY(c.selectedProfile()->placements.isEmpty());
        QVERIFY(pane->showsEmptyState());
    }

    void expandedRowsKeepTheirOwnDraftsAcrossChanges() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), {0, 0, 0.5, 1}),
                placementFor(mail, QStringLiteral("Mail"), {0.5, 0, 0.5, 1})});
        ProbeViewModel& c = h.start();
        auto* pane = new RegisteredAppsPane(c);
        Shown shown(pane);
        // Anywhere on the line: on its button, or on a text inside it.
        QTest::mouseClick(pane->rows()[0]->summaryButton(), Qt::LeftButton);
        QTest::mouseClick(pane->rows()[1]->findChild<QLabel*>(), Qt::LeftButton);
        PlacementRow* first = pane->rows()[0];
        PlacementRow* second = pane->rows()[1];
        typeInto(field(first->detail(), 1), QStringLiteral("10"));
        typeInto(field(second->detail(), 1), QStringLiteral("30"));

        QTest::mouseClick(second->launchSwitch(), Qt::LeftButton); // the state changes underneath
        QCOMPARE(pane->rows()[0], first);
        QVERIFY(first->isExpanded() && second->isExpanded());
        QCOMPARE(first->detail()->draftFrame().y, 0.1);
        QCOMPARE(second->detail()->draftFrame().y, 0.3);
        saveScreenshot(&shown.window, QStringLiteral("apps-two-expanded"));

        // Collapsing drops the draft; expanding again starts from the stored area.
        QTest::mouseClick(first->summaryButton(), Qt::LeftButton);
        QTest::mouseClick(first->summaryButton(), Qt::LeftButton);
        QCOMPARE(first->detail()->draftFrame().y, 0.0);
    }

    void theAutomationPaneListsEveryApplicationAndFollowsTheController() {
        ControllerHarness h;
        h.seed({placementFor(editor, QStringLiteral("Editor"), {0, 0, 0.5, 1}),
                placementFor(mail, QStringLiteral("Mail"), {0.5, 0, 0.5, 1}, primaryDisplay(), true),
                placementFor(QStringLiteral("org.example.Term"), QStringLiteral("Term"), {0, 0, 1, 1})});
        h.desktop.world().loginItemNeedsApproval = true;
        ProbeViewModel& c = h.start();
        auto* pane = new AutomationSettingsView(c);
        Shown shown(pane);
        QVERIFY(labelTexts(pane).contains(QStringLiteral("ログイン時にStellwickを起動")));
        const auto launchSwitches = [&] {
            QList<SwitchButton*> found;
            for (QWidget* line : pane->findChildren<QWidget*>(QStringLiteral("launchLine")))
                if (line->isVisibleTo(pane))
                    found << line->findChild<SwitchButton*>();
            return found;
        };
        QCOMPARE(launchSwitches().size(), 3);
        QCOMPARE(launchSwitches()[1]->isChecked(), true);
        saveScreenshot(&shown.window, QStringLiteral("automation"));

        QTest::mouseClick(launchSwitches()[2], Qt::LeftButton);
        QVERIFY(c.selectedProfile()->placements[2].arrangeOnLaunch);

        // The login item needs approval: the switch shows what is in force.
        SwitchButton* loginSwitch = pane->findChild<SwitchButton*>();
        QTest::keyClick(loginSwitch, Qt::Key_Space); // by keyboard
        QVERIFY(!loginSwitch->isChecked());
        QCOMPARE(c.statusMessage(), QStringLiteral("ログイン時の起動を無効にしました"));

        c.createProfile(QStringLiteral("空"));
        QCOMPARE(launchSwitches().size(), 0);
        QVERIFY(labelTexts(pane).contains(
            QStringLiteral("登録アプリはありません。登録アプリ画面から配置を追加してください。")));
    }

    void theBannerLeadsToThePermissionSectionWhichChecksAgain() {
        ControllerHarness h;
        h.desktop.world().trusted = false;
        ProbeViewModel& c = h.start();
        ContentView content(c, nullptr);
        content.resize(900, 560);
        content.show();
        auto* pane = content.findChild<PermissionSettingsView*>();
        const auto stripShown = [&] {
            return pane->findChild<QWidget*>(QStringLiteral("permissionWarningStrip"))->isVisible();
        };
        content.setSection(SettingsSection::permission);
        QVERIFY(stripShown() && labelTexts(pane).contains(QStringLiteral("許可が必要です")));
        QVERIFY(buttonNamed(pane, QStringLiteral("許可する…")));
        saveScreenshot(&content, QStringLiteral("permission-missing"));
        content.setSection(SettingsSection::applications);
        saveScreenshot(&content, QStringLiteral("permission-banner"));

        // Granted elsewhere: the banner shows the last check until the section is shown again.
        h.desktop.world().trusted = true;
        QTest::mouseClick(buttonNamed(content.permissionBanner(), QStringLiteral("権限を確認")),
                          Qt::LeftButton);
        QCOMPARE(content.section(), SettingsSection::permission);
        QVERIFY(c.isTrusted());
        QVERIFY(content.permissionBanner()->isHidden());
        QVERIFY(!stripShown() && labelTexts(pane).contains(QStringLiteral("許可済み")));
        saveScreenshot(&content, QStringLiteral("permission-granted"));

        QTest::mouseClick(buttonNamed(pane, QStringLiteral("システム設定で確認")), Qt::LeftButton);
        QCOMPARE(h.desktop.world().openedURLs.size(), 1u);
    }
};

QTEST_MAIN(SettingsPanesTest)
#include "tst_settingspanes.moc"
