// Screens on the real X server: RandR monitors in order, frames in both
// spaces, work areas without dock struts, display identity from EDID and
// output numbers, the main screen, and which changes are notified.

#include "X11TestSupport.h"
#include "model/ScreenGeometry.h"
#include "platform/linux/SystemClock.h"
#include "platform/x11/EdidIdentity.h"
#include "platform/x11/X11Desktop.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

class TestX11Screens : public QObject {
    Q_OBJECT

private:
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;

    Screens& screens() { return m_desktop->screens(); }
    ScreenGeometry geometry() { return ScreenGeometry(m_desktop->screens(), m_desktop->windowServer()); }
    bool xrandr(const QString& arguments) {
        return test::runTool(QStringLiteral("xrandr"), arguments.split(QLatin1Char(' '))) == 0 &&
               test::deliverPendingEvents(*m_desktop->connection());
    }

private slots:
    void initTestCase() {
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
    }

    void init() {
        QVERIFY(test::resetMonitors());
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
    }

    void monitorsArePrimaryFirstAndMatchByOutputNumber() {
        const auto all = screens().screens();
        QCOMPARE(all.size(), std::size_t(2));
        QCOMPARE(all[0].localizedName, QStringLiteral("LEFT"));
        QCOMPARE(all[0].frame, (Rect{0, 0, 1280, 1080}));
        QCOMPARE(all[0].visibleFrame, all[0].frame);
        QCOMPARE(all[1].frame, (Rect{1280, 0, 1280, 1080}));
        // The primary is bound to Xvfb's output (which has no EDID); the other is virtual.
        QVERIFY(all[0].displayNumber && !all[1].displayNumber);
        QVERIFY(!all[0].displayUUID && !all[1].displayUUID);
        const auto byNumber =
            geometry().regionForDisplay({*all[0].displayNumber, std::nullopt, std::nullopt});
        QVERIFY(byNumber && !byNumber->usedFallback);
        QCOMPARE(byNumber->reference.name, std::optional(QStringLiteral("LEFT")));
    }

    void primaryAwayFromTheRootOriginMovesTheOrigin() {
        // The primary on the right, another monitor left of it and one above.
        QVERIFY(test::setMonitors({QStringLiteral("MAIN=1280x1080+1280+600"),
                                   QStringLiteral("SIDE=1280x1080+0+600"),
                                   QStringLiteral("TOP=1280x600+1280+0")}));
        const auto all = screens().screens();
        QCOMPARE(all.size(), std::size_t(3));
        QCOMPARE(all[0].localizedName, QStringLiteral("MAIN"));
        QCOMPARE(all[0].frame, (Rect{0, 0, 1280, 1080}));
        QCOMPARE(all[1].frame, (Rect{-1280, 0, 1280, 1080}));
        QCOMPARE(all[2].frame, (Rect{0, 1080, 1280, 600}));
        // Through the geometry code: TOP has negative top-left y.
        QCOMPARE(geometry().accessibilityRect(all[2].frame), (Rect{0, -600, 1280, 600}));

        // A window at root (1380, 700) is at (100, 100) of the desktop space,
        // and a frame written there lands there.
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=1380 y=700 w=300 h=200"));
        QVERIFY(window);
        Accessibility& ax = m_desktop->accessibility();
        const AXElement element = test::windowElement(client.pid(), window);
        const Rect root = *client.frame(window);
        const auto position =
            std::get<AXPointValue>(ax.copyAttributeValue(element, AXAttribute::position).value);
        QCOMPARE(position.point, (Point{root.x - 1280, root.y - 600}));

        test::Waiter settled;
        QCOMPARE(ax.setAttributeValue(element, AXAttribute::position, AXPointValue{{-1000, 100}}),
                 AXErrorCode::success);
        Cancellable wait = ax.whenWriteSettled(element, [&] { settled.fire(); });
        QVERIFY(settled.wait());
        QCOMPARE(*client.frame(window), (Rect{280, 700, root.width, root.height}));
    }

    void dockStrutsShrinkTheVisibleFrame() {
        if (test::windowManagerIs("i3"))
            QSKIP("i3 keeps docks out of its client list: they are its bars' business");
        test::TestClient panel;
        const auto dock = panel.open(QStringLiteral("type=dock x=1280 y=0 w=1280 h=30 strut-top=30"));
        QVERIFY(dock);
        auto all = screens().screens();
        QCOMPARE(all[0].visibleFrame, all[0].frame);
        QCOMPARE(all[1].visibleFrame, (Rect{1280, 0, 1280, 1050}));
        // The region below the panel is what placements use.
        const auto region = geometry().regionContaining({1500, 500, 100, 100});
        QVERIFY(region);
        QCOMPARE(region->visibleFrame, (Rect{1280, 30, 1280, 1050}));

        QVERIFY(panel.close(dock));
        QCOMPARE(screens().screens()[1].visibleFrame, screens().screens()[1].frame);
    }

    void edidGivesAUuidThatFollowsTheMonitor() {
        const QByteArray edid = test::makeEdid("DEL", 0x4321, 777);
        QVERIFY(test::setPrimaryOutputEdid(edid));
        const QString expected = displayUuid(*parseEdid(edid));
        auto all = screens().screens();
        QCOMPARE(all[0].displayUUID, std::optional(expected));
        QVERIFY(!all[1].displayUUID);

        // The same monitor found again by its UUID after it moved to another
        // place, another connector name and another number.
        QVERIFY(test::setMonitors(
            {QStringLiteral("OTHER=1280x1080+1280+0"), QStringLiteral("LEFT=1280x1080+0+0")}));
        const auto region = geometry().regionForDisplay({9999, QStringLiteral("LEFT"), expected});
        QVERIFY(region && !region->usedFallback);
        QCOMPARE(region->reference.name, std::optional(QStringLiteral("OTHER")));

        QVERIFY(test::setPrimaryOutputEdid({}));
        QVERIFY(!screens().screens()[0].displayUUID);
    }

    void mainScreenHoldsTheActiveWindow() {
        if (test::windowManagerIs("xfwm4") || test::windowManagerIs("i3"))
            QSKIP(
                "xfwm4 keeps windows off a monitor without an output; i3 places new floating windows itself");
        test::TestClient client;
        const auto left = client.open(QStringLiteral("x=100 y=100 w=300 h=200"));
        const auto right = client.open(QStringLiteral("x=1500 y=100 w=300 h=200"));
        QVERIFY(left && right);
        QVERIFY(client.activate(right));
        QCOMPARE(screens().mainScreen()->localizedName, QStringLiteral("RIGHT"));
        QVERIFY(client.activate(left));
        QCOMPARE(screens().mainScreen()->localizedName, QStringLiteral("LEFT"));
    }

    // Monitors added and removed are notified in the window manager matrix;
    // here what else is, and what is not.
    void outputModeChangesAreNotifiedWindowsAreNot() {
        int changes = 0;
        Cancellable subscription = screens().subscribeScreenParameterChanges([&] { ++changes; });
        {
            test::TestClient client;
            QVERIFY(client.open());
        }
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QCOMPARE(changes, 0);

        // A real output change (another mode, the screen shrinks) arrives as RandR events.
        QVERIFY(xrandr(QStringLiteral("--newmode half 100 1280 1300 1400 1500 1080 1090 1100 1110")));
        QVERIFY(xrandr(QStringLiteral("--addmode screen half")));
        QVERIFY(xrandr(QStringLiteral("--output screen --mode half")));
        QVERIFY(changes > 0);
        QVERIFY(xrandr(QStringLiteral("--output screen --mode 2560x1080")));

        // Once unsubscribed, nothing more.
        subscription.cancel();
        const int total = changes;
        QVERIFY(test::setMonitors({QStringLiteral("ONE=2560x1080+0+0")}));
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QCOMPARE(changes, total);
    }
};

QTEST_MAIN(TestX11Screens)
#include "tst_x11screens.moc"
