// The settings window, offscreen: the sidebar's rows, counts and enabling
// rules, the header's subtitle, the profile-name sheet's blank-name rules, the
// delete confirmation acting on the profile it was built for, the permission
// banner, and the end of a click-to-select run when the window closes.

#include "UiTestSupport.h"
#include "model/LayoutJson.h"
#include "ui/ContentView.h"
#include "ui/DeleteProfileConfirmation.h"
#include "ui/DisplayText.h"
#include "ui/ProfileNameSheet.h"
#include "ui/ProfileSidebar.h"
#include "ui/SettingsWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::test;

namespace {

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

QPushButton* button(QWidget& parent, const QString& text) {
    for (QPushButton* candidate : parent.findChildren<QPushButton*>())
        if (candidate->text() == text)
            return candidate;
    return nullptr;
}

} // namespace

class ContentViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ViewFixture> m_fixture;
    QPointer<SettingsWindow> m_window;

    ProbeViewModel& model() { return m_fixture->harness.controller(); }

    SettingsWindow& open(const QList<AppPlacement>& seeded = {}) {
        m_fixture->harness.seed(seeded);
        m_fixture->start();
        m_window = new SettingsWindow(model());
        m_window->present();
        [&] { QVERIFY(QTest::qWaitForWindowActive(m_window)); }();
        return *m_window;
    }

    ProfileNameSheet* sheet() { return m_window->content()->profileSheet(); }

    // Attached to the window when it is active, else on its own.
    static DeleteProfileConfirmation* confirmation() {
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* box = qobject_cast<DeleteProfileConfirmation*>(widget))
                return box;
        return nullptr;
    }

private slots:
    void init() { m_fixture = std::make_unique<ViewFixture>(); }

    void cleanup() {
        delete m_window.data();
        m_fixture.reset();
    }

    void theSidebarCountsAndEnablesDeleteOnlyWithTwoProfiles() {
        SettingsWindow& window = open(placements(3));
        QListWidget* list = window.content()->sidebar()->list();
        QToolButton* minus = footerButton(window, QStringLiteral("プロファイルを削除"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->data(Qt::AccessibleTextRole).toString(), QStringLiteral("作業、3アプリ"));
        QVERIFY(!minus->isEnabled());
        QVERIFY(window.findChild<QLabel*>() != nullptr);

        model().createProfile(QStringLiteral("夜"));
        QVERIFY(minus->isEnabled());
        QVERIFY(button(window, QStringLiteral("今すぐ復元"))->isEnabled() == false); // 夜 has no apps
        bool footerReadsTwo = false;
        for (const QLabel* label : window.findChildren<QLabel*>())
            footerReadsTwo |= label->text() == QStringLiteral("2件");
        QVERIFY(footerReadsTwo);

        // Choosing a row selects through the controller.
        list->setCurrentRow(0);
        QCOMPARE(model().selectedProfile()->name, QStringLiteral("作業"));
        QVERIFY(button(window, QStringLiteral("今すぐ復元"))->isEnabled());
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

    void theRenameSheetRefusesBlankNames() {
        SettingsWindow& window = open();
        footerButton(window, QStringLiteral("プロファイル名を変更"))->click();
        QVERIFY(sheet());
        QCOMPARE(sheet()->mode(), ProfileDialog::rename);
        QLineEdit* field = sheet()->findChild<QLineEdit*>();
        QCOMPARE(field->text(), QStringLiteral("作業"));
        QPushButton* change = button(*sheet(), QStringLiteral("変更"));
        QLabel* blank = nullptr;
        for (QLabel* label : sheet()->findChildren<QLabel*>())
            if (label->text() == QStringLiteral("空白のみの名前は使用できません"))
                blank = label;
        QVERIFY(blank);

        field->setText(QStringLiteral(" \u3000\n"));
        QVERIFY(blank->isVisible());
        QVERIFY(!change->isEnabled());
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(sheet());
        field->clear();
        QVERIFY(!blank->isVisible());
        QVERIFY(!change->isEnabled());

        field->setText(QStringLiteral("  夜 "));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(!sheet());
        QCOMPARE(model().selectedProfile()->name, QStringLiteral("夜")); // the controller trims
    }

    void aProfileCreatedInTheSheetReachesTheFile() {
        SettingsWindow& window = open();
        footerButton(window, QStringLiteral("新規プロファイル"))->click();
        QCOMPARE(sheet()->mode(), ProfileDialog::create);
        QLineEdit* field = sheet()->findChild<QLineEdit*>();
        QVERIFY(field->text().isEmpty());
        QTest::keyClicks(field, QStringLiteral("Night"));
        button(*sheet(), QStringLiteral("作成"))->click();
        QTRY_VERIFY(!sheet());
        const std::optional<StellwickState> saved = decodeState(readFile(m_fixture->harness.settingsPath()));
        QVERIFY(saved);
        QCOMPARE(saved->profiles.last().name, QStringLiteral("Night"));

        // Cancelling with Escape changes nothing.
        footerButton(window, QStringLiteral("新規プロファイル"))->click();
        QTest::keyClicks(sheet()->findChild<QLineEdit*>(), QStringLiteral("Other"));
        QTest::keyClick(sheet(), Qt::Key_Escape);
        QTRY_VERIFY(!sheet());
        QCOMPARE(model().state().profiles.size(), 2);
    }

    void theDeleteConfirmationDeletesOnlyOnDeleteAndOnlyItsProfile() {
        SettingsWindow& window = open();
        model().createProfile(QStringLiteral("夜"));
        const QUuid night = model().state().profiles[1].id;
        model().selectProfile(night);
        QToolButton* minus = footerButton(window, QStringLiteral("プロファイルを削除"));

        minus->click();
        auto* box = window.findChild<DeleteProfileConfirmation*>(); // a sheet of the active window
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("「夜」を削除しますか？"));
        QCOMPARE(box->informativeText(),
                 QStringLiteral("登録された0アプリの配置も削除されます。この操作は取り消せません。"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QTest::keyClick(box, Qt::Key_Escape);
        QTRY_VERIFY(!confirmation());
        QCOMPARE(model().state().profiles.size(), 2);

        // The answer acts on the profile the question was built for.
        minus->click();
        box = confirmation();
        QVERIFY(box);
        model().selectProfile(model().state().profiles[0].id);
        box->deleteButton()->click();
        QCOMPARE(model().state().profiles.size(), 1);
        QCOMPARE(model().state().profiles[0].name, QStringLiteral("作業"));
    }

    void theBannerShowsWhileAccessIsMissingOutsideThePermissionSection() {
        m_fixture->harness.desktop.world().trusted = false;
        SettingsWindow& window = open();
        ContentView* content = window.content();
        QCOMPARE(content->section(), SettingsSection::applications);
        QVERIFY(!content->permissionBanner()->isHidden());
        content->setSection(SettingsSection::permission);
        QVERIFY(content->permissionBanner()->isHidden());
        content->setSection(SettingsSection::automation);
        QVERIFY(!content->permissionBanner()->isHidden());
    }

    void closingTheWindowEndsASelectionRun() {
        SettingsWindow& window = open();
        button(window, QStringLiteral("ウィンドウを選択"))->click();
        QVERIFY(model().selectionPhase().isSelecting());
        window.close();
        QVERIFY(model().selectionPhase().isIdle());
        QCOMPARE(model().status().title, QStringLiteral("ウィンドウ選択をキャンセルしました"));
    }
};

QTEST_MAIN(ContentViewTest)
#include "tst_contentview.moc"
