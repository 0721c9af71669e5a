#include "platform/x11/X11Accessibility.h"

#include "platform/x11/X11Element.h"

#include <cmath>
#include <utility>

namespace stellwick::x11 {
namespace {

using Kind = X11Element::Kind;

AXCopyResult failed(const ClientFacts& facts) {
    return {facts.error ? axErrorFor(facts.error) : AXErrorCode::cannotComplete, {}};
}

std::uint32_t wire(double value) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value)));
}

} // namespace

X11Accessibility::X11Accessibility(XConnection& x, ClientFactsCache& clients, DesktopSpace& space,
                                   Clock& clock)
    : m_x(x)
    , m_clock(clock)
    , m_clients(clients)
    , m_space(space)
    , m_settling(x, clock) {}

X11Accessibility::~X11Accessibility() {
    *m_alive = false;
    sendMoves();
}

bool X11Accessibility::isProcessTrusted(bool) {
    return m_x.hasWindowManager();
}

AXElement X11Accessibility::applicationElement(std::int32_t pid) {
    return X11Element::make(Kind::application, pid);
}

AXElement X11Accessibility::systemWideElement() {
    return X11Element::make(Kind::systemWide);
}

AXError X11Accessibility::setMessagingTimeout(const AXElement& element, float) {
    // Requests go to the X server, which answers for every client: nothing
    // waits on an unresponsive application.
    return X11Element::from(element) ? AXErrorCode::success : AXErrorCode::illegalArgument;
}

AXCopyResult X11Accessibility::copyAttributeValue(const AXElement& element, const QString& attribute) {
    const X11Element* e = X11Element::from(element);
    if (!e)
        return {AXErrorCode::illegalArgument, {}};
    if (!m_x.isAlive())
        return {AXErrorCode::cannotComplete, {}};
    switch (e->kind) {
    case Kind::systemWide:
        return {AXErrorCode::attributeUnsupported, {}};
    case Kind::application:
        return copyApplicationAttribute(e->pid, attribute);
    case Kind::window:
        return copyWindowAttribute(e->window, attribute);
    case Kind::desktop:
        if (attribute == AXAttribute::role)
            return {AXErrorCode::success, AXRoleValue::unknown};
        return {AXErrorCode::noValue, {}};
    }
    return {AXErrorCode::failure, {}};
}

AXCopyResult X11Accessibility::copyApplicationAttribute(std::int32_t pid, const QString& attribute) {
    if (attribute == AXAttribute::role)
        return {AXErrorCode::success, QStringLiteral("AXApplication")};
    if (attribute == AXAttribute::parent)
        return {AXErrorCode::noValue, {}};
    if (attribute != AXAttribute::windows)
        return {AXErrorCode::attributeUnsupported, {}};
    std::vector<AXElement> windows;
    for (const ClientFacts& client : m_clients.read(m_clients.clientsFrontToBack(), ClientField::owner)) {
        if (client.exists && client.pid == pid)
            windows.push_back(X11Element::make(Kind::window, pid, client.window));
    }
    return {AXErrorCode::success, windows};
}

ClientFacts X11Accessibility::windowFacts(xcb_window_t window, bool frameFromServer) {
    // An event already sent ends the reuse (it changes the generation).
    m_x.readPendingEvents();
    if (m_recent && m_recent->facts.window == window && m_recent->generation == m_x.generation() &&
        m_clock.systemUptime() - m_recent->at <= factsReuse &&
        (m_recent->frameFromServer || !frameFromServer))
        return m_recent->facts;
    ClientFacts facts =
        m_clients.read(window, ClientField::all | ClientField::title | ClientField::currentDesktop,
                       frameFromServer ? ClientField::frame : 0);
    // A failed read is never reused: the next question asks the server again.
    if (facts.exists)
        m_recent = RecentFacts{facts, m_x.generation(), m_clock.systemUptime(), frameFromServer};
    else
        m_recent.reset();
    return facts;
}

bool X11Accessibility::frameFromServer(xcb_window_t window) {
    // A window written to is read from the server until the first read after
    // its moves went out (the verification), whatever the events say by then.
    auto it = m_written.find(window);
    if (it == m_written.end())
        return false;
    if (!m_pending.contains(window))
        m_written.erase(it);
    return true;
}

AXCopyResult X11Accessibility::copyWindowAttribute(xcb_window_t window, const QString& attribute) {
    const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();
    if (attribute == AXAttribute::role) {
        const ClientFacts facts = windowFacts(window);
        return facts.exists ? AXCopyResult{AXErrorCode::success, AXRoleValue::window} : failed(facts);
    }
    if (attribute == AXAttribute::subrole) {
        const ClientFacts facts = windowFacts(window);
        if (!facts.exists)
            return failed(facts);
        const WindowKind kind = windowKind(facts.types, facts.transient, ewmh);
        return {AXErrorCode::success,
                subroleFor(kind, facts.transient, facts.hasState(ewmh._NET_WM_STATE_MODAL))};
    }
    if (attribute == AXAttribute::minimized) {
        const ClientFacts facts = windowFacts(window);
        if (!facts.exists)
            return failed(facts);
        // HIDDEN is what minimizing sets; a window on another desktop is
        // iconic too but not hidden. Without HIDDEN, iconic on this desktop.
        const bool minimized = facts.hasState(ewmh._NET_WM_STATE_HIDDEN) ||
                               (facts.wmState == wmStateIconic && facts.onDesktop(facts.currentDesktop));
        return {AXErrorCode::success, minimized};
    }
    if (attribute == AXAttribute::position || attribute == AXAttribute::size) {
        const ClientFacts facts = windowFacts(window, frameFromServer(window));
        if (!facts.exists)
            return failed(facts);
        const Rect frame = m_space.layout().toDesktop(facts.outer);
        if (attribute == AXAttribute::position)
            return {AXErrorCode::success, AXPointValue{frame.origin()}};
        return {AXErrorCode::success, AXSizeValue{frame.size()}};
    }
    if (attribute == AXAttribute::title) {
        const ClientFacts facts = windowFacts(window);
        if (!facts.exists)
            return failed(facts);
        if (facts.title)
            return {AXErrorCode::success, *facts.title};
        return {AXErrorCode::noValue, {}};
    }
    if (attribute == AXAttribute::parent) {
        const ClientFacts facts = windowFacts(window);
        if (!facts.exists)
            return failed(facts);
        if (!facts.pid)
            return {AXErrorCode::noValue, {}};
        return {AXErrorCode::success, applicationElement(*facts.pid)};
    }
    if (attribute == AXAttribute::window) {
        const ClientFacts facts = windowFacts(window);
        if (!facts.exists)
            return failed(facts);
        return {AXErrorCode::success, X11Element::make(Kind::window, facts.pid.value_or(0), window)};
    }
    return {AXErrorCode::attributeUnsupported, {}};
}

AXError X11Accessibility::setAttributeValue(const AXElement& element, const QString& attribute,
                                            const AXValue& value) {
    const X11Element* e = X11Element::from(element);
    if (!e || e->kind != Kind::window)
        return AXErrorCode::illegalArgument;
    if (!m_x.isAlive())
        return AXErrorCode::cannotComplete;
    if (attribute == AXAttribute::position) {
        const auto* point = std::get_if<AXPointValue>(&value);
        return point ? moveResize(e->window, point->point, std::nullopt) : AXErrorCode::illegalArgument;
    }
    if (attribute == AXAttribute::size) {
        const auto* size = std::get_if<AXSizeValue>(&value);
        return size ? moveResize(e->window, std::nullopt, size->size) : AXErrorCode::illegalArgument;
    }
    return AXErrorCode::attributeUnsupported;
}

AXError X11Accessibility::moveResize(xcb_window_t window, std::optional<Point> origin,
                                     std::optional<Size> size) {
    xcb_ewmh_connection_t* ewmh = m_x.ewmh();
    const ClientFacts facts = windowFacts(window);
    if (!facts.exists)
        return facts.error ? axErrorFor(facts.error) : AXErrorCode::cannotComplete;
    // A window on a workspace not shown now is never touched (not even taken
    // out of its maximized state there).
    if (!facts.onDesktop(facts.currentDesktop))
        return AXErrorCode::cannotComplete;

    // A maximized or full-screen window ignores moves: take it out of that
    // state first. Its frame extents change with it; they are read again on
    // the next write.
    const bool maximized = facts.hasState(ewmh->_NET_WM_STATE_MAXIMIZED_VERT) ||
                           facts.hasState(ewmh->_NET_WM_STATE_MAXIMIZED_HORZ);
    if (maximized) {
        xcb_ewmh_request_change_wm_state(
            ewmh, m_x.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE, ewmh->_NET_WM_STATE_MAXIMIZED_VERT,
            ewmh->_NET_WM_STATE_MAXIMIZED_HORZ, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    }
    if (facts.hasState(ewmh->_NET_WM_STATE_FULLSCREEN)) {
        xcb_ewmh_request_change_wm_state(ewmh, m_x.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE,
                                         ewmh->_NET_WM_STATE_FULLSCREEN, XCB_ATOM_NONE,
                                         XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    }

    // The target combines this write with the other half of the previous one
    // (position, size and position again come as separate writes).
    Rect target = m_settling.target(window).value_or(facts.outer);
    if (origin) {
        const Point root = m_space.layout().toRoot(*origin);
        target.x = root.x;
        target.y = root.y;
    }
    if (size) {
        target.width = size->width;
        target.height = size->height;
    }
    const std::optional<Size> increments =
        facts.sizeHints ? resizeIncrements(*facts.sizeHints) : std::nullopt;
    m_settling.expect(window, target, increments, facts.outer);
    m_written.insert(window);

    PendingMove& pending = m_pending[window];
    if (origin)
        pending.flags |= XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y;
    if (size)
        pending.flags |= XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT;
    pending.target = target;
    pending.decoration = facts.decoration;
    if (maximized || facts.hasState(ewmh->_NET_WM_STATE_FULLSCREEN))
        m_x.flush();
    if (!m_sendQueued) {
        m_sendQueued = true;
        m_x.later(m_alive, [this] { sendMoves(); });
    }
    return AXErrorCode::success;
}

void X11Accessibility::sendMoves() {
    m_sendQueued = false;
    if (m_pending.empty())
        return;
    xcb_ewmh_connection_t* ewmh = m_x.ewmh();
    for (const auto& [window, pending] : m_pending) {
        // North-west gravity: x and y place the window manager's frame
        // top-left corner; width and height are the client's, inside
        // decorations and border and with its shadow margins.
        const Rect request = pending.decoration.moveResize(pending.target);
        const double clientWidth = std::max(1.0, request.width);
        const double clientHeight = std::max(1.0, request.height);
        xcb_ewmh_request_moveresize_window(
            ewmh, m_x.screenNumber(), window, XCB_GRAVITY_NORTH_WEST, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
            static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(pending.flags), wire(request.x),
            wire(request.y), wire(clientWidth), wire(clientHeight));
    }
    m_pending.clear();
    m_x.flush();
}

AXSettableResult X11Accessibility::isAttributeSettable(const AXElement& element, const QString& attribute) {
    const X11Element* e = X11Element::from(element);
    if (!e || e->kind != Kind::window)
        return {AXErrorCode::illegalArgument, false};
    if (!m_x.isAlive())
        return {AXErrorCode::cannotComplete, false};
    const ClientFacts facts = windowFacts(e->window);
    if (!facts.exists)
        return {facts.error ? axErrorFor(facts.error) : AXErrorCode::cannotComplete, false};
    // What the window manager refuses, and windows on another workspace, are
    // not settable: the restore leaves them alone instead of writing in vain.
    // Some managers refuse resizing a window only while it is maximized or
    // full screen; writing releases it from that state first.
    const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();
    const bool released = facts.hasState(ewmh._NET_WM_STATE_MAXIMIZED_VERT) ||
                          facts.hasState(ewmh._NET_WM_STATE_MAXIMIZED_HORZ) ||
                          facts.hasState(ewmh._NET_WM_STATE_FULLSCREEN);
    const AllowedChanges allowed = released ? AllowedChanges{} : allowedChanges(facts.allowedActions, ewmh);
    const bool here = facts.onDesktop(facts.currentDesktop);
    if (attribute == AXAttribute::position)
        return {AXErrorCode::success, here && allowed.move};
    if (attribute == AXAttribute::size) {
        const bool fixed = facts.sizeHints && isFixedSize(*facts.sizeHints);
        return {AXErrorCode::success, here && allowed.resize && !fixed};
    }
    return {AXErrorCode::success, false};
}

AXElementResult X11Accessibility::elementAtPosition(const AXElement& systemWide, float x, float y) {
    const X11Element* e = X11Element::from(systemWide);
    if (!e || e->kind != Kind::systemWide)
        return {AXErrorCode::illegalArgument, {}};
    if (!m_x.isAlive())
        return {AXErrorCode::cannotComplete, {}};
    const std::optional<xcb_window_t> client = clientAt(m_x, m_space.layout().toRoot(Point{x, y}));
    if (!client)
        return {AXErrorCode::success, X11Element::make(Kind::desktop)};
    const ClientFacts facts = readClient(m_x, *client, ClientField::owner);
    return {AXErrorCode::success, X11Element::make(Kind::window, facts.pid.value_or(0), *client)};
}

AXPidResult X11Accessibility::pid(const AXElement& element) {
    const X11Element* e = X11Element::from(element);
    if (!e || e->kind == Kind::systemWide || e->kind == Kind::desktop)
        return {AXErrorCode::illegalArgument, 0};
    if (e->kind == Kind::application)
        return {AXErrorCode::success, e->pid};
    const ClientFacts facts = windowFacts(e->window);
    if (!facts.exists)
        return {facts.error ? axErrorFor(facts.error) : AXErrorCode::cannotComplete, 0};
    if (!facts.pid)
        return {AXErrorCode::noValue, 0};
    return {AXErrorCode::success, *facts.pid};
}

std::optional<Size> X11Accessibility::sizeIncrements(const AXElement& element) {
    const X11Element* e = X11Element::from(element);
    if (!e || e->kind != Kind::window || !m_x.isAlive())
        return std::nullopt;
    const ClientFacts facts = windowFacts(e->window);
    return facts.sizeHints ? resizeIncrements(*facts.sizeHints) : std::nullopt;
}

Accessibility::FixedAxes X11Accessibility::fixedSizeAxes(const AXElement& element) {
    const X11Element* e = X11Element::from(element);
    if (!e || e->kind != Kind::window || !m_x.isAlive())
        return {};
    const ClientFacts facts = windowFacts(e->window);
    if (!facts.sizeHints)
        return {};
    const auto [width, height] = fixedAxes(*facts.sizeHints);
    return {width, height};
}

std::uint32_t X11Accessibility::windowNumber(const AXElement& element) {
    const X11Element* e = X11Element::from(element);
    return e && e->kind == Kind::window ? e->window : 0;
}

Cancellable X11Accessibility::whenWriteSettled(const AXElement& element, std::function<void()> settled) {
    const X11Element* e = X11Element::from(element);
    sendMoves();
    return m_settling.whenSettled(e && e->kind == Kind::window ? e->window : xcb_window_t(XCB_WINDOW_NONE),
                                  std::move(settled));
}

} // namespace stellwick::x11
