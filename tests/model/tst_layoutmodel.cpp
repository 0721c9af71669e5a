// The layout records and the operations that keep a state's invariants; the
// screens' geometry: flipping between the bottom-left-origin and top-left-origin
// spaces, usable areas, finding the screen for a stored display or a window.

#include "model/LayoutModel.h"
#include "model/ScreenGeometry.h"
#include "platform/sim/SimDesktop.h"
#include "support/SimFixtures.h"
#include "windows/WindowTestSupport.h"

#include <QtTest>
#include <limits>

using namespace stellwick;
using sim::SimDesktop;

Q_DECLARE_METATYPE(stellwick::NormalizedFrame)

namespace {

const Date t0{1000};
const Date t1{2000};

AppPlacement placement(const QString& bundle, double x = 0.1, bool onLaunch = false) {
    return AppPlacement{
        bundle,   bundle,      DisplayReference{1, QStringLiteral("Display"), {}}, {x, 0.2, 0.3, 0.4},
        onLaunch, std::nullopt};
}

const QString uuidA = QStringLiteral("11111111-1111-1111-1111-111111111111");
const QString uuidB = QStringLiteral("22222222-2222-2222-2222-222222222222");

ScreenGeometry geometryOf(SimDesktop& d) {
    return ScreenGeometry(d.platform().screens, d.platform().windowServer);
}

} // namespace

class LayoutModelTest : public QObject {
    Q_OBJECT
private slots:
    void profileNamesAreTrimmedOfUnicodeWhiteSpace_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank") << QStringLiteral(" \u3000 ") << QStringLiteral("名称未設定");
        QTest::newRow("line breaks kept inside")
            << QStringLiteral(" \n 作業 用\t\r\n") << QStringLiteral("作業 用");
        QTest::newRow("Unicode spaces") << QStringLiteral("\u00A0\u2028Work\u205F") << QStringLiteral("Work");
        // Zero-width space and BOM are not white space: they stay.
        QTest::newRow("U+200B stays") << QStringLiteral("\u200BWork") << QStringLiteral("\u200BWork");
    }
    void profileNamesAreTrimmedOfUnicodeWhiteSpace() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(normalizedProfileName(input), expected);
    }

    void createRenameAndDeleteKeepAProfileSelected() {
        StellwickState state = StellwickState::initialState(t0);
        const QUuid a = state.profiles[0].id;
        const LayoutProfile b = state.createProfile(QStringLiteral("B"), t1);
        QCOMPARE(state.selectedProfileID, b.id);
        QCOMPARE(b.modifiedAt, std::optional<Date>(t1));
        state.renameProfile(a, QStringLiteral(" デフォルト "), Date{3000}); // the same name still touches
        QCOMPARE(state.profiles[0].name, QStringLiteral("デフォルト"));
        QCOMPARE(state.profiles[0].modifiedAt, std::optional<Date>(Date{3000}));

        const QUuid c = state.createProfile(QStringLiteral("C"), t0).id;
        state.deleteProfile(b.id);
        QCOMPARE(state.selectedProfileID, c); // not selected: selection stays
        state.deleteProfile(c);
        QCOMPARE(state.selectedProfileID, a); // selected: the first remaining, not a neighbour
    }

    void duplicateProfileIdsNeverEmptyTheList() {
        // Only a hand-edited file can hold two profiles with one id.
        StellwickState state = StellwickState::initialState(t0);
        LayoutProfile twin = state.profiles[0];
        state.profiles.append(twin);
        QVERIFY(!state.canDeleteProfile(twin.id));
        state.deleteProfile(twin.id);
        QCOMPARE(state.profiles.size(), 2);
        state.createProfile(QStringLiteral("Other"), t1);
        state.deleteProfile(twin.id); // removes both twins
        QCOMPARE(state.profiles.size(), 1);
    }

    // Edits act on the first placement of a bundle identifier, touch the
    // profile only when that placement exists, and removal takes every one.
    void placementEditsActOnTheFirstMatch() {
        StellwickState state = StellwickState::initialState(t0);
        state.profiles[0].placements = {placement(QStringLiteral("a"), 0.1), placement(QStringLiteral("b")),
                                        placement(QStringLiteral("a"), 0.2)};
        state.setArrangeOnLaunch(true, QStringLiteral("missing"), t1);
        state.updatePlacementFrame(QStringLiteral("missing"), {0, 0, 1, 1}, t1);
        QCOMPARE(state.profiles[0].modifiedAt, std::optional<Date>(t0));

        const AppPlacement replacement = placement(QStringLiteral("a"), 0.7, true);
        state.upsertPlacement(replacement, t1);
        QCOMPARE(state.profiles[0].placements[0], replacement);
        QCOMPARE(state.profiles[0].placements[2].frame.x, 0.2);
        state.setArrangeOnLaunch(true, QStringLiteral("a"), Date{3000}); // same value still touches
        QCOMPARE(state.profiles[0].modifiedAt, std::optional<Date>(Date{3000}));
        state.upsertPlacement(placement(QStringLiteral("c")), t1);
        QCOMPARE(state.profiles[0].placements.size(), 4);
        state.removePlacement(QStringLiteral("a"), t1);
        QCOMPARE(state.profiles[0].placements.size(), 2);
    }

    void clampedKeepsAreasInsideTheVisibleFrame_data() {
        QTest::addColumn<NormalizedFrame>("input");
        QTest::addColumn<NormalizedFrame>("expected");
        QTest::newRow("left, top and wide")
            << NormalizedFrame{-0.2, 0.99, 2.0, 0.01} << NormalizedFrame{0, 0.95, 1.0, 0.05};
        QTest::newRow("right, narrow and low")
            << NormalizedFrame{0.955, 0.1, 0.01, 0.04} << NormalizedFrame{0.95, 0.1, 0.05, 0.05};
        QTest::newRow("width limited by x")
            << NormalizedFrame{0.9, 0.5, 0.5, 0.5} << NormalizedFrame{0.9, 0.5, 1 - 0.9, 0.5};
    }
    void clampedKeepsAreasInsideTheVisibleFrame() {
        QFETCH(NormalizedFrame, input);
        QFETCH(NormalizedFrame, expected);
        const NormalizedFrame clamped = input.clamped();
        QCOMPARE(clamped.x, expected.x);
        QCOMPARE(clamped.y, expected.y);
        QCOMPARE(clamped.width, expected.width);
        QCOMPARE(clamped.height, expected.height);
    }

    void theWorkedExampleBothWays() {
        SimDesktop d;
        test::addPrimaryScreen(d);
        const ScreenGeometry g = geometryOf(d);
        QCOMPARE(g.accessibilityRect({0, 0, 1440, 875}), (Rect{0, 25, 1440, 875}));
        const Rect window{100, 125, 720, 437.5};
        const auto region = g.regionContaining(window);
        QCOMPARE(region->visibleFrame, (Rect{0, 25, 1440, 875}));
        QVERIFY(!region->usedFallback);
        QCOMPARE(region->reference.name, QStringLiteral("Built-in Display"));
        QCOMPARE(ScreenGeometry::normalize(window, region->visibleFrame),
                 (NormalizedFrame{100.0 / 1440, 100.0 / 875, 0.5, 0.5}));
        QCOMPARE(ScreenGeometry::denormalize({0.5, 0.5, 0.5, 0.5}, region->visibleFrame),
                 (Rect{720, 462.5, 720, 437.5}));
    }

    // Only the part inside the area is recorded; no overlap or an area without
    // extent records the whole area.
    void normalizeRecordsOnlyThePartInsideTheArea() {
        const Rect v{0, 25, 1440, 875};
        QCOMPARE(ScreenGeometry::normalize({1240, 125, 400, 200}, v),
                 (NormalizedFrame{1240.0 / 1440, 100.0 / 875, 200.0 / 1440, 200.0 / 875}));
        const NormalizedFrame whole{0, 0, 1, 1};
        QCOMPARE(ScreenGeometry::normalize({1440, 100, 100, 100}, v), whole); // touches the edge only
        QCOMPARE(ScreenGeometry::normalize({0, 0, 10, 10}, {0, 0, 0, 900}), whole);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(ScreenGeometry::normalize({0, 0, 10, 10}, {0, 0, 900, nan}), whole);
        QCOMPARE(ScreenGeometry::normalize({nan, 0, 10, 10}, v), whole);
    }

    // A bar counts when it lies within a point of the screen's top and spans at
    // least half its width; the first such bar moves the area's top below it.
    void menuBarCorrection() {
        const Rect fromTop{0, 0, 1440, 860};
        const auto adjusted = [](std::vector<Rect> bars, Rect visible = {0, 0, 1440, 860}) {
            return ScreenGeometry::menuBarAdjustedVisibleFrame(bars, {0, 0, 1440, 900}, visible);
        };
        const Rect fullBar{0, 0, 1440, 24};
        QCOMPARE(adjusted({fullBar}), (Rect{0, 24, 1440, 836}));
        QCOMPARE(adjusted({{0, 0, 719, 24}}), fromTop);
        QCOMPARE(adjusted({{720, 0, 720, 24}}), (Rect{0, 24, 1440, 836}));
        QCOMPARE(adjusted({{0, 1.5, 1440, 24}}), fromTop);
        QCOMPARE(adjusted({{0, 1, 1440, 24}}), (Rect{0, 25, 1440, 835}));
        QCOMPARE(adjusted({{0, 0, 100, 40}, {0, 0, 1440, 30}, fullBar}), (Rect{0, 30, 1440, 830}));
        QCOMPARE(adjusted({fullBar}, {0, 0, 1440, 20}), (Rect{0, 24, 1440, 0})); // never negative
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
    }

    // By uuid, then number, then a name no other screen has; else the main
    // screen, else the first, as a fallback.
    void displayMatching() {
        // Screens in a row; two of them share a name, two have no uuid. The
        // second is the main screen, so "main" and "first" fallbacks differ.
        SimDesktop d;
        test::addPrimaryScreen(d, 1, uuidA); // "Built-in Display"
        d.addScreen({Rect{1440, 0, 1920, 1080}, Rect{1440, 0, 1920, 1080}, "DELL U2720Q", 2, uuidB});
        d.addScreen({Rect{3360, 0, 1920, 1080}, Rect{3360, 0, 1920, 1080}, "DELL U2720Q", 3, std::nullopt});
        d.setMainScreen(1);
        d.addScreen({Rect{5280, 0, 800, 600}, Rect{5280, 0, 800, 600}, QStringLiteral("Unnumbered"),
                     std::nullopt, std::nullopt});
        const ScreenGeometry g = geometryOf(d);
        using Match = std::pair<std::uint32_t, bool>; // the chosen screen's number, whether a fallback
        const auto match = [&g](std::uint32_t id, const char* name, std::optional<QString> uuid) {
            const auto region = g.regionForDisplay(
                {id, name ? std::optional(QString::fromUtf8(name)) : std::nullopt, std::move(uuid)});
            return Match(region->reference.id, region->usedFallback);
        };
        QCOMPARE(match(3, nullptr, uuidB), Match(2, false));
        QCOMPARE(match(3, nullptr, QStringLiteral("OLD")), Match(3, false));
        QCOMPARE(match(2, "Built-in Display", std::nullopt), Match(2, false));
        QCOMPARE(match(99, "Built-in Display", std::nullopt), Match(1, false));
        QCOMPARE(match(99, "DELL U2720Q", std::nullopt), Match(2, true)); // a shared name matches nothing
        QCOMPARE(match(0, nullptr, std::nullopt), Match(2, true));        // a screen without a number is no 0
        d.setMainScreen(std::nullopt);
        QCOMPARE(match(42, nullptr, std::nullopt), Match(1, true));
        d.addScreen(
            {Rect{0, 900, 640, 480}, Rect{0, 900, 640, 480}, QStringLiteral("Zero"), 0u, std::nullopt});
        QCOMPARE(match(0, nullptr, std::nullopt), Match(0, false));
    }

    void onlyTheCentreDecidesTheScreen() {
        // Bottom edges aligned: the taller right screen reaches 124 points above
        // the primary, leaving a gap above the primary's top edge.
        SimDesktop d;
        test::addPrimaryScreen(d);
        d.addScreen(
            {Rect{1440, 0, 1280, 1024}, Rect{1440, 0, 1280, 1024}, QStringLiteral("Right"), 2, uuidB});
        const ScreenGeometry g = geometryOf(d);
        QVERIFY(!g.regionContaining({900, -100, 200, 80}));                    // centre in the gap
        QCOMPARE(g.regionContaining({1300, 100, 280, 300})->reference.id, 2u); // centre on x = 1440
        QCOMPARE(g.regionContaining({1500, -124, 100, 100})->visibleFrame, (Rect{1440, -124, 1280, 1024}));
        QVERIFY(!g.regionContaining({0, 850, 100, 100})); // centre on the primary's bottom edge
    }
};

QTEST_GUILESS_MAIN(LayoutModelTest)
#include "tst_layoutmodel.moc"
