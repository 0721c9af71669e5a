#include "platform/x11/X11Screens.h"

#include "platform/x11/ClientWindows.h"
#include "platform/x11/MonitorReader.h"

namespace stellwick::x11 {

X11Screens::X11Screens(XConnection& x)
    : m_x(x) {
    m_events = m_x.addEventHandler([this](const xcb_generic_event_t& event) {
        if (isMonitorChange(m_x, event))
            m_handlers.notify();
    });
}

std::vector<PlatformScreen> X11Screens::screens() const {
    return screensOf(readMonitorLayout(m_x, true));
}

std::vector<PlatformScreen> X11Screens::screensOf(const MonitorLayout& layout) const {
    if (layout.empty())
        return {};
    const auto [rootWidth, rootHeight] = m_x.rootSize();
    const std::vector<Rect> areas =
        workAreas(layout.monitors(), readStruts(m_x, rootWidth, rootHeight), rootWidth, rootHeight);
    std::vector<PlatformScreen> screens;
    for (std::size_t i = 0; i < layout.monitors().size(); ++i) {
        const Monitor& monitor = layout.monitors()[i];
        PlatformScreen screen;
        screen.frame = layout.toBottomLeft(layout.toDesktop(monitor.rootFrame));
        screen.visibleFrame = layout.toBottomLeft(layout.toDesktop(areas[i]));
        screen.localizedName = monitor.name;
        screen.displayNumber = monitor.output;
        screen.displayUUID = monitor.uuid;
        screens.push_back(screen);
    }
    return screens;
}

std::optional<PlatformScreen> X11Screens::mainScreen() const {
    const MonitorLayout layout = readMonitorLayout(m_x, true);
    const std::vector<PlatformScreen> all = screensOf(layout);
    if (all.empty())
        return std::nullopt;
    const xcb_window_t active = activeWindow(m_x);
    if (active != XCB_WINDOW_NONE) {
        const ClientFacts facts = readClient(m_x, active, ClientField::frame);
        if (facts.exists) {
            if (auto index = layout.monitorAt(layout.toDesktop(facts.outer.center()));
                index && *index < all.size())
                return all[*index];
        }
    }
    return all.front();
}

Cancellable X11Screens::subscribeScreenParameterChanges(std::function<void()> handler) {
    return m_handlers.add(std::move(handler));
}

} // namespace stellwick::x11
