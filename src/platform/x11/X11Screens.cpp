#include "platform/x11/X11Screens.h"

#include "platform/x11/ClientWindows.h"
#include "platform/x11/MonitorReader.h"
#include "platform/x11/WindowProperties.h"

namespace stellwick::x11 {

X11Screens::X11Screens(XConnection& x, ClientFactsCache& clients)
    : m_x(x)
    , m_clients(clients) {
    m_events = m_x.addEventHandler([this](const xcb_generic_event_t& event) {
        if (isMonitorChange(m_x, event))
            m_handlers.notify();
    });
    m_watch = m_x.addEventWatcher([this](const xcb_generic_event_t& event) {
        if (isMonitorChange(m_x, event) || isOutputPropertyChange(m_x, event)) {
            m_layout.reset();
            m_rootSize.reset();
        }
    });
}

MonitorLayout X11Screens::identifiedLayout() const {
    // An event already sent (and those that come with the replies, on the
    // next call) makes the layout stale.
    m_x.readPendingEvents();
    if (m_layout && !m_layout->empty())
        return *m_layout;
    MonitorLayout layout = readMonitorLayout(m_x, true);
    if (m_x.isAlive())
        m_layout = layout;
    return layout;
}

std::vector<Strut> X11Screens::struts(double rootWidth, double rootHeight) const {
    std::vector<Strut> out;
    const std::vector<xcb_window_t> clients = m_clients.clientsFrontToBack();
    for (const ClientFacts& client : m_clients.read(clients, ClientField::struts)) {
        // A hidden panel reserves nothing.
        if (!client.exists || !client.viewable)
            continue;
        if (auto strut = strutFrom(client.strutPartial, client.strut, rootWidth, rootHeight))
            out.push_back(*strut);
    }
    return out;
}

std::vector<PlatformScreen> X11Screens::screens() const {
    return screensOf(identifiedLayout());
}

std::vector<PlatformScreen> X11Screens::screensOf(const MonitorLayout& layout) const {
    if (layout.empty())
        return {};
    m_x.readPendingEvents();
    if (!m_rootSize) {
        const auto size = m_x.rootSize();
        if (size.first == 0 || !m_x.isAlive())
            return {};
        m_rootSize = size;
    }
    const auto [rootWidth, rootHeight] = *m_rootSize;
    const std::vector<Rect> areas =
        workAreas(layout.monitors(), struts(rootWidth, rootHeight), rootWidth, rootHeight);
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
    const MonitorLayout layout = identifiedLayout();
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
