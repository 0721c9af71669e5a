#include "platform/x11/WriteSettling.h"

#include "platform/x11/ClientWindows.h"

#include <algorithm>
#include <cmath>

namespace stellwick::x11 {
namespace {

constexpr double flatTolerance = 3.0;
// Increments widen the tolerance by at most this much (as the verification does).
constexpr double maximumIncrementRoom = 64.0;

double roomFor(double increment) {
    return std::max(flatTolerance, std::min(increment - 1, maximumIncrementRoom));
}

bool within(const Rect& frame, const Rect& target, const Size& tolerance) {
    return std::abs(frame.x - target.x) <= flatTolerance && std::abs(frame.y - target.y) <= flatTolerance &&
           std::abs(frame.width - target.width) <= tolerance.width &&
           std::abs(frame.height - target.height) <= tolerance.height;
}

xcb_window_t eventWindow(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY:
        return reinterpret_cast<const xcb_configure_notify_event_t&>(event).window;
    case XCB_DESTROY_NOTIFY:
        return reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
    case XCB_UNMAP_NOTIFY:
        return reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
    case XCB_PROPERTY_NOTIFY:
        return reinterpret_cast<const xcb_property_notify_event_t&>(event).window;
    default:
        return XCB_WINDOW_NONE;
    }
}

// What a write listens to on the window: its configuration and its properties.
constexpr std::uint32_t listened = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;

} // namespace

WriteSettling::WriteSettling(XConnection& x, Clock& clock)
    : m_x(x)
    , m_clock(clock) {
    m_events = m_x.addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
}

WriteSettling::~WriteSettling() {
    *m_alive = false;
    std::vector<xcb_window_t> windows;
    for (const auto& entry : m_expected)
        windows.push_back(entry.first);
    for (xcb_window_t window : windows)
        stopListening(window);
}

void WriteSettling::expect(xcb_window_t window, const Rect& target, std::optional<Size> increments,
                           std::optional<Rect> current) {
    const Size tolerance = increments ? Size{roomFor(increments->width), roomFor(increments->height)}
                                      : Size{flatTolerance, flatTolerance};
    if (!m_expected.contains(window)) {
        // Our own selection on another client's window: it changes nothing for
        // that client. Made before the request, so no answer is missed.
        m_x.selectEvents(window, listened);
    }
    m_expected[window] = {target, tolerance, current && !within(*current, target, tolerance)};
}

std::optional<Rect> WriteSettling::target(xcb_window_t window) const {
    auto it = m_expected.find(window);
    return it == m_expected.end() ? std::nullopt : std::optional(it->second.target);
}

Cancellable WriteSettling::whenSettled(xcb_window_t window, std::function<void()> settled) {
    // A window known to be elsewhere has not settled before it reports a
    // change: reading it now would only cost a round trip.
    auto expected = m_expected.find(window);
    const bool mustMove = expected != m_expected.end() && expected->second.mustMove;
    if (!mustMove && hasSettled(window))
        return m_clock.schedule(0, std::move(settled));
    const int id = m_nextId++;
    m_waiters[id] = {window, std::move(settled), m_clock.schedule(bound, [this, id] { complete(id); })};
    std::weak_ptr<bool> alive = m_alive;
    return Cancellable([this, alive, id] {
        if (alive.lock())
            forget(id);
    });
}

std::function<void()> WriteSettling::forget(int id) {
    auto it = m_waiters.find(id);
    if (it == m_waiters.end())
        return {};
    const xcb_window_t window = it->second.window;
    std::function<void()> settled = std::move(it->second.settled);
    m_waiters.erase(it);
    const bool othersWait = std::any_of(m_waiters.begin(), m_waiters.end(), [window](const auto& entry) {
        return entry.second.window == window;
    });
    if (!othersWait)
        stopListening(window);
    return settled;
}

bool WriteSettling::hasSettled(xcb_window_t window) {
    auto it = m_expected.find(window);
    if (it == m_expected.end())
        return true;
    const ClientFacts facts = readClient(m_x, window, ClientField::frame);
    // A window that went away has nothing more to do.
    return !facts.exists || within(facts.outer, it->second.target, it->second.tolerance);
}

void WriteSettling::onEvent(const xcb_generic_event_t& event) {
    const xcb_window_t window = eventWindow(event);
    if (window == XCB_WINDOW_NONE || !m_expected.contains(window))
        return;
    std::vector<int> ready;
    for (const auto& [id, waiter] : m_waiters) {
        if (waiter.window == window)
            ready.push_back(id);
    }
    if (ready.empty()) {
        // Nobody waits any longer: stop hearing about this window.
        stopListening(window);
        return;
    }
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_PROPERTY_NOTIFY) {
        // Only the decorations and the state move the frame.
        const xcb_atom_t atom = reinterpret_cast<const xcb_property_notify_event_t&>(event).atom;
        const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();
        if (atom != ewmh._NET_FRAME_EXTENTS && atom != m_x.atoms().gtkFrameExtents &&
            atom != ewmh._NET_WM_STATE)
            return;
    }
    if (type != XCB_DESTROY_NOTIFY && !hasSettled(window))
        return;
    for (int id : ready)
        complete(id);
}

void WriteSettling::complete(int id) {
    if (std::function<void()> settled = forget(id))
        settled();
}

void WriteSettling::stopListening(xcb_window_t window) {
    if (m_expected.erase(window) == 0)
        return;
    m_x.releaseEvents(window, listened);
    m_x.flush();
}

} // namespace stellwick::x11
