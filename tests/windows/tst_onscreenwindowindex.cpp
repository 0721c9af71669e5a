// The window server's snapshot: which accessibility windows it shows, and
// which application owns the window under a point.

#include "platform/sim/SimDesktop.h"
#include "support/SimFixtures.h"
#include "windows/OnScreenWindowIndex.h"

#include <QtTest>
#include <limits>

using namespace stellwick;
using sim::SimDesktop;
using Entry = OnScreenWindowIndex::Entry;

class OnScreenWindowIndexTest : public QObject {
    Q_OBJECT

private slots:
    void matchesByOverlapOrByCentres() {
        const double tolerance = OnScreenWindowIndex::positionalTolerance;
        const OnScreenWindowIndex index({{10, Rect{100, 100, 800, 600}}, {20, Rect{0, 0, 20, 20}}});
        QVERIFY(index.containsWindow(10, {100, 100, 800, 600}, tolerance));
        QVERIFY(!index.containsWindow(11, {100, 100, 800, 600}, tolerance)); // same frame, other owner
        // 6 right and 6 down: centres 8.49 apart, but the large window overlaps enough.
        QVERIFY(index.containsWindow(10, {106, 106, 800, 600}, tolerance));
        const OnScreenWindowIndex small({{20, Rect{0, 0, 20, 20}}});
        QVERIFY(!small.containsWindow(20, {6, 6, 20, 20}, tolerance));
        QVERIFY(small.containsWindow(20, {6, 6, 20, 20}, 9.0)); // a larger tolerance widens the centre test
        // 5 right: overlap only 0.6, centres 5 apart.
        QVERIFY(small.containsWindow(20, {5, 0, 20, 20}, tolerance));
        QVERIFY(!OnScreenWindowIndex().containsWindow(20, {0, 0, 20, 20}, tolerance));
        // Numbered windows match by number only: the same frame on a hidden workspace is another window.
        const OnScreenWindowIndex numbered({{10, Rect{0, 0, 800, 600}, 7}});
        QVERIFY(numbered.containsWindow(10, {0, 0, 800, 600}, tolerance, 7));
        QVERIFY(!numbered.containsWindow(10, {0, 0, 800, 600}, tolerance, 8));
        QVERIFY(numbered.containsWindow(10, {0, 0, 800, 600}, tolerance)); // no number: by frame
        QVERIFY(
            index.containsWindow(10, {100, 100, 800, 600}, tolerance, 7)); // an unnumbered entry: by frame
    }

    void theSnapshotHoldsOnScreenWindowsWithoutDesktopElements() {
        SimDesktop d;
        d.addWindow({.pid = 10, .frame = Rect{0, 0, 100, 100}});
        d.addWindow({.pid = 11, .frame = Rect{0, 0, 50, 50}, .minimized = true});
        d.addWindow({.pid = 12, .frame = Rect{0, 0, 50, 50}, .onCurrentSpace = false});
        d.addWindowServerEntry({1, Rect{0, 0, 1440, 900}, WindowLevel::desktop}, /*desktopElement=*/true);
        d.addWindowServerEntry({99, Rect{0, 0, 1440, 24}, WindowLevel::mainMenu});
        const double nan = std::numeric_limits<double>::quiet_NaN();
        d.addWindowServerEntry({98, Rect{nan, 0, 10, 10}, WindowLevel::normal}); // no usable bounds
        const auto index = OnScreenWindowIndex::current(d.platform().windowServer);
        QCOMPARE(index.entries(),
                 (std::vector<Entry>{{99, Rect{0, 0, 1440, 24}}, {10, Rect{0, 0, 100, 100}}}));
        d.world().windowListAvailable = false;
        QVERIFY(OnScreenWindowIndex::current(d.platform().windowServer).entries().empty());
    }

    void theApplicationUnderAPointIsTheFrontMostRegularOne() {
        SimDesktop d;
        d.addApplication(test::regularApp(10, "org.example.editor", "Editor"));
        d.addApplication(
            {20, QStringLiteral("org.example.palette"), std::nullopt, ActivationPolicy::accessory});
        d.addApplication({30, std::nullopt, QStringLiteral("No id"), ActivationPolicy::regular});
        const Applications& apps = d.platform().applications;
        const OnScreenWindowIndex index({{d.world().ownPid, Rect{0, 0, 50, 50}},
                                         {20, Rect{0, 0, 100, 100}},
                                         {30, Rect{0, 0, 100, 100}},
                                         {77, Rect{0, 0, 100, 100}}, // no running application
                                         {10, Rect{0, 0, 400, 400}},
                                         {10, Rect{0, 0, 400, 400}}});
        const std::int32_t own = d.world().ownPid;
        QCOMPARE(index.ownerPIDs({10, 10}, own), (std::vector<std::int32_t>{20, 30, 77, 10, 10}));
        QCOMPARE(index.applicationAt({10, 10}, own, apps)->processIdentifier, 10);
        // Edges: left and top inside, right and bottom outside.
        QCOMPARE(index.ownerPIDs({100, 0}, own), (std::vector<std::int32_t>{10, 10}));
        QVERIFY(index.ownerPIDs({400, 10}, own).empty());
        QVERIFY(!index.applicationAt({400, 10}, own, apps));
        d.terminateApplication(10);
        QVERIFY(!index.applicationAt({10, 10}, own, apps));
    }
};

QTEST_GUILESS_MAIN(OnScreenWindowIndexTest)
#include "tst_onscreenwindowindex.moc"
