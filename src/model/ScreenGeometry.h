#pragma once

#include "model/Geometry.h"
#include "model/LayoutModel.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"

#include <optional>
#include <vector>

namespace stellwick {

// A screen resolved for laying windows out: its reference (built afresh from
// the screen), its usable area in the top-left-origin desktop space, and
// whether it stands in for a display that was not found.
struct ScreenRegion {
    DisplayReference reference;
    Rect visibleFrame;
    bool usedFallback = false;

    bool operator==(const ScreenRegion&) const = default;
};

// Ties stored areas to the screens that exist now. Holds no state: every call
// asks the platform again, so results describe the screens of that moment.
//
// Two spaces meet here. Screens report frames with the origin at the primary
// screen's bottom-left corner and y growing upwards; windows, points and every
// result of this class use the primary screen's top-left corner, y downwards.
class ScreenGeometry {
public:
    ScreenGeometry(const Screens& screens, const WindowServer& windowServer);

    // The flip height: the top edge of the primary screen in the screens'
    // space; 0 without screens.
    double primaryScreenTop() const;
    // Flips between the two spaces; the same formula works both ways.
    Point accessibilityPoint(Point p) const;
    Rect accessibilityRect(const Rect& r) const;

    static DisplayReference displayReference(const PlatformScreen& screen);

    // Bounds of the on-screen windows at the menu-bar level (top panels).
    std::vector<Rect> menuBarWindowFrames() const;
    // The visible frame moved down below a top panel that the platform failed
    // to leave out of it. All rectangles in the top-left-origin space.
    static Rect menuBarAdjustedVisibleFrame(const std::vector<Rect>& bars, const Rect& screenFrame,
                                            const Rect& visibleFrame);

    // The screen that best matches a stored reference (uuid, number, unique
    // name), else the main or first screen as a fallback; none without screens.
    std::optional<ScreenRegion> regionForDisplay(const DisplayReference& reference) const;
    // The screen holding the centre of `rect`; none when the centre is on no screen.
    std::optional<ScreenRegion> regionContaining(const Rect& rect) const;

    // The part of `window` inside `visibleFrame`, as fractions of it; the whole
    // area for a window outside it or a degenerate visible frame.
    static NormalizedFrame normalize(const Rect& window, const Rect& visibleFrame);
    static Rect denormalize(const NormalizedFrame& frame, const Rect& visibleFrame);

private:
    ScreenRegion region(const PlatformScreen& screen, double flipHeight, bool usedFallback) const;

    const Screens& m_screens;
    const WindowServer& m_windowServer;
};

} // namespace stellwick
