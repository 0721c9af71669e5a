// The settings window and its parts, offscreen on the simulated desktop, each
// read and driven the way a user would: the sidebar with its sheets, the
// permission banner, the registered applications with their editor, and the
// click-to-select run with its bar and sheets.

#include "UiTestSupport.h"
#include "ui/ContentView.h"
#include "ui/DeleteProfileConfirmation.h"
#include "ui/FrameField.h"
#include "ui/PermissionSettingsView.h"
#include "ui/PlacementDetail.h"
#include "ui/PlacementPreview.h"
#include "ui/PlacementRow.h"
#include "ui/ProfileNameSheet.h"
#include "ui/ProfileSidebar.h"
#include "ui/RegisteredAppsPane.h"
#include "ui/SelectionStatusBar.h"
#include "ui/SettingsWindow.h"
#include "ui/SwitchButton.h"
#include "ui/WindowSelectionConfirmationSheet.h"

#include <QAccessible>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

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

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ControllerHarness> m_harness;
    QPointer<SettingsWindow> m_window;

    ProbeViewModel& model() { return m_harness->controller(); }

    // The settings window over a controller on these placements, active.
    SettingsWindow& open(const QList<AppPlacement>& seeded = {}) {
        m_harness->seed(seeded);
        m_window = new SettingsWindow(m_harness->start());
        m_window->present();
        [&] { QVERIFY(QTest::qWaitForWindowActive(m_window)); }();
        return *m_window;
    }
    // The panes carry no meta-object of their own: found by their C++ type.
    template <class Part> Part* part() const {
        for (QWidget* widget : m_window->findChildren<QWidget*>())
            if (auto* found = dynamic_cast<Part*>(widget))
                return found;
        return nullptr;
    }
    ProfileNameSheet* nameSheet() const { return m_window->content()->profileSheet(); }

    // The settings window over a desktop with one editor window, for the
    // click-to-select run.
    ProbeViewModel& openSelection() {
        m_harness->desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(m_harness->desktop, 100, Rect{100, 125, 720, 437.5}, QStringLiteral("main.cpp"));
        open();
        return model();
    }
    void clickAt(double x, double y) {
        m_harness->desktop.click({x, 900 - y});
        m_harness->desktop.clock().runPending();
    }
    // The shown sheet of the click-to-select run.
    QDialog* selectionSheet() const {
        for (QDialog* sheet : m_window->findChildren<QDialog*>())
            if (sheet->isVisible())
                return sheet;
        return nullptr;
    }

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
        m_harness.reset();
    }

    // The footer's buttons, the name sheet's blank-name rule, and the delete
    // confirmation acting on the profile it was built for.
    void theSidebarManagesProfilesThroughItsSheets() {
        SettingsWindow& window = open(placements(3));
        QListWidget* list = window.content()->sidebar()->list();
        QToolButton* minus = footerButton(window, QStringLiteral("プロファイルを削除"));
        QCOMPARE(list->item(0)->data(Qt::AccessibleTextRole).toString(), QStringLiteral("作業、3アプリ"));
        QVERIFY(!minus->isEnabled()); // the last profile stays

        footerButton(window, QStringLiteral("プロファイル名を変更"))->click();
        QLineEdit* field = nameSheet()->findChild<QLineEdit*>();
        QCOMPARE(field->text(), QStringLiteral("作業"));
        field->setText(QStringLiteral(" \u3000\n"));
        QVERIFY(labelTexts(nameSheet()).contains(QStringLiteral("空白のみの名前は使用できません")));
        QVERIFY(!buttonNamed(nameSheet(), QStringLiteral("変更"))->isEnabled());
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(nameSheet());
        field->setText(QStringLiteral("  夜 "));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(!nameSheet());
        QCOMPARE(model().selectedProfile()->name, QStringLiteral("夜")); // the controller trims

        footerButton(window, QStringLiteral("新規プロファイル"))->click();
        QTest::keyClicks(nameSheet()->findChild<QLineEdit*>(), QStringLiteral("Other"));
        QTest::keyClick(nameSheet(), Qt::Key_Escape);
        QTRY_VERIFY(!nameSheet());
        QCOMPARE(model().state().profiles.size(), 1);

        model().createProfile(QStringLiteral("朝"));
        QVERIFY(minus->isEnabled());
        QVERIFY(!buttonNamed(&window, QStringLiteral("今すぐ復元"))->isEnabled()); // 朝 has no apps
        list->setCurrentRow(0); // selects through the controller
        QCOMPARE(model().selectedProfile()->name, QStringLiteral("夜"));
        QVERIFY(buttonNamed(&window, QStringLiteral("今すぐ復元"))->isEnabled());

        minus->click();
        DeleteProfileConfirmation* box = confirmation();
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("「夜」を削除しますか？"));
        QTest::keyClick(box, Qt::Key_Escape);
        QTRY_VERIFY(!confirmation());
        minus->click();
        model().selectProfile(model().state().profiles[1].id);
        confirmation()->deleteButton()->click();
        QCOMPARE(model().state().profiles.size(), 1);
        QCOMPARE(model().state().profiles[0].name, QStringLiteral("朝"));
    }

    // The banner shows outside the permission section while access is
    // missing, and leads there; that section checks again.
    void theBannerLeadsToThePermissionSectionWhichChecksAgain() {
        m_harness->desktop.world().trusted = false;
        ContentView* content = open().content();
        auto* pane = part<PermissionSettingsView>();
        QVERIFY(!content->permissionBanner()->isHidden());
        content->setSection(SettingsSection::permission);
        QVERIFY(content->permissionBanner()->isHidden());
        QVERIFY(labelTexts(pane).contains(QStringLiteral("許可が必要です")));

        // Granted elsewhere: the banner shows the last check until the section is shown again.
        content->setSection(SettingsSection::applications);
        m_harness->desktop.world().trusted = true;
        QTest::mouseClick(buttonNamed(content->permissionBanner(), QStringLiteral("権限を確認")),
                          Qt::LeftButton);
        QCOMPARE(content->section(), SettingsSection::permission);
        QVERIFY(content->permissionBanner()->isHidden());
        QVERIFY(labelTexts(pane).contains(QStringLiteral("許可済み")));
    }

    // Each row shows its area, display and saved title; its launch switch
    // acts at once without expanding it; expanded rows keep their own drafts.
    void rowsShowTheirPlacementAndKeepTheirOwnDrafts() {
        AppPlacement titled = placementFor(editor, QStringLiteral("Editor"), {0.25, 0, 0.5, 1});
        titled.capturedWindowTitle = QString();
        AppPlacement bare = placementFor(mail, QStringLiteral("Mail"), {0.5, 0.1, 0.3333, 0.8},
                                         DisplayReference{2, std::nullopt, std::nullopt}, true);
        open({titled, bare});
        auto* pane = part<RegisteredAppsPane>();
        const auto row = [&](int i) { return pane->rows()[static_cast<std::size_t>(i)]; };
        const auto shows = [&](int i, const char* text) {
            return labelTexts(row(i)).contains(QString::fromUtf8(text));
        };
        QVERIFY(shows(0, "25,0 · 50×100%") && shows(0, "Built-in Display"));
        QVERIFY(shows(1, "50,10 · 33×80%") && shows(1, "ディスプレイ") && !shows(1, "保存時のウィンドウ："));

        // Assistive technology sees a check box it can toggle.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(row(0)->launchSwitch());
        QCOMPARE(accessible->role(), QAccessible::CheckBox);
        QVERIFY(accessible->state().checkable && !accessible->state().checked);
        QTest::mouseClick(row(0)->launchSwitch(), Qt::LeftButton);
        QVERIFY(model().selectedProfile()->placements[0].arrangeOnLaunch);
        QVERIFY(row(0)->launchSwitch()->isChecked() && !row(0)->isExpanded());
        // Space on the focused summary line expands it; so does a click on a text inside it.
        row(1)->summaryButton()->setFocus();
        QTest::keyClick(row(1)->summaryButton(), Qt::Key_Space);
        QVERIFY(row(1)->isExpanded());
        QTest::mouseClick(row(0)->findChild<QLabel*>(), Qt::LeftButton);
        QVERIFY(row(0)->isExpanded());

        // The state changing underneath keeps each draft; collapsing drops it.
        PlacementRow* first = row(0);
        typeInto(field(first->detail(), 1), QStringLiteral("10"));
        typeInto(field(row(1)->detail(), 1), QStringLiteral("30"));
        QTest::mouseClick(row(1)->launchSwitch(), Qt::LeftButton);
        QCOMPARE(row(0), first);
        QCOMPARE(first->detail()->draftFrame().y, 0.1);
        QCOMPARE(row(1)->detail()->draftFrame().y, 0.3);
        QTest::mouseClick(first->summaryButton(), Qt::LeftButton);
        QTest::mouseClick(first->summaryButton(), Qt::LeftButton);
        QCOMPARE(first->detail()->draftFrame().y, 0.0);
    }

    void theFieldTakesWholeNumbersOnlyAndSettlesOnWholePercent() {
        struct Case {
            QString typed;
            double value;
            QString shown;
        };
        const QList<Case> cases{
            {QStringLiteral("4x"), 0.5, QStringLiteral("4x")},
            {QStringLiteral("12.6"), 0.13, QStringLiteral("13")},
            {QStringLiteral("nan"), 0.5, QStringLiteral("nan")}, // no area is made of this
        };
        for (const Case& c : cases) {
            FrameField field(QStringLiteral("幅"), 0.5);
            typeInto(&field, c.typed);
            QVERIFY2(field.value() == c.value, qPrintable(c.typed));
            QCOMPARE(field.lineEdit()->text(), c.shown);
        }
    }

    // The preview shows the clamped draft, which is what is saved; removing
    // the last application leads back to the empty state, which starts a selection.
    void theEditorPreviewsTheClampedDraftAndSavesIt() {
        open({placementFor(editor, QStringLiteral("Editor"), {0, 0, 0.5, 1})});
        auto* pane = part<RegisteredAppsPane>();
        PlacementRow* row = pane->rows()[0];
        QTest::mouseClick(row->summaryButton(), Qt::LeftButton);
        PlacementDetail* detail = row->detail();
        QAbstractButton* save = buttonNamed(detail, QStringLiteral("変更を保存"));
        QVERIFY(!save->isEnabled());

        typeInto(field(detail, 0), QStringLiteral("96"));
        const PlacementPreview* preview = detail->findChild<PlacementPreview*>();
        QCOMPARE(preview->frame().x, 0.95);
        QCOMPARE(preview->frame().width, 1 - 0.95);
        QCOMPARE(model().selectedProfile()->placements[0].frame.x, 0.0); // nothing saved yet
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(model().selectedProfile()->placements[0].frame, (NormalizedFrame{0.95, 0, 1 - 0.95, 1}));
        QCOMPARE(field(detail, 0)->lineEdit()->text(), QStringLiteral("95"));
        QVERIFY(!save->isEnabled());
        QCOMPARE(row->detail(), detail); // the same row and editor after the state changed

        // A draft that clamps back to the stored area cannot be saved.
        typeInto(field(detail, 0), QStringLiteral("99"));
        QVERIFY(!save->isEnabled());

        QTest::mouseClick(buttonNamed(detail, QStringLiteral("プロファイルから削除")), Qt::LeftButton);
        QVERIFY(model().selectedProfile()->placements.isEmpty());
        QVERIFY(pane->showsEmptyState());
        QTest::mouseClick(buttonNamed(pane, QStringLiteral("ウィンドウを選択")), Qt::LeftButton);
        QVERIFY(model().selectionPhase().isSelecting());
    }

    // The bar follows each phase; the confirmation sheet saves on Return,
    // whichever button has focus, and cancels on Escape; closing the window
    // ends a run.
    void theBarAndTheSheetFollowEachPhase() {
        ProbeViewModel& c = openSelection();
        auto* bar = part<SelectionStatusBar>();
        QVERIFY(bar->isHidden());
        c.beginWindowSelection();
        QVERIFY(labelTexts(bar).contains(QStringLiteral("保存したいウィンドウをクリックしてください")));
        QCOMPARE(buttonTexts(bar), QStringList{QStringLiteral("キャンセル")});
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_Escape);
        QVERIFY(c.selectionPhase().isIdle() && bar->isHidden());

        c.beginWindowSelection();
        clickAt(300, 300);
        QVERIFY(labelTexts(bar).contains(QStringLiteral("Editor — main.cpp")));
        QCOMPARE(buttonTexts(bar),
                 (QStringList{QStringLiteral("選び直す"), QStringLiteral("プロファイルに保存")}));
        QDialog* sheet = selectionSheet();
        QVERIFY(sheet && sheet->isVisible());
        QVERIFY(labelTexts(sheet).contains(QStringLiteral("main.cpp")));
        QVERIFY(sheet->findChild<PlacementPreview*>());
        QTest::keyClick(sheet, Qt::Key_Escape);
        QVERIFY(c.selectionPhase().isIdle() && !selectionSheet());
        QVERIFY(c.selectedProfile()->placements.isEmpty());

        c.beginWindowSelection();
        clickAt(300, 300);
        QTest::keyClick(buttonNamed(selectionSheet(), QStringLiteral("キャンセル")), Qt::Key_Return);
        QVERIFY(c.selectionPhase().isIdle() && !selectionSheet());
        QCOMPARE(c.selectedProfile()->placements.size(), 1);

        c.beginWindowSelection();
        clickAt(1300, 800); // the bare desktop
        QVERIFY(
            labelTexts(bar).contains(QStringLiteral("現在のSpaceに配置可能な通常ウィンドウがありません。")));
        QCOMPARE(buttonTexts(bar), QStringList{QStringLiteral("再試行")});
        // A sheet closed by the window manager ends the run, and so does closing the window.
        selectionSheet()->close();
        QVERIFY(c.selectionPhase().isIdle());
        c.beginWindowSelection();
        m_window->close();
        QVERIFY(c.selectionPhase().isIdle());
        QCOMPARE(c.status().title, QStringLiteral("ウィンドウ選択をキャンセルしました"));
    }

    void aCandidateOnNoDisplayHasNoPreview() {
        ProbeViewModel& c = m_harness->start();
        const WindowSelectionCandidate gone{editor, QStringLiteral("Editor"), QStringLiteral("main.cpp"),
                                            Rect{3000, 100, 400, 300}, DisplayReference{}};
        WindowSelectionConfirmationSheet sheet(c, gone, nullptr);
        QVERIFY(!sheet.findChild<PlacementPreview*>());
        QVERIFY(labelTexts(&sheet).contains(QStringLiteral("ディスプレイ")));
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "tst_settingswindow.moc"
