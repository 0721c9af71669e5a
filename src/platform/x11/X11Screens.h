#pragma once

#include "platform/Screens.h"
#include "platform/x11/DesktopSpace.h"
#include "platform/x11/XConnection.h"

namespace stellwick::x11 {

// The RandR monitors as screens: primary first, frames and work areas (the
// monitor without the docks' struts) in the bottom-left-origin space, the
// monitor's name, its first output as display number and a UUID from its EDID.
class X11Screens final : public Screens {
public:
    explicit X11Screens(XConnection& x);

    std::vector<PlatformScreen> screens() const override;
    std::optional<PlatformScreen> mainScreen() const override;
    Cancellable subscribeScreenParameterChanges(std::function<void()> handler) override;

private:
    std::vector<PlatformScreen> screensOf(const MonitorLayout& layout) const;

    XConnection& m_x;
    Subscribers<std::function<void()>> m_handlers;
    Cancellable m_events;
};

} // namespace stellwick::x11
