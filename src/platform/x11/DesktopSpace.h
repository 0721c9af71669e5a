#pragma once

// X11 backend only: the monitor layout that coordinates are translated with.

#include "platform/x11/MonitorLayout.h"
#include "platform/x11/XConnection.h"

#include <optional>

namespace stellwick::x11 {

// Whether an event may mean that monitors changed: RandR notifications (real
// outputs) and the root window's ConfigureNotify (monitors set with
// `xrandr --setmonitor` send nothing else).
bool isMonitorChange(XConnection& x, const xcb_generic_event_t& event);
// Whether an event says an output's EDID changed.
bool isOutputPropertyChange(XConnection& x, const xcb_generic_event_t& event);

// The monitor layout, read once and kept until the monitors change, so that
// every window read does not ask for the monitors again.
class DesktopSpace {
public:
    explicit DesktopSpace(XConnection& x);

    const MonitorLayout& layout();

private:
    XConnection& m_x;
    std::optional<MonitorLayout> m_layout;
    Cancellable m_events;
};

} // namespace stellwick::x11
