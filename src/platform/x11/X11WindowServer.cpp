#include "platform/x11/X11WindowServer.h"

#include "platform/x11/ClientWindows.h"

#include <cmath>

namespace stellwick::x11 {
namespace {

bool atTopEdgeOfMonitor(const Rect& root, const MonitorLayout& layout) {
    for (const Monitor& monitor : layout.monitors()) {
        const Rect& m = monitor.rootFrame;
        const bool overlapsHorizontally = root.minX() < m.maxX() && root.maxX() > m.minX();
        if (overlapsHorizontally && std::abs(root.minY() - m.minY()) <= 1.0)
            return true;
    }
    return false;
}

} // namespace

X11WindowServer::X11WindowServer(XConnection& x, ClientFactsCache& clients, DesktopSpace& space)
    : m_x(x)
    , m_clients(clients)
    , m_space(space) {}

std::optional<std::vector<WindowServerEntry>> X11WindowServer::windowList(unsigned options) const {
    if (!m_x.isAlive())
        return std::nullopt;
    const std::vector<xcb_window_t> managed = m_clients.clientsFrontToBack();
    const std::vector<ClientFacts> clients = m_clients.read(
        managed, ClientField::frame | ClientField::owner | ClientField::kind | ClientField::state);
    m_clients.keepOnly(managed);
    const std::optional<std::uint32_t> desktop = m_clients.currentDesktop();
    const MonitorLayout& layout = m_space.layout();
    const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();

    std::vector<WindowServerEntry> entries;
    for (const ClientFacts& client : clients) {
        if (!client.exists || !client.pid)
            continue;
        if (options & WindowListOption::onScreenOnly) {
            const bool shown = client.viewable && client.wmState.value_or(wmStateNormal) == wmStateNormal &&
                               client.onDesktop(desktop) && !client.hasState(ewmh._NET_WM_STATE_HIDDEN);
            if (!shown)
                continue;
        }
        const WindowKind kind = windowKind(client.types, client.transient, ewmh);
        if (kind == WindowKind::desktop && (options & WindowListOption::excludeDesktopElements))
            continue;
        int layer = WindowLevel::normal;
        if (kind == WindowKind::dock)
            layer = atTopEdgeOfMonitor(client.outer, layout) ? WindowLevel::mainMenu : dockWindowLevel;
        else if (kind == WindowKind::desktop)
            layer = WindowLevel::desktop;
        entries.push_back({*client.pid, layout.toDesktop(client.outer), layer, client.window});
    }
    return entries;
}

int X11WindowServer::windowLevelForKey(int key) const {
    return key == WindowLevelKey::mainMenu ? WindowLevel::mainMenu : WindowLevel::normal;
}

} // namespace stellwick::x11
