#include "platform/x11/MonitorLayout.h"

#include <algorithm>

namespace stellwick::x11 {
namespace {

bool spansOverlap(double start, double end, double min, double max) {
    return start < max && end > min;
}

} // namespace

MonitorLayout::MonitorLayout(std::vector<Monitor> monitors)
    : m_monitors(std::move(monitors)) {
    if (m_monitors.empty())
        return;
    auto primary =
        std::find_if(m_monitors.begin(), m_monitors.end(), [](const Monitor& m) { return m.primary; });
    if (primary == m_monitors.end()) {
        primary = std::find_if(m_monitors.begin(), m_monitors.end(), [](const Monitor& m) {
            return m.rootFrame.contains({0, 0});
        });
    }
    if (primary == m_monitors.end())
        primary = m_monitors.begin();
    std::rotate(m_monitors.begin(), primary, primary + 1);
    for (std::size_t i = 0; i < m_monitors.size(); ++i)
        m_monitors[i].primary = i == 0;
    m_origin = m_monitors.front().rootFrame.origin();
}

Point MonitorLayout::toDesktop(Point root) const {
    return {root.x - m_origin.x, root.y - m_origin.y};
}

Rect MonitorLayout::toDesktop(const Rect& root) const {
    return Rect::fromOriginSize(toDesktop(root.origin()), root.size());
}

Point MonitorLayout::toRoot(Point desktop) const {
    return {desktop.x + m_origin.x, desktop.y + m_origin.y};
}

Rect MonitorLayout::toRoot(const Rect& desktop) const {
    return Rect::fromOriginSize(toRoot(desktop.origin()), desktop.size());
}

double MonitorLayout::flipHeight() const {
    return m_monitors.empty() ? 0 : m_monitors.front().rootFrame.height;
}

Rect MonitorLayout::toBottomLeft(const Rect& desktop) const {
    return {desktop.x, flipHeight() - (desktop.y + desktop.height), desktop.width, desktop.height};
}

Point MonitorLayout::toBottomLeft(Point desktop) const {
    return {desktop.x, flipHeight() - desktop.y};
}

std::optional<std::size_t> MonitorLayout::monitorAt(Point desktop) const {
    const Point root = toRoot(desktop);
    for (std::size_t i = 0; i < m_monitors.size(); ++i) {
        if (m_monitors[i].rootFrame.contains(root))
            return i;
    }
    return std::nullopt;
}

std::vector<Rect> workAreas(const std::vector<Monitor>& monitors, const std::vector<Strut>& struts,
                            double rootWidth, double rootHeight) {
    std::vector<Rect> areas;
    for (const Monitor& monitor : monitors) {
        const Rect m = monitor.rootFrame;
        double left = m.minX(), right = m.maxX(), top = m.minY(), bottom = m.maxY();
        for (const Strut& s : struts) {
            // Each edge: the strut's inner edge in root coordinates.
            if (s.left > 0 && s.left > m.minX() && s.left < m.maxX() &&
                spansOverlap(s.leftStartY, s.leftEndY + 1, m.minY(), m.maxY()))
                left = std::max(left, s.left);
            const double rightEdge = rootWidth - s.right;
            if (s.right > 0 && rightEdge > m.minX() && rightEdge < m.maxX() &&
                spansOverlap(s.rightStartY, s.rightEndY + 1, m.minY(), m.maxY()))
                right = std::min(right, rightEdge);
            if (s.top > 0 && s.top > m.minY() && s.top < m.maxY() &&
                spansOverlap(s.topStartX, s.topEndX + 1, m.minX(), m.maxX()))
                top = std::max(top, s.top);
            const double bottomEdge = rootHeight - s.bottom;
            if (s.bottom > 0 && bottomEdge > m.minY() && bottomEdge < m.maxY() &&
                spansOverlap(s.bottomStartX, s.bottomEndX + 1, m.minX(), m.maxX()))
                bottom = std::min(bottom, bottomEdge);
        }
        areas.push_back({left, top, std::max(right - left, 0.0), std::max(bottom - top, 0.0)});
    }
    return areas;
}

} // namespace stellwick::x11
