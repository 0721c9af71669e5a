#include "platform/x11/DesktopSpace.h"

#include "platform/x11/MonitorReader.h"

#include <xcb/randr.h>

namespace stellwick::x11 {

bool isMonitorChange(XConnection& x, const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_CONFIGURE_NOTIFY)
        return reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == x.root();
    if (const auto base = x.randrEventBase()) {
        if (type == *base + XCB_RANDR_NOTIFY)
            return reinterpret_cast<const xcb_randr_notify_event_t&>(event).subCode !=
                   XCB_RANDR_NOTIFY_OUTPUT_PROPERTY;
        return type == *base + XCB_RANDR_SCREEN_CHANGE_NOTIFY;
    }
    return false;
}

bool isOutputPropertyChange(XConnection& x, const xcb_generic_event_t& event) {
    const auto base = x.randrEventBase();
    if (!base || (event.response_type & 0x7f) != *base + XCB_RANDR_NOTIFY)
        return false;
    const auto& notify = reinterpret_cast<const xcb_randr_notify_event_t&>(event);
    return notify.subCode == XCB_RANDR_NOTIFY_OUTPUT_PROPERTY && notify.u.op.atom == x.atoms().edid;
}

DesktopSpace::DesktopSpace(XConnection& x)
    : m_x(x) {
    // A watcher: a change already read from the server counts at once.
    m_events = m_x.addEventWatcher([this](const xcb_generic_event_t& event) {
        if (isMonitorChange(m_x, event))
            m_layout.reset();
    });
}

const MonitorLayout& DesktopSpace::layout() {
    if (!m_layout || m_layout->empty())
        m_layout = readMonitorLayout(m_x, false);
    return *m_layout;
}

} // namespace stellwick::x11
