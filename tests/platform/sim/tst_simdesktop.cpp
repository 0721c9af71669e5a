// The simulated desktop behaves like a desktop where the logic relies on it:
// windows take, distort or refuse writes, elements of closed windows fail,
// monitors see only what they should.

#include "platform/sim/SimDesktop.h"
#include "support/SimFixtures.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::sim;

class SimDesktopTest : public QObject {
    Q_OBJECT

private slots:
    void windowsTakeDistortOrRefuseWrites() {
        SimDesktop d;
        d.addApplication(test::regularApp(10, QStringLiteral("a"), QStringLiteral("A")));
        const WindowId id = d.addWindow({.pid = 10, .frame = Rect{0, 0, 100, 100}});
        Accessibility& ax = d.platform().accessibility;
        const AXElement w = d.windowElement(id);

        QCOMPARE(ax.setAttributeValue(w, AXAttribute::position, AXPointValue{{50, 60}}),
                 AXErrorCode::success);
        QCOMPARE(d.window(id).frame, (Rect{50, 60, 100, 100}));

        d.window(id).settlePosition = [](Point p) { return Point{p.x + 10, p.y}; };
        d.window(id).writeErrors[AXAttribute::size] = AXErrorCode::cannotComplete;
        ax.setAttributeValue(w, AXAttribute::position, AXPointValue{{0, 0}});
        QCOMPARE(ax.setAttributeValue(w, AXAttribute::size, AXSizeValue{{10, 10}}),
                 AXErrorCode::cannotComplete);
        QCOMPARE(d.window(id).frame, (Rect{10, 0, 100, 100}));
        QCOMPARE(d.writeCount(id, AXAttribute::position), 2u);
        QCOMPARE(d.writeCount(id, AXAttribute::size), 0u);

        d.removeWindow(id);
        QCOMPARE(ax.copyAttributeValue(w, AXAttribute::position).error, AXErrorCode::invalidUIElement);
        QCOMPARE(ax.pid(w).error, AXErrorCode::invalidUIElement);
    }

    void theWindowListShowsOnlyVisibleWindowsFrontFirst() {
        SimDesktop d;
        const WindowId back = d.addWindow({.pid = 1, .frame = Rect{0, 0, 10, 10}});
        d.addWindow({.pid = 2, .frame = Rect{0, 0, 20, 20}, .minimized = true});
        d.addWindow({.pid = 3, .frame = Rect{0, 0, 30, 30}, .onCurrentSpace = false});
        const WindowId front = d.addWindow({.pid = 4, .frame = Rect{0, 0, 40, 40}});
        d.addWindowServerEntry({99, Rect{0, 0, 1440, 24}, WindowLevel::mainMenu});
        d.addWindowServerEntry({98, Rect{0, 0, 1440, 900}, WindowLevel::desktop}, true);
        const auto all = *d.platform().windowServer.windowList(WindowListOption::onScreenOnly);
        QCOMPARE(all.size(), 4u);
        const auto list = *d.platform().windowServer.windowList(17);
        QCOMPARE(list.size(), 3u);
        QCOMPARE(list[1].ownerPID, 4);
        QCOMPARE(list[2].ownerPID, 1);
        d.raiseWindow(back);
        QCOMPARE(d.platform().windowServer.windowList(17)->at(1).ownerPID, 1);
        Q_UNUSED(front);
        d.world().windowListAvailable = false;
        QVERIFY(!d.platform().windowServer.windowList(17));
    }

    void monitorsSeeWhatTheyShould() {
        SimDesktop d;
        int global = 0;
        Cancellable g = d.platform().eventMonitors.addGlobalMonitor(
            InputEventMask::leftMouseDown | InputEventMask::keyDown, [&](const InputEvent&) { ++global; });
        Cancellable l = d.platform().eventMonitors.addLocalMonitor(
            InputEventMask::keyDown, [](const InputEvent& e) -> std::optional<InputEvent> {
                if (e.keyCode == KeyCode::escape)
                    return std::nullopt;
                return e;
            });
        d.click({5, 5});
        d.click({5, 5}, /*onOwnWindow=*/true);
        QCOMPARE(global, 1);
        QVERIFY(!d.pressKey(KeyCode::escape, true));
        QVERIFY(d.pressKey(12, true));
        QCOMPARE(d.platform().eventMonitors.mouseLocation(), (Point{5, 5}));
        g.cancel();
        QCOMPARE(d.installedGlobalMonitors(), 0u);
        QCOMPARE(d.installedLocalMonitors(), 1u);
    }

    void screensGivenTopLeftAreReportedBottomLeft() {
        SimDesktop d;
        d.addScreenTopLeft(Rect{0, 0, 1440, 900}, Rect{0, 25, 1440, 875}, QStringLiteral("A"), 1);
        d.addScreenTopLeft(Rect{0, -1080, 1920, 1080}, Rect{0, -1080, 1920, 1080}, QStringLiteral("B"), 2);
        const auto screens = d.platform().screens.screens();
        QCOMPARE(screens[0].visibleFrame, (Rect{0, 0, 1440, 875}));
        QCOMPARE(screens[1].frame, (Rect{0, 900, 1920, 1080}));
    }
};

QTEST_GUILESS_MAIN(SimDesktopTest)
#include "tst_simdesktop.moc"
