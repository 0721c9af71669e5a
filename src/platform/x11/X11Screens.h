#pragma once

#include "platform/Screens.h"
#include "platform/x11/ClientFactsCache.h"
#include "platform/x11/DesktopSpace.h"
#include "platform/x11/XConnection.h"

#include <optional>
#include <utility>

namespace stellwick::x11 {

// The RandR monitors as screens: primary first, frames and work areas (the
// monitor without the docks' struts) in the bottom-left-origin space, the
// monitor's name, its first output as display number and a UUID from its EDID.
// The monitors, their EDIDs and the root's size are kept until an event says
// they changed; the docks' struts come from the client cache.
class X11Screens final : public Screens {
public:
    X11Screens(XConnection& x, ClientFactsCache& clients);

    std::vector<PlatformScreen> screens() const override;
    std::optional<PlatformScreen> mainScreen() const override;
    Cancellable subscribeScreenParameterChanges(std::function<void()> handler) override;

private:
    std::vector<PlatformScreen> screensOf(const MonitorLayout& layout) const;
    MonitorLayout identifiedLayout() const;
    std::vector<Strut> struts(double rootWidth, double rootHeight) const;

    XConnection& m_x;
    ClientFactsCache& m_clients;
    mutable std::optional<MonitorLayout> m_layout;
    mutable std::optional<std::pair<std::uint16_t, std::uint16_t>> m_rootSize;
    Subscribers<std::function<void()>> m_handlers;
    Cancellable m_events;
    Cancellable m_watch;
};

} // namespace stellwick::x11
