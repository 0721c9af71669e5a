#include "windows/OnScreenWindowIndex.h"

#include <algorithm>
#include <cmath>

namespace stellwick {
namespace {

constexpr double minimumOverlapShare = 0.75;
constexpr double minimumCentreDistance = 8.0;

bool isFinite(const Rect& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

bool sameWindow(const Rect& entry, const Rect& frame, double tolerance) {
    const double overlap = entry.intersected(frame).area();
    const double unionArea = entry.area() + frame.area() - overlap;
    if (unionArea > 0 && overlap / unionArea >= minimumOverlapShare)
        return true;
    const double distance = std::hypot(entry.midX() - frame.midX(), entry.midY() - frame.midY());
    return distance <= std::max(tolerance, minimumCentreDistance);
}

} // namespace

OnScreenWindowIndex OnScreenWindowIndex::current(const WindowServer& server) {
    const auto list =
        server.windowList(WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements);
    if (!list)
        return OnScreenWindowIndex();
    std::vector<Entry> entries;
    entries.reserve(list->size());
    for (const WindowServerEntry& window : *list) {
        // Bounds that are no rectangle are left out, as unreadable ones are.
        if (isFinite(window.bounds))
            entries.push_back({window.ownerPID, window.bounds, window.windowNumber});
    }
    return OnScreenWindowIndex(std::move(entries));
}

OnScreenWindowIndex::OnScreenWindowIndex(std::vector<Entry> entries)
    : m_entries(std::move(entries)) {}

bool OnScreenWindowIndex::containsWindow(std::int32_t ownerPID, const Rect& frame, double tolerance,
                                         std::uint32_t windowNumber) const {
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        if (entry.ownerPID != ownerPID)
            return false;
        if (windowNumber != 0 && entry.windowNumber != 0)
            return entry.windowNumber == windowNumber;
        return sameWindow(entry.frame, frame, tolerance);
    });
}

std::vector<std::int32_t> OnScreenWindowIndex::ownerPIDs(Point at, std::int32_t excluding) const {
    std::vector<std::int32_t> owners;
    for (const Entry& entry : m_entries) {
        if (entry.ownerPID != excluding && entry.frame.contains(at))
            owners.push_back(entry.ownerPID);
    }
    return owners;
}

std::optional<RunningApplication> OnScreenWindowIndex::applicationAt(Point at, std::int32_t excluding,
                                                                     const Applications& apps) const {
    for (const Entry& entry : m_entries) {
        if (entry.ownerPID == excluding || !entry.frame.contains(at))
            continue;
        const auto app = apps.applicationOfWindow(entry.ownerPID, entry.windowNumber);
        if (app && !app->isTerminated && app->activationPolicy == ActivationPolicy::regular &&
            app->bundleIdentifier && !app->bundleIdentifier->isEmpty())
            return app;
    }
    return std::nullopt;
}

} // namespace stellwick
