#pragma once

#include "model/Geometry.h"
#include "platform/Applications.h"
#include "platform/WindowServer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace stellwick {

// A snapshot of the windows the window server shows now, front-most first.
// Windows of every layer and owner are in it, this process's own included.
class OnScreenWindowIndex {
public:
    struct Entry {
        std::int32_t ownerPID = 0;
        Rect frame;
        std::uint32_t windowNumber = 0; // 0: unknown
        bool operator==(const Entry&) const = default;
    };

    // How far a window read through accessibility may sit from its
    // window-server bounds and still be the same window.
    static constexpr double positionalTolerance = 2.0;

    // On-screen windows without desktop elements; empty when the list cannot be had.
    static OnScreenWindowIndex current(const WindowServer& server);

    explicit OnScreenWindowIndex(std::vector<Entry> entries = {});

    const std::vector<Entry>& entries() const { return m_entries; }

    // Whether a window of that owner matches `frame`: by overlap (at least 75 %
    // of the union) or by centres no farther apart than max(tolerance, 8).
    // When both the window and an entry have a number, only the numbers count:
    // two windows with one frame on different workspaces stay apart.
    bool containsWindow(std::int32_t ownerPID, const Rect& frame, double tolerance,
                        std::uint32_t windowNumber = 0) const;
    // Owners of the windows under a point, front to back, repeats kept.
    std::vector<std::int32_t> ownerPIDs(Point at, std::int32_t excluding) const;
    // The front-most regular application with a bundle identifier that owns a
    // window under the point, as that window identifies it; windows of other
    // processes are looked through.
    std::optional<RunningApplication> applicationAt(Point at, std::int32_t excluding,
                                                    const Applications& apps) const;

private:
    std::vector<Entry> m_entries;
};

} // namespace stellwick
