// The settings window and its parts, offscreen on the simulated desktop: the
// sidebar's rows, counts and enabling rules, the header's subtitle, the
// profile-name sheet's blank-name rules, the delete confirmation acting on the
// profile it was built for, the permission banner and section, the registered
// applications with their editor, the automation switches, and the
// click-to-select run with its status bar and sheets; each read and driven the
// way a user would.

#include "UiTestSupport.h"
#include "ui/AppIcon.h"
#include "ui/AutomationSettingsView.h"
#include "ui/ContentView.h"
#include "ui/DeleteProfileConfirmation.h"
#include "ui/DisplayText.h"
#include "ui/FrameField.h"
#include "ui/PermissionSettingsView.h"
#include "ui/PlacementDetail.h"
#include "ui/PlacementPreview.h"
#include "ui/PlacementRow.h"
#include "ui/ProfileNameSheet.h"
#include "ui/ProfileSidebar.h"
#include "ui/RegisteredAppsPane.h"
#include "ui/SelectionSheetPresenter.h"
#include "ui/SelectionStatusBar.h"
#include "ui/SettingsWindow.h"
#include "ui/SwitchButton.h"
#include "ui/WindowSelectionConfirmationSheet.h"

#include <QAccessible>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const QString editor = QStringLiteral("org.example.Editor");
const QString mail = QStringLiteral("org.example.Mail");

QList<AppPlacement> placements(int count) {
    QList<AppPlacement> result;
    for (int index = 0; index < count; ++index)
        result.append(placementFor(QStringLiteral("app.%1").arg(index), QStringLiteral("App %1").arg(index),
                                   NormalizedFrame{0, 0, 0.5, 0.5}));
    return result;
}

QToolButton* footerButton(QWidget& window, const QString& label) {
    for (QToolButton* button : window.findChildren<QToolButton*>())
        if (button->accessibleName() == label)
            return button;
    return nullptr;
}

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

// A part alone in a window as wide as the settings window.
struct Shown {
    explicit Shown(QWidget* part, int height = 460) {
        part->setParent(&window);
        (new QVBoxLayout(&window))->addWidget(part);
        window.layout()->setContentsMargins(0, 0, 0, 0);
        window.resize(840, height);
        window.show();
    }
    QWidget window;
};

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ControllerHarness> m_harness;
    QPointer<SettingsWindow> m_window;
    std::unique_ptr<Shown> m_shown;
    SelectionStatusBar* m_bar = nullptr;
    SelectionSheetPresenter* m_presenter = nullptr;

    ProbeViewModel& model() { return m_harness->controller(); }

    // The settings window over a controller on these placements, active.
    SettingsWindow& open(const QList<AppPlacement>& seeded = {}) {
        m_harness->seed(seeded);
        m_window = new SettingsWindow(m_harness->start());
        m_window->present();
        [&] { QVERIFY(QTest::qWaitForWindowActive(m_window)); }();
        return *m_window;
    }

    // A pane of this kind over a controller on these placements, alone in a window.
    template <class Pane> Pane* show(const QList<AppPlacement>& seeded = {}) {
        m_harness->seed(seeded);
        auto* pane = new Pane(m_harness->start());
        m_shown = std::make_unique<Shown>(pane);
        return pane;
    }
    QWidget* window() { return &m_shown->window; }

    ProfileNameSheet* nameSheet() { return m_window->content()->profileSheet(); }

    // The click-to-select run's status bar and sheets, over a desktop with
    // one editor window.
    ProbeViewModel& openSelection() {
        m_harness->desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(m_harness->desktop, 100, Rect{100, 125, 720, 437.5}, QStringLiteral("main.cpp"));
        ProbeViewModel& c = m_harness->start();
        m_bar = new SelectionStatusBar(c, nullptr);
        m_shown = std::make_unique<Shown>(m_bar, 120);
        m_presenter = new SelectionSheetPresenter(c, window());
        return c;
    }
    void clickAt(double x, double y) {
        m_harness->desktop.click({x, 900 - y});
        m_harness->desktop.clock().runPending();
    }
    QDialog* selectionSheet() const { return m_presenter->currentSheet(); }

    // Attached to the window when it is active, else on its own.
    static DeleteProfileConfirmation* confirmation() {
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* box = qobject_cast<DeleteProfileConfirmation*>(widget))
                return box;
        return nullptr;
    }

private slots:
    void initTestCase() { useFixedLook(); }
    void init() { m_harness = std::make_unique<ControllerHarness>(); }
    void cleanup() {
        delete m_window.data();
        m_shown.reset();
        m_harness.reset();
    }

    void theSidebarCountsAndEnablesDeleteOnlyWithTwoProfiles() {
        SettingsWindow& window = open(placements(3));
        QListWidget* list = window.content()->sidebar()->list();
        QToolButton* minus = footerButton(window, QStringLiteral("プロファイルを削除"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->data(Qt::AccessibleTextRole).toString(), QStringLiteral("作業、3アプリ"));
        QVERIFY(!minus->isEnabled());

        model().createProfile(QStringLiteral("夜"));
        QVERIFY(minus->isEnabled());
        QVERIFY(!buttonNamed(&window, QStringLiteral("今すぐ復元"))->isEnabled()); // 夜 has no apps
        QVERIFY(labelTexts(&window).contains(QStringLiteral("2件")));

        // Choosing a row selects through the controller.
        list->setCurrentRow(0);
        QCOMPARE(model().selectedProfile()->name, QStringLiteral("作業"));
        QVERIFY(buttonNamed(&window, QStringLiteral("今すぐ復元"))->isEnabled());
        saveScreenshot(&window, QStringLiteral("settings-window"));
    }

    void theSubtitleCountsAppsAndShowsTheLastChange() {
        LayoutProfile profile = LayoutProfile::make(QStringLiteral("作業"), Date{});
        QCOMPARE(profileSubtitle(std::nullopt), QStringLiteral("アプリ未登録"));
        QCOMPARE(profileSubtitle(profile), QStringLiteral("アプリ未登録"));
        profile.placements = placements(2);
        profile.modifiedAt.reset();
        QCOMPARE(profileSubtitle(profile), QStringLiteral("2アプリ"));

        const QDateTime changed(QDate(2026, 3, 1), QTime(9, 5));
        profile.modifiedAt = Date::fromUnixTime(double(changed.toSecsSinceEpoch()));
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        QCOMPARE(profileSubtitle(profile, japanese), QStringLiteral("2アプリ・最終更新 2026年3月1日 9:05"));
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(profileSubtitle(profile, english), QStringLiteral("2アプリ・最終更新 Mar 1, 2026 9:05 AM"));
    }

    void theNameSheetRefusesBlankNamesAndEscapeChangesNothing() {
        SettingsWindow& window = open();
        footerButton(window, QStringLiteral("プロファイル名を変更"))->click();
        QCOMPARE(nameSheet()->mode(), ProfileDialog::rename);
        QLineEdit* field = nameSheet()->findChild<QLineEdit*>();
        QCOMPARE(field->text(), QStringLiteral("作業"));
        QAbstractButton* change = buttonNamed(nameSheet(), QStringLiteral("変更"));
        const auto blankShown = [&] {
            return labelTexts(nameSheet()).contains(QStringLiteral("空白のみの名前は使用できません"));
        };

        field->setText(QStringLiteral(" \u3000\n"));
        QVERIFY(blankShown() && !change->isEnabled());
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(nameSheet());
        field->clear();
        QVERIFY(!blankShown() && !change->isEnabled());
        field->setText(QStringLiteral("  夜 "));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(!nameSheet());
        QCOMPARE(model().selectedProfile()->name, QStringLiteral("夜")); // the controller trims

        footerButton(window, QStringLiteral("新規プロファイル"))->click();
        QCOMPARE(nameSheet()->mode(), ProfileDialog::create);
        QTest::keyClicks(nameSheet()->findChild<QLineEdit*>(), QStringLiteral("Other"));
        QTest::keyClick(nameSheet(), Qt::Key_Escape);
        QTRY_VERIFY(!nameSheet());
        QCOMPARE(model().state().profiles.size(), 1);
    }

    void theDeleteConfirmationDeletesOnlyOnDeleteAndOnlyItsProfile() {
        SettingsWindow& window = open();
        model().createProfile(QStringLiteral("夜"));
        model().selectProfile(model().state().profiles[1].id);
        QToolButton* minus = footerButton(window, QStringLiteral("プロファイルを削除"));

        minus->click();
        auto* box = window.findChild<DeleteProfileConfirmation*>(); // a sheet of the active window
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("「夜」を削除しますか？"));
        QCOMPARE(box->informativeText(),
                 QStringLiteral("登録された0アプリの配置も削除されます。この操作は取り消せません。"));
        QTest::keyClick(box, Qt::Key_Escape);
        QTRY_VERIFY(!confirmation());
        QCOMPARE(model().state().profiles.size(), 2);

        // The answer acts on the profile the question was built for.
        minus->click();
        model().selectProfile(model().state().profiles[0].id);
        confirmation()->deleteButton()->click();
        QCOMPARE(model().state().profiles.size(), 1);
        QCOMPARE(model().state().profiles[0].name, QStringLiteral("作業"));
    }

    // The banner shows outside the permission section while access is
    // missing, and leads there; that section checks again.
    void theBannerLeadsToThePermissionSectionWhichChecksAgain() {
        m_harness->desktop.world().trusted = false;
        ContentView* content = open().content();
        auto* pane = content->findChild<PermissionSettingsView*>();
        const auto stripShown = [&] {
            return pane->findChild<QWidget*>(QStringLiteral("permissionWarningStrip"))->isVisible();
        };
        QCOMPARE(content->section(), SettingsSection::applications);
        QVERIFY(!content->permissionBanner()->isHidden());
        saveScreenshot(m_window, QStringLiteral("permission-banner"));
        content->setSection(SettingsSection::automation);
        QVERIFY(!content->permissionBanner()->isHidden());
        content->setSection(SettingsSection::permission);
        QVERIFY(content->permissionBanner()->isHidden());
        QVERIFY(stripShown() && labelTexts(pane).contains(QStringLiteral("許可が必要です")));
        QVERIFY(buttonNamed(pane, QStringLiteral("許可する…")));
        saveScreenshot(m_window, QStringLiteral("permission-missing"));

        // Granted elsewhere: the banner shows the last check until the section is shown again.
        content->setSection(SettingsSection::applications);
        m_harness->desktop.world().trusted = true;
        QTest::mouseClick(buttonNamed(content->permissionBanner(), QStringLiteral("権限を確認")),
                          Qt::LeftButton);
        QCOMPARE(content->section(), SettingsSection::permission);
        QVERIFY(model().isTrusted());
        QVERIFY(content->permissionBanner()->isHidden());
        QVERIFY(!stripShown() && labelTexts(pane).contains(QStringLiteral("許可済み")));
        saveScreenshot(m_window, QStringLiteral("permission-granted"));
        QTest::mouseClick(buttonNamed(pane, QStringLiteral("システム設定で確認")), Qt::LeftButton);
        QCOMPARE(m_harness->desktop.world().openedURLs.size(), 1u);
    }

    void closingTheWindowEndsASelectionRun() {
        SettingsWindow& window = open();
        model().beginWindowSelection();
        QVERIFY(model().selectionPhase().isSelecting());
        window.close();
        QVERIFY(model().selectionPhase().isIdle());
        QCOMPARE(model().status().title, QStringLiteral("ウィンドウ選択をキャンセルしました"));
    }

    void theEmptyStateGivesWayToTheFirstRegisteredApplication() {
        m_harness->desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(m_harness->desktop, 100, Rect{0, 25, 720, 875}, QStringLiteral("main.cpp"));
        auto* pane = show<RegisteredAppsPane>();
        QVERIFY(pane->showsEmptyState());
        saveScreenshot(window(), QStringLiteral("apps-empty"));

        QTest::mouseClick(buttonNamed(pane, QStringLiteral("ウィンドウを選択")), Qt::LeftButton);
        QVERIFY(model().selectionPhase().isSelecting());
        m_harness->desktop.click({300, 400});
        m_harness->desktop.clock().runPending();
        model().saveSelectedWindow();

        QVERIFY(!pane->showsEmptyState());
        QCOMPARE(pane->rows().size(), 1u);
        QCOMPARE(pane->rows()[0]->summaryButton()->accessibleName(), QStringLiteral("Editorの配置詳細"));
        QVERIFY(labelTexts(pane).contains(QStringLiteral("保存時のウィンドウ：main.cpp")));
        QVERIFY(labelTexts(pane).contains(QStringLiteral("0,0 · 50×100%")));
    }

    void rowsShowTheirPlacementAndKeepTheirOwnDrafts() {
        AppPlacement titled = placementFor(editor, QStringLiteral("Editor"), {0.25, 0, 0.5, 1});
        titled.capturedWindowTitle = QString();
        AppPlacement bare = placementFor(mail, QStringLiteral("Mail"), {0.5, 0.1, 0.3333, 0.8},
                                         DisplayReference{2, std::nullopt, std::nullopt}, true);
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::red);
        m_harness->desktop.world().icons.insert(editor, icon);
        auto* pane = show<RegisteredAppsPane>({titled, bare});
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
        saveScreenshot(window(), QStringLiteral("apps-list"));

        // Assistive technology sees a check box it can toggle.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(row(0)->launchSwitch());
        QCOMPARE(accessible->role(), QAccessible::CheckBox);
        QVERIFY(accessible->state().checkable && !accessible->state().checked);

        // The switch acts at once; the click does not expand the row.
        QTest::mouseClick(row(0)->launchSwitch(), Qt::LeftButton);
        QVERIFY(model().selectedProfile()->placements[0].arrangeOnLaunch);
        QVERIFY(row(0)->launchSwitch()->isChecked());
        QVERIFY(!row(0)->isExpanded());
        // Keyboard: Space on the focused summary line expands it; so does a
        // click anywhere on the line, on a text inside it too.
        row(1)->summaryButton()->setFocus();
        QTest::keyClick(row(1)->summaryButton(), Qt::Key_Space);
        QVERIFY(row(1)->isExpanded());
        QTest::mouseClick(row(0)->findChild<QLabel*>(), Qt::LeftButton);
        QVERIFY(row(0)->isExpanded());

        // Each expanded row keeps its own draft while the state changes underneath.
        PlacementRow* first = row(0);
        typeInto(field(first->detail(), 1), QStringLiteral("10"));
        typeInto(field(row(1)->detail(), 1), QStringLiteral("30"));
        QTest::mouseClick(row(1)->launchSwitch(), Qt::LeftButton);
        QCOMPARE(row(0), first);
        QCOMPARE(first->detail()->draftFrame().y, 0.1);
        QCOMPARE(row(1)->detail()->draftFrame().y, 0.3);
        saveScreenshot(window(), QStringLiteral("apps-two-expanded"));

        // Collapsing drops the draft; expanding again starts from the stored area.
        QTest::mouseClick(first->summaryButton(), Qt::LeftButton);
        QTest::mouseClick(first->summaryButton(), Qt::LeftButton);
        QCOMPARE(first->detail()->draftFrame().y, 0.0);
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
        auto* pane =
            show<RegisteredAppsPane>({placementFor(editor, QStringLiteral("Editor"), {0, 0, 0.5, 1})});
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
        QCOMPARE(model().selectedProfile()->placements[0].frame.x, 0.0); // nothing saved yet
        QVERIFY(save->isEnabled());
        saveScreenshot(window(), QStringLiteral("apps-detail"));

        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(model().selectedProfile()->placements[0].frame, (NormalizedFrame{0.95, 0, 1 - 0.95, 1}));
        QCOMPARE(fieldTexts(detail), (QStringList{"95", "0", "5", "100"}));
        QVERIFY(!save->isEnabled());
        QCOMPARE(row->detail(), detail); // the same row and editor after the state changed

        // A draft that clamps back to the stored area cannot be saved.
        typeInto(field(detail, 0), QStringLiteral("99"));
        QVERIFY(!save->isEnabled());
        typeInto(field(detail, 1), QStringLiteral("10"));
        QVERIFY(save->isEnabled());

        QTest::mouseClick(buttonNamed(detail, QStringLiteral("プロファイルから削除")), Qt::LeftButton);
        QVERIFY(model().selectedProfile()->placements.isEmpty());
        QVERIFY(pane->showsEmptyState());
    }

    void theAutomationPaneListsEveryApplicationAndFollowsTheController() {
        m_harness->desktop.world().loginItemNeedsApproval = true;
        auto* pane = show<AutomationSettingsView>(
            {placementFor(editor, QStringLiteral("Editor"), {0, 0, 0.5, 1}),
             placementFor(mail, QStringLiteral("Mail"), {0.5, 0, 0.5, 1}, primaryDisplay(), true),
             placementFor(QStringLiteral("org.example.Term"), QStringLiteral("Term"), {0, 0, 1, 1})});
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
        saveScreenshot(window(), QStringLiteral("automation"));

        QTest::mouseClick(launchSwitches()[2], Qt::LeftButton);
        QVERIFY(model().selectedProfile()->placements[2].arrangeOnLaunch);

        // The login item needs approval: the switch shows what is in force.
        SwitchButton* loginSwitch = pane->findChild<SwitchButton*>();
        QTest::keyClick(loginSwitch, Qt::Key_Space); // by keyboard
        QVERIFY(!loginSwitch->isChecked());
        QCOMPARE(model().statusMessage(), QStringLiteral("ログイン時の起動を無効にしました"));

        model().createProfile(QStringLiteral("空"));
        QCOMPARE(launchSwitches().size(), 0);
        QVERIFY(labelTexts(pane).contains(
            QStringLiteral("登録アプリはありません。登録アプリ画面から配置を追加してください。")));
    }

    void theBarFollowsEachPhase() {
        ProbeViewModel& c = openSelection();
        QVERIFY(m_bar->isHidden());

        c.beginWindowSelection();
        QVERIFY(m_bar->isVisible());
        QVERIFY(labelTexts(m_bar).contains(QStringLiteral("保存したいウィンドウをクリックしてください")));
        QCOMPARE(buttonTexts(m_bar), QStringList{QStringLiteral("キャンセル")});
        saveScreenshot(m_bar, QStringLiteral("bar-selecting"));
        m_bar->setFocus();
        QTest::keyClick(m_bar, Qt::Key_Escape);
        QVERIFY(c.selectionPhase().isIdle());
        QVERIFY(m_bar->isHidden());

        c.beginWindowSelection();
        clickAt(300, 300);
        QVERIFY(labelTexts(m_bar).contains(QStringLiteral("Editor — main.cpp")));
        QCOMPARE(buttonTexts(m_bar),
                 (QStringList{QStringLiteral("選び直す"), QStringLiteral("プロファイルに保存")}));
        saveScreenshot(m_bar, QStringLiteral("bar-selected"));
        QTest::mouseClick(buttonNamed(m_bar, QStringLiteral("選び直す")), Qt::LeftButton);
        QVERIFY(c.selectionPhase().isSelecting());

        clickAt(1300, 800); // the bare desktop
        QVERIFY(labelTexts(m_bar).contains(
            QStringLiteral("現在のSpaceに配置可能な通常ウィンドウがありません。")));
        QCOMPARE(buttonTexts(m_bar), QStringList{QStringLiteral("再試行")});
        saveScreenshot(m_bar, QStringLiteral("bar-failed"));
    }

    void theConfirmationSheetSavesOnReturnAndCancelsOnEscape() {
        ProbeViewModel& c = openSelection();
        c.beginWindowSelection();
        clickAt(300, 300);
        QDialog* sheet = selectionSheet();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        const QStringList texts = labelTexts(sheet);
        for (const char* expected :
             {"このウィンドウを保存しますか？", "Editor", "main.cpp", "Built-in Display"})
            QVERIFY2(texts.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(sheet->findChild<PlacementPreview*>());
        QCOMPARE(buttonTexts(sheet), (QStringList{QStringLiteral("キャンセル"), QStringLiteral("選び直す"),
                                                  QStringLiteral("プロファイルに保存")}));
        saveScreenshot(sheet, QStringLiteral("sheet-confirmation"));

        QTest::keyClick(sheet, Qt::Key_Escape);
        QVERIFY(c.selectionPhase().isIdle());
        QVERIFY(!selectionSheet());
        QVERIFY(c.selectedProfile()->placements.isEmpty());

        c.beginWindowSelection();
        clickAt(300, 300);
        // Return saves, whichever button has focus.
        QTest::keyClick(buttonNamed(selectionSheet(), QStringLiteral("キャンセル")), Qt::Key_Return);
        QVERIFY(c.selectionPhase().isIdle());
        QVERIFY(!selectionSheet());
        QCOMPARE(c.selectedProfile()->placements.size(), 1);
        QCOMPARE(c.selectedProfile()->placements[0].bundleIdentifier, editor);
    }

    void aCandidateOnNoDisplayHasNoPreview() {
        ProbeViewModel& c = m_harness->start();
        const WindowSelectionCandidate gone{editor, QStringLiteral("Editor"), QStringLiteral("main.cpp"),
                                            Rect{3000, 100, 400, 300}, DisplayReference{}};
        WindowSelectionConfirmationSheet sheet(c, gone, nullptr);
        QVERIFY(!sheet.findChild<PlacementPreview*>());
        QVERIFY(labelTexts(&sheet).contains(QStringLiteral("ディスプレイ")));
    }

    void theFailureSheetOffersWhatTheMissingPermissionAllows() {
        m_harness->desktop.world().trusted = false;
        ProbeViewModel& c = openSelection();
        c.beginWindowSelection();
        QDialog* sheet = selectionSheet();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(buttonTexts(sheet),
                 (QStringList{QStringLiteral("キャンセル"), QStringLiteral("システム設定を開く")}));
        QVERIFY(labelTexts(sheet).contains(
            QStringLiteral("ウィンドウの取得と移動にはアクセシビリティ権限が必要です。")));
        saveScreenshot(sheet, QStringLiteral("sheet-failure-untrusted"));
        QTest::mouseClick(buttonNamed(sheet, QStringLiteral("システム設定を開く")), Qt::LeftButton);
        QCOMPARE(m_harness->desktop.world().openedURLs.size(), 1u);
        QCOMPARE(selectionSheet(), sheet); // still failed: the sheet stays

        // Granted meanwhile: another try is offered.
        m_harness->desktop.world().trusted = true;
        c.refreshPermissionStatus();
        QCOMPARE(buttonTexts(sheet), (QStringList{QStringLiteral("キャンセル"), QStringLiteral("選び直す"),
                                                  QStringLiteral("再試行")}));
        QVERIFY(labelTexts(sheet).contains(
            QStringLiteral("全画面表示のアプリや一部のシステムウィンドウは対象外です。")));
        saveScreenshot(sheet, QStringLiteral("sheet-failure-trusted"));
        QTest::mouseClick(buttonNamed(sheet, QStringLiteral("再試行")), Qt::LeftButton);
        QVERIFY(c.selectionPhase().isSelecting());
        QVERIFY(!selectionSheet());

        // A sheet closed by the window manager ends the run.
        clickAt(1300, 800);
        QVERIFY(selectionSheet());
        selectionSheet()->close();
        QVERIFY(c.selectionPhase().isIdle());
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "tst_settingswindow.moc"
