#pragma once

#include "platform/WindowServer.h"
#include "platform/x11/ClientFactsCache.h"
#include "platform/x11/DesktopSpace.h"
#include "platform/x11/XConnection.h"

namespace stellwick::x11 {

// The layer of docks and panels that do not sit at a screen's top edge.
inline constexpr int dockWindowLevel = 20;

// The managed windows in stacking order, front-most first, with their outer
// frames. On-screen means shown now: mapped, not minimized, on the current
// desktop (or on all of them). Panels along a screen's top edge are listed at
// the main-menu level, other docks at the dock level, desktop windows at the
// desktop level.
class X11WindowServer final : public WindowServer {
public:
    X11WindowServer(XConnection& x, ClientFactsCache& clients, DesktopSpace& space);

    std::optional<std::vector<WindowServerEntry>> windowList(unsigned options) const override;
    int windowLevelForKey(int key) const override;

private:
    XConnection& m_x;
    ClientFactsCache& m_clients;
    DesktopSpace& m_space;
};

} // namespace stellwick::x11
