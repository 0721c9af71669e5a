// The tray panel and the update window, offscreen: rows follow the controller
// (the checkmark by id), shortcuts and keys work, the status row keeps to hours
// and minutes, the settings window is opened once and brought forward after
// that; the update window reads each outcome, never takes feed texts as markup,
// and opens links only through the opener.

#include "UiTestSupport.h"
#include "controller/UpdateController.h"
#include "platform/Updater.h"
#include "ui/DisplayText.h"
#include "ui/MenuRow.h"
#include "ui/SettingsWindow.h"
#include "ui/StatusRow.h"
#include "ui/StellwickApp.h"
#include "ui/TrayIconInk.h"
#include "ui/TrayPanel.h"
#include "ui/UpdateWindow.h"

#include <QProgressBar>
#include <QPushButton>

using namespace stellwick;
using namespace stellwick::linux_platform;
using namespace stellwick::test;

namespace {

class CountingUpdater final : public Updater {
public:
    void start() override {}
    void checkForUpdates() override { ++checks; }
    int checks = 0;
};

// A controller on the simulated desktop and an update controller, for views.
struct ViewFixture {
    ControllerHarness harness;
    CountingUpdater updater;
    UpdateController updates{updater};

    ProbeViewModel& start() { return harness.start(); }
};

} // namespace

class TrayPanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ViewFixture> m_fixture;
    std::unique_ptr<StellwickApp> m_app;
    int m_quits = 0;

    ProbeViewModel& model() { return m_fixture->harness.controller(); }
    TrayPanel& openPanel() {
        TrayPanel& panel = m_app->panel();
        panel.popUp(QRect(100, 0, 22, 22));
        panel.activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(&panel)); }();
        return panel;
    }
    QStringList checkmarks() {
        QStringList result;
        for (const MenuRow* row : m_app->panel().view()->profileRows())
            result.append(row->leadingSymbol());
        return result;
    }

private slots:
    void init() {
        m_fixture = std::make_unique<ViewFixture>();
        m_fixture->start();
        m_quits = 0;
        m_app = std::make_unique<StellwickApp>(model(), m_fixture->updates, [this] { ++m_quits; });
    }

    void cleanup() {
        m_app.reset();
        m_fixture.reset();
    }

    void theCheckmarkFollowsTheIdNotTheName() {
        model().createProfile(QStringLiteral("家"));
        model().createProfile(QStringLiteral("家"));
        const QList<LayoutProfile> profiles = model().state().profiles;
        model().selectProfile(profiles[2].id);

        TrayPanel& panel = openPanel();
        const QList<MenuRow*> rows = panel.view()->profileRows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1]->text(), QStringLiteral("家"));
        QCOMPARE(checkmarks(), (QStringList{QString(), QString(), QStringLiteral("checkmark")}));
        rows[1]->click();
        QCOMPARE(model().state().selectedProfileID, profiles[1].id);
        QCOMPARE(checkmarks(), (QStringList{QString(), QStringLiteral("checkmark"), QString()}));
        saveScreenshot(&panel, QStringLiteral("tray-panel"));
    }

    void shortcutsAndKeysWorkInTheOpenPanel() {
        TrayPanel& panel = openPanel();
        QTest::keyClick(&panel, Qt::Key_R, Qt::ControlModifier);
        m_fixture->harness.desktop.clock().advance(1); // the apply runs as a task
        QCOMPARE(model().status().title, QStringLiteral("「デフォルト」を復元しました"));
        QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_quits, 1);

        // Down to the first row, Up wraps to the quit row, Down and Return choose.
        model().createProfile(QStringLiteral("夜"));
        const QUuid first = model().state().profiles[0].id;
        openPanel();
        QTest::keyClick(panel.view(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), panel.view()->rows()[0]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), panel.view()->rows().last());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(model().state().selectedProfileID, first);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!panel.isVisible());

        openPanel();
        QTest::keyClick(&panel, Qt::Key_Comma, Qt::ControlModifier);
        QVERIFY(m_app->settingsWindow() && m_app->settingsWindow()->isVisible());
        QVERIFY(!panel.isVisible());
    }

    void settingsFromThePanelBringsTheOpenWindowForward() {
        m_app->openSettings();
        QPointer<SettingsWindow> first = m_app->settingsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(first));
        first->showMinimized();
        openPanel().view()->rows()[2]->click(); // "設定…"
        QCOMPARE(m_app->settingsWindow(), first.data());
        QVERIFY(!first->isMinimized() && first->isVisible());

        // Closing gives the window back; the next opening builds a new one.
        first->close();
        QTRY_VERIFY(!first);
        m_app->openSettings();
        QVERIFY(m_app->settingsWindow());
    }

    void theStatusRowShowsHoursAndMinutesAndTheDetailIfAny() {
        StatusRow row(nullptr);
        const Date noon =
            Date::fromUnixTime(QDateTime(QDate(2026, 3, 1), QTime(12, 34, 56)).toSecsSinceEpoch());
        row.setStatus(AppStatus{AppStatusKind::warning, QStringLiteral("題"), QStringLiteral("詳細"), noon});
        QCOMPARE(row.titleText(), QStringLiteral("題"));
        QCOMPARE(row.detailText(), QStringLiteral("詳細"));
        QCOMPARE(row.timeText(), clockTime(noon));
        QVERIFY(row.timeText().contains(QStringLiteral("34")) &&
                !row.timeText().contains(QStringLiteral("56")));
        row.setStatus(AppStatus{AppStatusKind::success, QStringLiteral("題"), std::nullopt, noon});
        QCOMPARE(row.detailText(), QString());
    }

    void theTrayMarkContrastsWithThePanel() {
        QImage dark(22, 22, QImage::Format_RGB32);
        dark.fill(QColor(0x22, 0x22, 0x22));
        QCOMPARE(trayInkFor(dark), QColor(Qt::white));
        QImage light = dark;
        light.fill(QColor(0xee, 0xee, 0xee));
        QVERIFY(trayInkFor(light)->lightnessF() < 0.3);
        QVERIFY(!trayInkFor(QImage()));
    }

    void theUpdateWindowReadsEachOutcomeAndStaysOutOfTheWay() {
        QList<QUrl> opened;
        UpdateWindow window([&](const QUrl& url) {
            opened << url;
            return true;
        });
        const auto text = [&](const char* name) {
            return window.findChild<QLabel*>(QLatin1String(name))->text();
        };
        const auto button = [&](const char* name) {
            return window.findChild<QPushButton*>(QLatin1String(name));
        };
        const auto version = [](const char* text) { return *VersionNumber::parse(QLatin1String(text)); };
        window.showChecking();
        QVERIFY(window.isVisible());
        QCOMPARE(text("heading"), QStringLiteral("アップデートを確認しています…"));
        QVERIFY(window.findChild<QProgressBar*>()->isVisible());

        window.showResult(UpToDate{version("1.9")});
        QCOMPARE(text("detail"), QStringLiteral("Stellwick 1.9 は最新のバージョンです。"));
        QVERIFY(!window.findChild<QProgressBar*>()->isVisible());
        QVERIFY(!button("downloadButton")->isVisible());

        const QUrl notes(QStringLiteral("https://example.org/notes/2.0"));
        const QUrl download(QStringLiteral("https://example.org/stellwick-2.0.tar.gz"));
        window.showResult(
            UpdateAvailable{version("1.9"), AppcastItem{version("2.0"), QString(), notes, download}});
        QCOMPARE(text("detail"),
                 QStringLiteral("Stellwick 2.0 を利用できます（現在のバージョンは 1.9 です）。"));
        QVERIFY(opened.isEmpty());
        QTest::mouseClick(button("downloadButton"), Qt::LeftButton);
        QTest::mouseClick(button("releaseNotesButton"), Qt::LeftButton);
        QCOMPARE(opened, (QList<QUrl>{download, notes}));

        // A failure shows its description as plain text, and no stale buttons.
        const QString markup = QStringLiteral("<a href=\"file:///etc\">x</a><img src=x>");
        window.showResult(UpdateCheckFailed{markup});
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("detail"))->textFormat(), Qt::PlainText);
        QCOMPARE(text("detail"), markup);
        QVERIFY(!button("releaseNotesButton")->isVisible() && !button("downloadButton")->isVisible());

        // Closing hides the window and keeps the application.
        bool quit = false;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [&] { quit = true; });
        QTest::mouseClick(button("closeButton"), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCoreApplication::sendPostedEvents();
        QVERIFY(!quit);
    }
};

QTEST_MAIN(TrayPanelTest)
#include "tst_traypanel.moc"
