#pragma once

#include "model/Geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace stellwick {

// One window in the window server's list. Bounds are in the top-left-origin
// desktop space, outer frame included.
struct WindowServerEntry {
    std::int32_t ownerPID = 0;
    Rect bounds;
    int layer = 0;
    // The window's own number, as Accessibility::windowNumber gives it; 0 when unknown.
    std::uint32_t windowNumber = 0;

    bool operator==(const WindowServerEntry&) const = default;
};

namespace WindowListOption {
inline constexpr unsigned onScreenOnly = 1;
inline constexpr unsigned excludeDesktopElements = 16;
} // namespace WindowListOption

namespace WindowLevelKey {
inline constexpr int mainMenu = 8;
} // namespace WindowLevelKey

namespace WindowLevel {
inline constexpr int normal = 0;
inline constexpr int mainMenu = 24;
inline constexpr int desktop = -2147483623;
} // namespace WindowLevel

class WindowServer {
public:
    virtual ~WindowServer() = default;

    // The windows visible on the current workspace, front-most first; none when
    // the list cannot be had. With excludeDesktopElements the desktop window
    // and its icons are left out.
    virtual std::optional<std::vector<WindowServerEntry>> windowList(unsigned options) const = 0;
    // The layer a kind of window sits at (mainMenu: top panels and menu bars).
    virtual int windowLevelForKey(int key) const = 0;
};

} // namespace stellwick
