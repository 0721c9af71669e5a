// Reading other applications' windows: the window server's snapshot, which
// of an application's windows may be moved, which window lies under a point,
// and how failures read.

#include "platform/sim/SimDesktop.h"
#include "support/SimFixtures.h"
#include "windows/AccessibilityWindowService.h"
#include "windows/OnScreenWindowIndex.h"
#include "windows/WindowTestSupport.h"

#include <QtTest>
#include <functional>
#include <limits>
#include <utility>

using namespace stellwick;
using sim::SimDesktop;
using sim::SimWindow;
using sim::WindowId;
using Desk = test::WindowDesk;
using Entry = OnScreenWindowIndex::Entry;

namespace {

constexpr std::int32_t editorPid = test::WindowDesk::editorPid;
const QString sheet = QStringLiteral("AXSheet");
using Desk = test::WindowDesk;

template <typename F> std::optional<WindowServiceError> errorOf(F&& call) {
    try {
        call();
    } catch (const WindowServiceError& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

class WindowServiceTest : public QObject {
    Q_OBJECT
private slots:
    // Sheets, minimized windows, other workspaces' windows and windows whose
    // role or frame cannot be read are left out; other unreadable details default.
    void onlyVisibleStandardWindowsAreMovable() {
        Desk k;
        k.add({.pid = editorPid, .frame = Rect{40, 60, 300, 200}, .subrole = sheet});
        k.add({.pid = editorPid, .frame = Rect{50, 70, 300, 200}, .minimized = true});
        k.add({.pid = editorPid, .frame = Rect{200, 150, 600, 400}, .title = QStringLiteral("Notes")});
        k.add({.pid = 200, .frame = Rect{200, 150, 600, 400}}); // another application's
        k.add({.pid = editorPid,
               .frame = Rect{0, 30, 100, 100},
               .readErrors = {{AXAttribute::minimized, -25204}}});
        k.add({.pid = editorPid, .frame = Rect{10, 40, 100, 100}, .title = QString()});
        k.add({.pid = editorPid, .frame = Rect{20, 50, 100, 100}, .title = std::nullopt});
        k.add({.pid = editorPid, .frame = Rect{30, 60, 100, 100}, .onCurrentSpace = false});
        k.add(
            {.pid = editorPid, .frame = Rect{50, 80, 100, 100}, .readErrors = {{AXAttribute::size, -25204}}});
        k.add({.pid = editorPid, .frame = Rect{60, 90, 100, 100}, .role = QStringLiteral("AXwindow")});
        const auto windows = k.service.movableWindows(k.editor);
        QCOMPARE(windows.size(), 4u);
        QCOMPARE(windows[0].id, 2);
        QCOMPARE(windows[0].title, QStringLiteral("Notes"));
        QCOMPARE(windows[0].frame, (Rect{200, 150, 600, 400}));
        QCOMPARE(windows[1].title, QStringLiteral("Window")); // minimized state unreadable: not minimized
        QCOMPARE(windows[2].title, AccessibilityWindowService::untitledWindowTitle);
        QCOMPARE(windows[3].title, QStringLiteral("名称なし"));
    }

    void listingFailsOnlyForPermissionOrTheWindowList() {
        Desk k;
        QVERIFY(k.service.movableWindows(k.editor).empty()); // no windows is no error
        k.d.application(editorPid).windowsWrongType = true;
        QCOMPARE(errorOf([&] { k.service.movableWindows(k.editor); }),
                 WindowServiceError::attributeUnavailable(AXAttribute::windows, 0));
        k.d.world().trusted = false;
        QCOMPARE(errorOf([&] {
                     k.service.windowAtPoint({10, 10});
                 }),
                 WindowServiceError::permissionRequired());
        QCOMPARE(k.d.world().trustPrompts, 0);
    }

    void theWindowServerRouteLooksThroughOtherWindows() {
        Desk k;
        k.d.addApplication(
            {20, QStringLiteral("org.example.palette"), std::nullopt, ActivationPolicy::accessory});
        k.add({.pid = editorPid, .frame = Rect{0, 30, 100, 100}, .title = QStringLiteral("Other")});
        k.add({.pid = editorPid, .frame = Rect{100, 100, 800, 600}, .title = QStringLiteral("Main")});
        k.add({.pid = editorPid, .frame = Rect{300, 300, 200, 100}, .subrole = AXRoleValue::dialog});
        k.add({.pid = 20, .frame = Rect{280, 280, 100, 100}});
        k.add({.pid = k.d.world().ownPid, .frame = Rect{250, 250, 100, 100}});
        // Own window, accessory palette and the dialog are all above the point.
        const auto found = k.service.windowAtPoint({310, 310});
        QCOMPARE(found.application, k.editor);
        QCOMPARE(found.window.title, QStringLiteral("Main"));
        // Its listing errors reach the caller unchanged.
        k.d.application(editorPid).windowsReadError = AXErrorCode::cannotComplete;
        QCOMPARE(errorOf([&] {
                     k.service.windowAtPoint({310, 310});
                 }),
                 WindowServiceError::attributeUnavailable(AXAttribute::windows, AXErrorCode::cannotComplete));
    }

    // Without the window server, the hit element is walked up to its window,
    // at most twelve elements; an application without a bundle identifier is
    // passed over by the window server route but not by this one.
    void theAccessibilityRouteWalksUpFromTheHitElement() {
        for (const int depth : {3, 11, 12}) { // 3: the hit element names its window
            Desk k;
            k.add({.pid = editorPid,
                   .frame = Rect{0, 30, 400, 400},
                   .title = QString(),
                   .hitDepth = depth,
                   .childrenKnowWindow = depth == 3});
            k.d.world().windowListAvailable = false;
            const auto error = errorOf([&] {
                QCOMPARE(k.service.windowAtPoint({10, 40}).window.title, QStringLiteral("名称なし"));
            });
            QCOMPARE(error.has_value(), depth == 12);
        }
        Desk noId;
        noId.d.addApplication({300, std::nullopt, QStringLiteral("Tool"), ActivationPolicy::regular});
        noId.add({.pid = 300, .frame = Rect{0, 30, 400, 400}});
        QCOMPARE(noId.service.windowAtPoint({10, 40}).application.processIdentifier, 300);
    }

    void theAccessibilityRouteRejectsWhatCannotBeMoved() {
        const auto window = [](SimWindow w) { return [w](Desk& k) { k.add(w); }; };
        const Rect frame{0, 30, 400, 400};
        const std::vector<std::pair<const char*, std::function<void(Desk&)>>> cases{
            {"own window", [&](Desk& k) { k.add({.pid = k.d.world().ownPid, .frame = frame}); }},
            {"no running application", window({.pid = 555, .frame = frame})},
            {"frame unreadable", window({.pid = editorPid,
                                         .frame = frame,
                                         .readErrors = {{AXAttribute::position, AXErrorCode::failure}}})},
            {"owner unreadable",
             [&](Desk& k) {
                 k.add({.pid = editorPid, .frame = frame, .pidError = AXErrorCode::failure});
                 k.d.world().windowListAvailable = false;
             }},
            {"the desktop itself", [](Desk&) {}},
        };
        for (const auto& [name, setup] : cases) {
            Desk k;
            setup(k);
            const auto error = errorOf([&] { k.service.windowAtPoint({10, 40}); });
            QVERIFY2(error == WindowServiceError::noMovableWindows(), name);
        }

        Desk failing;
        failing.d.world().hitTestError = AXErrorCode::cannotComplete;
        QCOMPARE(errorOf([&] {
                     failing.service.windowAtPoint({10, 40});
                 })->localizedDescription(),
                 QStringLiteral("クリックした要素を取得できませんでした（AXError: -25204）。"));
    }

    void matchesByOverlapOrByCentres() {
        const double tolerance = OnScreenWindowIndex::positionalTolerance;
        const OnScreenWindowIndex index({{10, Rect{100, 100, 800, 600}}, {20, Rect{0, 0, 20, 20}}});
        QVERIFY(index.containsWindow(10, {100, 100, 800, 600}, tolerance));
        QVERIFY(!index.containsWindow(11, {100, 100, 800, 600}, tolerance)); // same frame, other owner
        // 6 right and 6 down: centres 8.49 apart, but the large window overlaps enough.
        QVERIFY(index.containsWindow(10, {106, 106, 800, 600}, tolerance));
        const OnScreenWindowIndex small({{20, Rect{0, 0, 20, 20}}});
        QVERIFY(!small.containsWindow(20, {6, 6, 20, 20}, tolerance));
        // 5 right: overlap only 0.6, centres 5 apart.
        QVERIFY(small.containsWindow(20, {5, 0, 20, 20}, tolerance));
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
        QVERIFY(index.ownerPIDs({400, 10}, own).empty()); // the right edge is outside
        d.terminateApplication(10);
        QVERIFY(!index.applicationAt({10, 10}, own, apps));
    }
};

QTEST_GUILESS_MAIN(WindowServiceTest)
#include "tst_windowservice.moc"
