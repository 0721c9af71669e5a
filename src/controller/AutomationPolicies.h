#pragma once

#include "model/LayoutModel.h"

#include <cmath>
#include <optional>

namespace stellwick {

// Whether to apply the selected profile once after login.
struct LoginAutomationPolicy {
    static constexpr double uptimeLimit = 600.0;   // seconds after boot
    static constexpr double markerTolerance = 2.0; // seconds between two estimates of one boot

    // `lastMarker` and `bootMarker` are estimates of when the machine started,
    // in seconds since 1970; one apply per boot.
    static bool shouldApply(bool enabled, std::optional<double> lastMarker, double uptime,
                            double bootMarker) {
        if (!enabled)
            return false;
        if (!(uptime <= uptimeLimit))
            return false;
        if (!lastMarker)
            return true;
        return std::abs(*lastMarker - bootMarker) > markerTolerance;
    }
};

// Which placement, if any, to apply when an application launches.
struct AppLaunchAutomationPolicy {
    static std::optional<AppPlacement> placement(const QString& bundleIdentifier,
                                                 const std::optional<LayoutProfile>& profile) {
        if (!profile)
            return std::nullopt;
        for (const AppPlacement& candidate : profile->placements) {
            if (candidate.bundleIdentifier == bundleIdentifier && candidate.arrangeOnLaunch)
                return candidate;
        }
        return std::nullopt;
    }
};

} // namespace stellwick
