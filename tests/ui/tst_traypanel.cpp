// The tray panel and the update window, offscreen: rows follow the controller
// (the checkmark by id), shortcuts and keys work, the settings window is opened
// once and brought forward after that; the update window reads each outcome,
// never takes feed texts as markup, and opens links only through the opener.

#include "UiTestSupport.h"
#include "controller/UpdateController.h"
#include "platform/Updater.h"
#include "ui/MenuRow.h"
#include "ui/SettingsWindow.h"
#include "ui/StellwickApp.h"
#include "ui/TrayPanel.h"
#include "ui/UpdateWindow.h"

#include <QPushButton>

using namespace stellwick;
using namespace stellwick::linux_platform;
using namespace stellwick::test;

namespace {

class NoUpdater final : public Updater {
public:
    void start() override {}
    void checkForUpdates() override {}
};

} // namespace

class TrayPanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ControllerHarness> m_harness;
    NoUpdater m_updater;
    UpdateController m_updates{m_updater};
    std::unique_ptr<StellwickApp> m_app;
    int m_quits = 0;

    ProbeViewModel& model() { return m_harness->controller(); }
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
        m_harness = std::make_unique<ControllerHarness>();
        m_harness->start();
        m_quits = 0;
        m_app = std::make_unique<StellwickApp>(model(), m_updates, [this] { ++m_quits; });
    }

    void cleanup() {
        m_app.reset();
        m_harness.reset();
    }

    void theCheckmarkFollowsTheIdNotTheName() {
        model().createProfile(QStringLiteral("家"));
        model().createProfile(QStringLiteral("家"));
        const QList<LayoutProfile> profiles = model().state().profiles;
        model().selectProfile(profiles[2].id);

        TrayPanel& panel = openPanel();
        QCOMPARE(checkmarks(), (QStringList{QString(), QString(), QStringLiteral("checkmark")}));
        panel.view()->profileRows()[1]->click();
        QCOMPARE(model().state().selectedProfileID, profiles[1].id);
        QCOMPARE(checkmarks(), (QStringList{QString(), QStringLiteral("checkmark"), QString()}));
    }

    void shortcutsAndKeysWorkInTheOpenPanel() {
        TrayPanel& panel = openPanel();
        QTest::keyClick(&panel, Qt::Key_R, Qt::ControlModifier);
        m_harness->desktop.clock().advance(1); // the apply runs as a task
        QCOMPARE(model().status().title, QStringLiteral("「デフォルト」を復元しました"));
        QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_quits, 1);

        openPanel();
        QTest::keyClick(panel.view(), Qt::Key_Escape);
        QVERIFY(!panel.isVisible());

        openPanel();
        QTest::keyClick(&panel, Qt::Key_Comma, Qt::ControlModifier);
        QPointer<SettingsWindow> settings = m_app->settingsWindow();
        QVERIFY(settings && QTest::qWaitForWindowExposed(settings));
        QVERIFY(!panel.isVisible());
        // "設定…" brings the open window forward; once closed, the next opening builds a new one.
        settings->showMinimized();
        for (MenuRow* row : openPanel().view()->rows())
            if (row->text() == QStringLiteral("設定…"))
                row->click();
        QCOMPARE(m_app->settingsWindow(), settings.data());
        QVERIFY(!settings->isMinimized() && settings->isVisible());
        settings->close();
        QTRY_VERIFY(!settings);
        m_app->openSettings();
        QVERIFY(m_app->settingsWindow());
    }

    void theUpdateWindowReadsEachOutcomeAndStaysOutOfTheWay() {
        QList<QUrl> opened;
        UpdateWindow window([&](const QUrl& url) {
            opened << url;
            return true;
        });
        const auto detail = [&] { return window.findChild<QLabel*>(QStringLiteral("detail")); };
        const auto button = [&](const char* name) {
            return window.findChild<QPushButton*>(QLatin1String(name));
        };
        const auto version = [](const char* text) { return *VersionNumber::parse(QLatin1String(text)); };
        const QUrl notes(QStringLiteral("https://example.org/notes/2.0"));
        const QUrl download(QStringLiteral("https://example.org/stellwick-2.0.tar.gz"));
        window.showResult(
            UpdateAvailable{version("1.9"), AppcastItem{version("2.0"), QString(), notes, download}});
        QCOMPARE(detail()->text(),
                 QStringLiteral("Stellwick 2.0 を利用できます（現在のバージョンは 1.9 です）。"));
        QVERIFY(opened.isEmpty());
        QTest::mouseClick(button("downloadButton"), Qt::LeftButton);
        QTest::mouseClick(button("releaseNotesButton"), Qt::LeftButton);
        QCOMPARE(opened, (QList<QUrl>{download, notes}));

        // A failure shows its description as plain text, and no stale buttons.
        const QString markup = QStringLiteral("<a href=\"file:///etc\">x</a><img src=x>");
        window.showResult(UpdateCheckFailed{markup});
        QCOMPARE(detail()->textFormat(), Qt::PlainText);
        QCOMPARE(detail()->text(), markup);
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
