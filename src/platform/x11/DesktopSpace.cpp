#include "platform/x11/DesktopSpace.h"

#include "platform/x11/MonitorReader.h"

#include <xcb/randr.h>

namespace stellwick::x11 {

bool isMonitorChange(XConnection& x, const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_CONFIGURE_NOTIFY)
        return reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == x.root();
    if (const auto base = x.randrEventBase())
        return type == *base + XCB_RANDR_SCREEN_CHANGE_NOTIFY || type == *base + XCB_RANDR_NOTIFY;
    return false;
}

DesktopSpace::DesktopSpace(XConnection& x)
    : m_x(x) {
    m_events = m_x.addEventHandler([this](const xcb_generic_event_t& event) {
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
