#include "model/ScreenGeometry.h"

#include <algorithm>
#include <cmath>

namespace stellwick {
namespace {

// A menu bar belongs to a screen when it sits within this distance of the
// screen's top edge and spans at least this share of its width.
constexpr double topEdgeTolerance = 1.0;
constexpr double minimumBarWidthShare = 0.5;

double flipHeight(const std::vector<PlatformScreen>& screens) {
    return screens.empty() ? 0 : screens.front().frame.maxY();
}

Rect flipped(const Rect& r, double height) {
    const Rect s = r.standardized();
    return {s.x, height - s.maxY(), s.width, s.height};
}

} // namespace

ScreenGeometry::ScreenGeometry(const Screens& screens, const WindowServer& windowServer)
    : m_screens(screens)
    , m_windowServer(windowServer) {}

double ScreenGeometry::primaryScreenTop() const {
    return flipHeight(m_screens.screens());
}

Point ScreenGeometry::accessibilityPoint(Point p) const {
    return {p.x, primaryScreenTop() - p.y};
}

Rect ScreenGeometry::accessibilityRect(const Rect& r) const {
    const std::vector<PlatformScreen> screens = m_screens.screens();
    // Without screens a rectangle flips about its own bottom edge.
    return flipped(r, screens.empty() ? r.maxY() : flipHeight(screens));
}

DisplayReference ScreenGeometry::displayReference(const PlatformScreen& screen) {
    return DisplayReference{screen.displayNumber.value_or(0), screen.localizedName, screen.displayUUID};
}

std::vector<Rect> ScreenGeometry::menuBarWindowFrames() const {
    const auto list = m_windowServer.windowList(WindowListOption::onScreenOnly);
    if (!list)
        return {};
    const int menuLevel = m_windowServer.windowLevelForKey(WindowLevelKey::mainMenu);
    std::vector<Rect> bars;
    for (const WindowServerEntry& entry : *list) {
        if (entry.layer == menuLevel)
            bars.push_back(entry.bounds);
    }
    return bars;
}

Rect ScreenGeometry::menuBarAdjustedVisibleFrame(const std::vector<Rect>& bars, const Rect& screenFrame,
                                                 const Rect& visibleFrame) {
    const Rect& s = screenFrame;
    const Rect& v = visibleFrame;
    if (v.minY() > s.minY() + topEdgeTolerance || bars.empty())
        return v;
    const auto belongsToScreen = [&s](const Rect& bar) {
        return std::abs(bar.minY() - s.minY()) <= topEdgeTolerance &&
               bar.intersected(s).standardized().width >= minimumBarWidthShare * s.standardized().width &&
               bar.standardized().height > 0;
    };
    const auto bar = std::find_if(bars.begin(), bars.end(), belongsToScreen);
    if (bar == bars.end())
        return v;
    const double top = std::max(v.minY(), bar->maxY());
    return {v.minX(), top, v.standardized().width, std::max(v.maxY() - top, 0.0)};
}

ScreenRegion ScreenGeometry::region(const PlatformScreen& screen, double height, bool usedFallback) const {
    const Rect frame = flipped(screen.frame, height);
    const Rect visible = flipped(screen.visibleFrame, height);
    return {displayReference(screen), menuBarAdjustedVisibleFrame(menuBarWindowFrames(), frame, visible),
            usedFallback};
}

std::optional<ScreenRegion> ScreenGeometry::regionForDisplay(const DisplayReference& reference) const {
    const std::vector<PlatformScreen> screens = m_screens.screens();
    if (screens.empty())
        return std::nullopt;
    const double height = flipHeight(screens);
    const auto first = [&screens](auto matches) -> const PlatformScreen* {
        const auto it = std::find_if(screens.begin(), screens.end(), matches);
        return it == screens.end() ? nullptr : &*it;
    };

    const PlatformScreen* byUUID = nullptr;
    if (reference.uuid)
        byUUID = first([&](const PlatformScreen& s) { return s.displayUUID == reference.uuid; });
    // A screen without a number never matches, not even a stored 0.
    const PlatformScreen* byNumber =
        first([&](const PlatformScreen& s) { return s.displayNumber && *s.displayNumber == reference.id; });
    // Two screens of the same name (identical monitors) match neither.
    const PlatformScreen* byName = nullptr;
    if (reference.name) {
        const auto named = [&](const PlatformScreen& s) { return s.localizedName == *reference.name; };
        if (std::count_if(screens.begin(), screens.end(), named) == 1)
            byName = first(named);
    }

    for (const PlatformScreen* match : {byUUID, byNumber, byName}) {
        if (match)
            return region(*match, height, false);
    }
    if (const auto main = m_screens.mainScreen())
        return region(*main, height, true);
    return region(screens.front(), height, true);
}

std::optional<ScreenRegion> ScreenGeometry::regionContaining(const Rect& rect) const {
    const std::vector<PlatformScreen> screens = m_screens.screens();
    if (screens.empty())
        return std::nullopt;
    const double height = flipHeight(screens);
    const Point centre = rect.center();
    for (const PlatformScreen& screen : screens) {
        if (flipped(screen.frame, height).contains(centre))
            return region(screen, height, false);
    }
    return std::nullopt;
}

NormalizedFrame ScreenGeometry::normalize(const Rect& window, const Rect& visibleFrame) {
    const NormalizedFrame whole{0, 0, 1, 1};
    const Rect v = visibleFrame.standardized();
    // Also refuses NaN extents.
    if (!(v.width > 0) || !(v.height > 0))
        return whole;
    const Rect r = window.intersected(v);
    if (r.isEmpty())
        return whole;
    return {(r.minX() - v.minX()) / v.width, (r.minY() - v.minY()) / v.height, r.width / v.width,
            r.height / v.height};
}

Rect ScreenGeometry::denormalize(const NormalizedFrame& frame, const Rect& visibleFrame) {
    const Rect v = visibleFrame.standardized();
    return {v.x + frame.x * v.width, v.y + frame.y * v.height, frame.width * v.width,
            frame.height * v.height};
}

} // namespace stellwick
