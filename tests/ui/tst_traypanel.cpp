// The tray panel, offscreen: rows follow the controller (the checkmark by
// id), shortcuts and keys work, the status row reads each kind, and the
// settings window is opened once and brought forward after that.

#include "UiTestSupport.h"
#include "ui/DisplayText.h"
#include "ui/MenuRow.h"
#include "ui/SettingsWindow.h"
#include "ui/StatusRow.h"
#include "ui/StellwickApp.h"
#include "ui/TrayIconInk.h"
#include "ui/TrayPanel.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::test;

Q_DECLARE_METATYPE(std::optional<QString>)

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
        return panel;
    }
    static QStringList symbols(const QList<MenuRow*>& rows) {
        QStringList result;
        for (const MenuRow* row : rows)
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
        QCOMPARE(rows[2]->text(), QStringLiteral("家"));
        QCOMPARE(symbols(rows), (QStringList{QString(), QString(), QStringLiteral("checkmark")}));

        rows[1]->click();
        QCOMPARE(model().state().selectedProfileID, profiles[1].id);
        QCOMPARE(symbols(panel.view()->profileRows()),
                 (QStringList{QString(), QStringLiteral("checkmark"), QString()}));
        saveScreenshot(&panel, QStringLiteral("tray-panel"));
    }

    void shortcutsWorkInTheOpenPanelAndShowAsCtrl() {
        TrayPanel& panel = openPanel();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QStringList hints;
        for (const MenuRow* row : panel.view()->rows())
            hints.append(row->shortcutHint());
        QCOMPARE(hints, (QStringList{QString(), QStringLiteral("Ctrl+R"), QStringLiteral("Ctrl+,"), QString(),
                                     QStringLiteral("Ctrl+Q")}));

        QTest::keyClick(&panel, Qt::Key_R, Qt::ControlModifier);
        m_fixture->harness.desktop.clock().advance(1); // the apply runs as a task
        QCOMPARE(model().status().title, QStringLiteral("「デフォルト」を復元しました"));

        QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_quits, 1);

        openPanel();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QTest::keyClick(&panel, Qt::Key_Comma, Qt::ControlModifier);
        QVERIFY(m_app->settingsWindow());
        QVERIFY(m_app->settingsWindow()->isVisible());
        QVERIFY(!panel.isVisible());
    }

    void settingsFromThePanelBringsTheOpenWindowForward() {
        m_app->openSettings();
        QPointer<SettingsWindow> first = m_app->settingsWindow();
        QVERIFY(QTest::qWaitForWindowExposed(first));
        first->showMinimized();

        TrayPanel& panel = openPanel();
        panel.view()->rows()[2]->click(); // "設定…"
        QCOMPARE(m_app->settingsWindow(), first.data());
        QVERIFY(!first->isMinimized());
        QVERIFY(first->isVisible());
        int windows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            windows += qobject_cast<SettingsWindow*>(widget) != nullptr;
        QCOMPARE(windows, 1);

        // Closing gives the window back; the next opening builds a new one.
        first->close();
        QTRY_VERIFY(!first);
        m_app->openSettings();
        QVERIFY(m_app->settingsWindow());
    }

    void keysMoveBetweenRowsActivateAndClose() {
        model().createProfile(QStringLiteral("夜"));
        const QUuid first = model().state().profiles[0].id;
        TrayPanel& panel = openPanel();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QTest::keyClick(panel.view(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), panel.view()->rows()[0]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up); // wraps to the quit row
        QCOMPARE(QApplication::focusWidget(), panel.view()->rows().last());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(model().state().selectedProfileID, first);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!panel.isVisible());
    }

    void theStatusRowReadsEachKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<std::optional<QString>>("detail");
        QTest::newRow("information") << int(AppStatusKind::information) << "info.circle.fill"
                                     << std::optional<QString>(QStringLiteral("詳細"));
        QTest::newRow("success without detail")
            << int(AppStatusKind::success) << "checkmark.circle.fill" << std::optional<QString>();
        QTest::newRow("warning") << int(AppStatusKind::warning) << "exclamationmark.triangle.fill"
                                 << std::optional<QString>(QString());
        QTest::newRow("error") << int(AppStatusKind::error) << "xmark.circle.fill"
                               << std::optional<QString>();
    }

    void theStatusRowReadsEachKind() {
        QFETCH(int, kind);
        QFETCH(QString, symbol);
        QFETCH(std::optional<QString>, detail);
        StatusRow row(nullptr);
        const Date noon =
            Date::fromUnixTime(QDateTime(QDate(2026, 3, 1), QTime(12, 34, 56)).toSecsSinceEpoch());
        row.setStatus(AppStatus{AppStatusKind(kind), QStringLiteral("題"), detail, noon});
        QCOMPARE(row.symbol(), symbol);
        QCOMPARE(row.titleText(), QStringLiteral("題"));
        QCOMPARE(row.detailText(), detail.value_or(QString()));
        QCOMPARE(row.timeText(), clockTime(noon));
        QVERIFY(row.timeText().contains(QStringLiteral("34")));
        QVERIFY(!row.timeText().contains(QStringLiteral("56"))); // hours and minutes only
    }

    void theHeaderShowsTheVersionOr01() {
        QCoreApplication::setApplicationVersion(QString());
        {
            TrayPanel panel(model(), m_fixture->updates, {[] {}, [] {}});
            QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("version"))->text(), QStringLiteral("v0.1"));
        }
        QCoreApplication::setApplicationVersion(QStringLiteral("2.3.1"));
        TrayPanel panel(model(), m_fixture->updates, {[] {}, [] {}});
        QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("version"))->text(), QStringLiteral("v2.3.1"));
        QCOMPARE(panel.view()->width(), MenuBarView::panelWidth);
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
};

QTEST_MAIN(TrayPanelTest)
#include "tst_traypanel.moc"
