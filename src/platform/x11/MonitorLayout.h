#pragma once

#include "model/Geometry.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace stellwick::x11 {

// One monitor of the X screen, in root-window coordinates.
struct Monitor {
    QString name; // the connector's name ("HDMI-1"), or the monitor's own
    Rect rootFrame;
    bool primary = false;
    std::optional<std::uint32_t> output; // its first RandR output; none for a virtual monitor
    std::optional<QString> uuid;         // from the EDID; none without one

    bool operator==(const Monitor&) const = default;
};

// Space a dock reserves along the root window's edges (_NET_WM_STRUT_PARTIAL,
// or _NET_WM_STRUT, which spans whole edges).
struct Strut {
    double left = 0, right = 0, top = 0, bottom = 0;
    double leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    double topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;

    bool operator==(const Strut&) const = default;
};

// The monitors, primary first, and the one translation between root-window
// coordinates and the desktop space the logic uses: top-left origin at the
// primary monitor's top-left corner, y down. Screen frames go out in the
// bottom-left-origin space where the primary's frame starts at (0, 0).
class MonitorLayout {
public:
    MonitorLayout() = default;
    // The primary is the flagged monitor, else the one at the root's origin,
    // else the first; it moves to the front, the others keep their order.
    explicit MonitorLayout(std::vector<Monitor> monitors);

    const std::vector<Monitor>& monitors() const { return m_monitors; }
    bool empty() const { return m_monitors.empty(); }

    Point toDesktop(Point root) const;
    Rect toDesktop(const Rect& root) const;
    Point toRoot(Point desktop) const;
    Rect toRoot(const Rect& desktop) const;

    // The primary's height: y_bottomLeft = flipHeight − (y_desktop + height).
    double flipHeight() const;
    Rect toBottomLeft(const Rect& desktop) const;
    Point toBottomLeft(Point desktop) const;

    // The first monitor (in order) whose frame holds a point of the desktop space.
    std::optional<std::size_t> monitorAt(Point desktop) const;

private:
    std::vector<Monitor> m_monitors;
    Point m_origin;
};

// Each monitor's frame without the struts that end inside it, root coordinates.
// A strut counts for a monitor when its inner edge falls within the monitor and
// its span along the edge overlaps the monitor (so a panel on a lower monitor
// does not swallow the monitor above it).
std::vector<Rect> workAreas(const std::vector<Monitor>& monitors, const std::vector<Strut>& struts,
                            double rootWidth, double rootHeight);

} // namespace stellwick::x11
