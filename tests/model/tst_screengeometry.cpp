// Screen geometry: flipping between the screens' bottom-left-origin space and
// the top-left-origin space of windows, the usable area of a screen, finding
// the screen for a stored display or a window, and area fractions.

#include "model/ScreenGeometry.h"
#include "platform/sim/SimDesktop.h"
#include "support/SimFixtures.h"
#include "windows/WindowTestSupport.h"

#include <QtTest>
#include <limits>

using namespace stellwick;
using sim::SimDesktop;

Q_DECLARE_METATYPE(stellwick::Rect)
Q_DECLARE_METATYPE(std::vector<stellwick::Rect>)
Q_DECLARE_METATYPE(stellwick::DisplayReference)

namespace {

const QString uuidA = QStringLiteral("11111111-1111-1111-1111-111111111111");
const QString uuidB = QStringLiteral("22222222-2222-2222-2222-222222222222");

ScreenGeometry geometryOf(SimDesktop& d) {
    return ScreenGeometry(d.platform().screens, d.platform().windowServer);
}

// Three screens in a row; two of them share a name, one has no uuid. The
// second is the main screen, so "main" and "first" fallbacks differ.
void addThreeScreens(SimDesktop& d) {
    test::addPrimaryScreen(d, 1, uuidA); // "Built-in Display"
    d.addScreen({Rect{1440, 0, 1920, 1080}, Rect{1440, 0, 1920, 1080}, "DELL U2720Q", 2, uuidB});
    d.addScreen({Rect{3360, 0, 1920, 1080}, Rect{3360, 0, 1920, 1080}, "DELL U2720Q", 3, std::nullopt});
    d.setMainScreen(1);
}

} // namespace

class ScreenGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void theWorkedExampleBothWays() {
        SimDesktop d;
        test::addPrimaryScreen(d);
        const ScreenGeometry g = geometryOf(d);
        QCOMPARE(g.primaryScreenTop(), 900.0);
        QCOMPARE(g.accessibilityPoint({10, 890}), (Point{10, 10}));
        QCOMPARE(g.accessibilityPoint({10, 10}), (Point{10, 890}));
        QCOMPARE(g.accessibilityRect({0, 0, 1440, 875}), (Rect{0, 25, 1440, 875}));
        QCOMPARE(g.accessibilityRect({0, 25, 1440, 875}), (Rect{0, 0, 1440, 875}));

        const Rect window{100, 125, 720, 437.5};
        const auto region = g.regionContaining(window);
        QVERIFY(region);
        QCOMPARE(region->visibleFrame, (Rect{0, 25, 1440, 875}));
        QVERIFY(!region->usedFallback);
        QCOMPARE(region->reference.id, 1u);
        QCOMPARE(region->reference.name, QStringLiteral("Built-in Display"));
        QCOMPARE(ScreenGeometry::normalize(window, region->visibleFrame),
                 (NormalizedFrame{100.0 / 1440, 100.0 / 875, 0.5, 0.5}));
        QCOMPARE(ScreenGeometry::denormalize({0.5, 0.5, 0.5, 0.5}, region->visibleFrame),
                 (Rect{720, 462.5, 720, 437.5}));
    }

    void withoutScreensNothingResolves() {
        SimDesktop d;
        const ScreenGeometry g = geometryOf(d);
        QCOMPARE(g.primaryScreenTop(), 0.0);
        QCOMPARE(g.accessibilityPoint({5, 7}), (Point{5, -7}));
        // A rectangle flips about its own bottom edge.
        QCOMPARE(g.accessibilityRect({10, 20, 30, 40}), (Rect{10, 0, 30, 40}));
        QVERIFY(!g.regionForDisplay({1, QStringLiteral("Built-in Display"), uuidA}));
        QVERIFY(!g.regionContaining({0, 0, 100, 100}));
    }

    void normalizeRecordsOnlyThePartInsideTheArea() {
        const Rect v{0, 25, 1440, 875};
        QCOMPARE(ScreenGeometry::normalize({1240, 125, 400, 200}, v),
                 (NormalizedFrame{1240.0 / 1440, 100.0 / 875, 200.0 / 1440, 200.0 / 875}));
        const NormalizedFrame whole{0, 0, 1, 1};
        QCOMPARE(ScreenGeometry::normalize({1500, 100, 100, 100}, v), whole); // outside
        QCOMPARE(ScreenGeometry::normalize({1440, 100, 100, 100}, v), whole); // touches the edge only
        QCOMPARE(ScreenGeometry::normalize({0, 0, 10, 10}, {0, 0, 0, 900}), whole);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(ScreenGeometry::normalize({0, 0, 10, 10}, {0, 0, nan, 900}), whole);
        QCOMPARE(ScreenGeometry::normalize({0, 0, 10, 10}, {0, 0, 900, nan}), whole);
        QCOMPARE(ScreenGeometry::normalize({nan, 0, 10, 10}, v), whole);
    }

    void menuBarCorrection_data() {
        QTest::addColumn<std::vector<Rect>>("bars");
        QTest::addColumn<Rect>("visible");
        QTest::addColumn<Rect>("expected");
        const Rect fromTop{0, 0, 1440, 860};
        const Rect fullBar{0, 0, 1440, 24};
        QTest::newRow("visible frame already below the bar")
            << std::vector{fullBar} << Rect{0, 25, 1440, 875} << Rect{0, 25, 1440, 875};
        QTest::newRow("bar at the top edge") << std::vector{fullBar} << fromTop << Rect{0, 24, 1440, 836};
        QTest::newRow("no bars") << std::vector<Rect>{} << fromTop << fromTop;
        QTest::newRow("bar covering less than half")
            << std::vector{Rect{0, 0, 719, 24}} << fromTop << fromTop;
        QTest::newRow("bar covering exactly half")
            << std::vector{Rect{720, 0, 720, 24}} << fromTop << Rect{0, 24, 1440, 836};
        QTest::newRow("bar more than a point below the top")
            << std::vector{Rect{0, 1.5, 1440, 24}} << fromTop << fromTop;
        QTest::newRow("bar a point below the top")
            << std::vector{Rect{0, 1, 1440, 24}} << fromTop << Rect{0, 25, 1440, 835};
        QTest::newRow("bar without height") << std::vector{Rect{0, 0, 1440, 0}} << fromTop << fromTop;
        QTest::newRow("bar on another screen") << std::vector{Rect{1440, 0, 1920, 24}} << fromTop << fromTop;
        QTest::newRow("first fitting bar wins")
            << std::vector{Rect{0, 0, 100, 40}, Rect{0, 0, 1440, 30}, fullBar} << fromTop
            << Rect{0, 30, 1440, 830};
        QTest::newRow("height never negative")
            << std::vector{fullBar} << Rect{0, 0, 1440, 20} << Rect{0, 24, 1440, 0};
    }
    void menuBarCorrection() {
        QFETCH(std::vector<Rect>, bars);
        QFETCH(Rect, visible);
        QFETCH(Rect, expected);
        QCOMPARE(ScreenGeometry::menuBarAdjustedVisibleFrame(bars, {0, 0, 1440, 900}, visible), expected);
    }

    void regionsTakeTheMenuBarFromTheWindowList() {
        SimDesktop d;
        d.addScreen({Rect{0, 0, 1440, 900}, Rect{0, 40, 1440, 860}, QStringLiteral("Panel-less"), 1, uuidA});
        d.addWindowServerEntry({77, Rect{0, 0, 1440, 900}, WindowLevel::normal}); // a window, not a bar
        const ScreenGeometry g = geometryOf(d);
        const DisplayReference ref{1, std::nullopt, uuidA};
        QCOMPARE(g.regionForDisplay(ref)->visibleFrame, (Rect{0, 0, 1440, 860}));
        d.addWindowServerEntry({99, Rect{0, 0, 1440, 28}, WindowLevel::mainMenu});
        QCOMPARE(g.regionForDisplay(ref)->visibleFrame, (Rect{0, 28, 1440, 832}));
        QCOMPARE(g.menuBarWindowFrames(), (std::vector<Rect>{{0, 0, 1440, 28}}));
        d.world().windowListAvailable = false;
        QCOMPARE(g.regionForDisplay(ref)->visibleFrame, (Rect{0, 0, 1440, 860}));
        QVERIFY(g.menuBarWindowFrames().empty());
    }

    void displayMatching_data() {
        QTest::addColumn<DisplayReference>("stored");
        QTest::addColumn<QString>("expectedUUID"); // of the chosen screen; "-" for none
        QTest::addColumn<std::uint32_t>("expectedNumber");
        QTest::addColumn<bool>("fallback");
        const auto name = [](const char* n) { return std::optional<QString>(QString::fromUtf8(n)); };
        const std::optional<QString> none;
        QTest::newRow("by uuid, whatever the number")
            << DisplayReference{3, none, uuidB} << uuidB << 2u << false;
        QTest::newRow("stale uuid, by number: fresh reference")
            << DisplayReference{3, none, QStringLiteral("OLD")} << "-" << 3u << false;
        QTest::newRow("number before name")
            << DisplayReference{2, name("Built-in Display"), none} << uuidB << 2u << false;
        QTest::newRow("by unique name")
            << DisplayReference{99, name("Built-in Display"), none} << uuidA << 1u << false;
        QTest::newRow("shared name matches nothing: main screen")
            << DisplayReference{99, name("DELL U2720Q"), none} << uuidB << 2u << true;
        QTest::newRow("nothing known: main screen")
            << DisplayReference{99, none, none} << uuidB << 2u << true;
        QTest::newRow("id 0 matches no screen without a number")
            << DisplayReference{0, none, none} << uuidB << 2u << true;
    }
    void displayMatching() {
        QFETCH(DisplayReference, stored);
        QFETCH(QString, expectedUUID);
        QFETCH(std::uint32_t, expectedNumber);
        QFETCH(bool, fallback);
        SimDesktop d;
        addThreeScreens(d);
        d.addScreen({Rect{5280, 0, 800, 600}, Rect{5280, 0, 800, 600}, QStringLiteral("Unnumbered"),
                     std::nullopt, std::nullopt});
        const auto region = geometryOf(d).regionForDisplay(stored);
        QVERIFY(region);
        QCOMPARE(region->reference.id, expectedNumber);
        QCOMPARE(region->reference.uuid.value_or(QStringLiteral("-")), expectedUUID);
        QCOMPARE(region->usedFallback, fallback);
    }

    void fallbackWithoutAMainScreenIsTheFirstScreen() {
        SimDesktop d;
        addThreeScreens(d);
        d.setMainScreen(std::nullopt);
        const auto region = geometryOf(d).regionForDisplay({42, std::nullopt, std::nullopt});
        QCOMPARE(region->reference.uuid, uuidA);
        QVERIFY(region->usedFallback);
        QCOMPARE(region->visibleFrame, (Rect{0, 25, 1440, 875}));
        // A screen that reports number 0 is matched by a stored 0.
        d.addScreen(
            {Rect{0, 900, 640, 480}, Rect{0, 900, 640, 480}, QStringLiteral("Zero"), 0u, std::nullopt});
        QCOMPARE(geometryOf(d).regionForDisplay({0, std::nullopt, std::nullopt})->reference.name,
                 QStringLiteral("Zero"));
    }

    void onlyTheCentreDecidesTheScreen() {
        // Bottom edges aligned: the taller right screen reaches 124 points above
        // the primary, leaving a gap above the primary's top edge.
        SimDesktop d;
        test::addPrimaryScreen(d);
        d.addScreen(
            {Rect{1440, 0, 1280, 1024}, Rect{1440, 0, 1280, 1024}, QStringLiteral("Right"), 2, uuidB});
        const ScreenGeometry g = geometryOf(d);
        QVERIFY(!g.regionContaining({900, -100, 200, 80}));                      // centre in the gap
        QCOMPARE(g.regionContaining({1300, 100, 280, 300})->reference.id, 2u);   // centre on x = 1440
        QCOMPARE(g.regionContaining({1000, 100, 879.9, 300})->reference.id, 1u); // just left of it
        QCOMPARE(g.regionContaining({1500, -124, 100, 100})->visibleFrame, (Rect{1440, -124, 1280, 1024}));
        QVERIFY(!g.regionContaining({0, 850, 100, 100})); // centre on the primary's bottom edge
    }
};

QTEST_GUILESS_MAIN(ScreenGeometryTest)
#include "tst_screengeometry.moc"
