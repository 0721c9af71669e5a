#include "platform/x11/XConnection.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/xcbext.h>
#include <xcb/xinput.h>

namespace stellwick::x11 {
namespace {

xcb_atom_t internAtom(xcb_connection_t* c, xcb_intern_atom_cookie_t cookie) {
    auto reply = fetch(c, xcb_intern_atom_reply, cookie);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_intern_atom_cookie_t requestAtom(xcb_connection_t* c, const char* name) {
    return xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
}

} // namespace

std::unique_ptr<XConnection> XConnection::connect(const QByteArray& displayName) {
    int screenNumber = 0;
    xcb_connection_t* c =
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (!c)
        return nullptr;
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    std::unique_ptr<XConnection> connection(new XConnection(c, screenNumber));
    if (!connection->initialize())
        return nullptr;
    return connection;
}

XConnection::XConnection(xcb_connection_t* connection, int screenNumber)
    : m_connection(connection)
    , m_screenNumber(screenNumber)
    , m_roundTripFile(qEnvironmentVariable("STELLWICK_ROUND_TRIP_FILE")) {}

XConnection::~XConnection() {
    m_notifier.reset();
    for (xcb_generic_event_t* event : m_read)
        std::free(event);
    if (m_ewmhReady)
        xcb_ewmh_connection_wipe(&m_ewmh);
    xcb_disconnect(m_connection);
}

bool XConnection::initialize() {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; it.rem > 0 && i < m_screenNumber; ++i)
        xcb_screen_next(&it);
    if (it.rem == 0)
        return false;
    m_screen = it.data;
    m_root = m_screen->root;

    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(m_connection, &m_ewmh);
    const xcb_intern_atom_cookie_t extra[] = {requestAtom(m_connection, "WM_STATE"),
                                              requestAtom(m_connection, "_GTK_APPLICATION_ID"),
                                              requestAtom(m_connection, "_KDE_NET_WM_DESKTOP_FILE"),
                                              requestAtom(m_connection, "EDID"),
                                              requestAtom(m_connection, "COMPOUND_TEXT"),
                                              requestAtom(m_connection, "_GTK_FRAME_EXTENTS")};
    // Bounded: once this round trip is answered, the replies above have come.
    if (!sync()) {
        std::free(ewmhCookies);
        return false;
    }
    if (!xcb_ewmh_init_atoms_replies(&m_ewmh, ewmhCookies, nullptr))
        return false;
    m_ewmhReady = true;
    m_atoms.wmState = internAtom(m_connection, extra[0]);
    m_atoms.gtkApplicationId = internAtom(m_connection, extra[1]);
    m_atoms.kdeDesktopFile = internAtom(m_connection, extra[2]);
    m_atoms.edid = internAtom(m_connection, extra[3]);
    m_atoms.compoundText = internAtom(m_connection, extra[4]);
    m_atoms.gtkFrameExtents = internAtom(m_connection, extra[5]);

    // Root properties (client list, active window, desktops, work area) and
    // root reconfiguration (monitors set with xrandr --setmonitor).
    const std::uint32_t rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &rootMask);
    queryExtensions();
    if (m_randrEventBase) {
        xcb_randr_select_input(m_connection, m_root,
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    }
    flush();
    if (xcb_connection_has_error(m_connection))
        return false;
    m_wmWatch = addEventWatcher([this](const xcb_generic_event_t& event) { watchWindowManager(event); });

    m_notifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, &XConnection::readSocket);
    // Events that arrived while the atoms were read.
    eventsMayBeQueued();
    return true;
}

void XConnection::queryExtensions() {
    xcb_prefetch_extension_data(m_connection, &xcb_randr_id);
    xcb_prefetch_extension_data(m_connection, &xcb_input_id);
    xcb_prefetch_extension_data(m_connection, &xcb_res_id);
    // The extension data below would otherwise be awaited without bound.
    if (!sync())
        return;

    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(m_connection, &xcb_randr_id);
    const xcb_query_extension_reply_t* input = xcb_get_extension_data(m_connection, &xcb_input_id);
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(m_connection, &xcb_res_id);

    xcb_randr_query_version_cookie_t randrVersion{};
    xcb_input_xi_query_version_cookie_t inputVersion{};
    xcb_res_query_version_cookie_t resVersion{};
    if (randr && randr->present)
        randrVersion = xcb_randr_query_version(m_connection, 1, 5);
    if (input && input->present)
        inputVersion = xcb_input_xi_query_version(m_connection, 2, 2);
    if (res && res->present)
        resVersion = xcb_res_query_version(m_connection, 1, 2);

    if (randr && randr->present) {
        auto version = fetch(xcb_randr_query_version_reply, randrVersion);
        if (version && (version->major_version > 1 || version->minor_version >= 5))
            m_randrEventBase = randr->first_event;
    }
    if (input && input->present) {
        auto version = fetch(xcb_input_xi_query_version_reply, inputVersion);
        if (version && (version->major_version > 2 || version->minor_version >= 2))
            m_xinputOpcode = input->major_opcode;
    }
    if (res && res->present) {
        auto version = fetch(xcb_res_query_version_reply, resVersion);
        m_hasClientIds = version && (version->server_major > 1 || version->server_minor >= 2);
    }
}

bool XConnection::isAlive() const {
    return xcb_connection_has_error(m_connection) == 0 && (!m_stalled || answersAgain());
}

bool XConnection::sync() {
    return static_cast<bool>(fetch(xcb_get_input_focus_reply, xcb_get_input_focus(m_connection)));
}

bool XConnection::answersAgain() const {
    // Polling reads the socket: events read with it are delivered later.
    const_cast<XConnection*>(this)->eventsMayBeQueued();
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (!xcb_poll_for_reply(m_connection, m_probe, &reply, &error))
        return false;
    std::free(reply);
    std::free(error);
    m_stalled = false;
    return true;
}

bool XConnection::awaitReply(unsigned int sequence, void** reply, xcb_generic_error_t** error) {
    if (m_stalled && !answersAgain()) {
        // Still silent: fail at once rather than wait again for every read.
        xcb_discard_reply(m_connection, sequence);
        return false;
    }
    if (xcb_poll_for_reply(m_connection, sequence, reply, error))
        return *reply || *error;
    countRoundTrip();
    xcb_flush(m_connection);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(replyTimeoutMs);
    for (;;) {
        // Also true, with neither reply nor error, once the connection broke.
        if (xcb_poll_for_reply(m_connection, sequence, reply, error))
            return *reply || *error;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd socket{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&socket, 1, static_cast<int>(left));
    }
    xcb_discard_reply(m_connection, sequence);
    m_stalled = true;
    m_probe = xcb_get_input_focus(m_connection).sequence;
    xcb_flush(m_connection);
    return false;
}

void XConnection::countRoundTrip() {
    ++m_roundTrips;
    if (m_roundTripFile.isEmpty() || m_roundTripWriteQueued)
        return;
    m_roundTripWriteQueued = true;
    QMetaObject::invokeMethod(this, &XConnection::writeRoundTrips, Qt::QueuedConnection);
}

void XConnection::writeRoundTrips() {
    m_roundTripWriteQueued = false;
    QFile file(m_roundTripFile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QByteArray::number(qulonglong(m_roundTrips)) + '\n');
}

std::pair<std::uint16_t, std::uint16_t> XConnection::rootSize() {
    auto geometry = fetch(xcb_get_geometry_reply, xcb_get_geometry(m_connection, m_root));
    if (!geometry)
        return {0, 0};
    return {geometry->width, geometry->height};
}

bool XConnection::hasWindowManager() {
    if (!isAlive())
        return false;
    // A manager found is taken at its word until the root names another one
    // or its check window goes or changes: events that were sent tell.
    readPendingEvents();
    if (m_wmCheck)
        return true;
    const xcb_atom_t check = m_ewmh._NET_SUPPORTING_WM_CHECK;
    auto onRoot = fetch(xcb_get_property_reply,
                        xcb_get_property(m_connection, 0, m_root, check, XCB_ATOM_WINDOW, 0, 1));
    if (!onRoot || xcb_get_property_value_length(onRoot.get()) < 4)
        return false;
    const xcb_window_t wm = *static_cast<const xcb_window_t*>(xcb_get_property_value(onRoot.get()));
    if (m_wmListened != wm) {
        if (m_wmListened != XCB_WINDOW_NONE)
            releaseEvents(m_wmListened, wmCheckMask);
        selectEvents(wm, wmCheckMask);
        m_wmListened = wm;
    }
    auto onWm =
        fetch(xcb_get_property_reply, xcb_get_property(m_connection, 0, wm, check, XCB_ATOM_WINDOW, 0, 1));
    // A stale root property (the manager crashed) names a window that is gone.
    if (!onWm || xcb_get_property_value_length(onWm.get()) < 4)
        return false;
    const bool found = *static_cast<const xcb_window_t*>(xcb_get_property_value(onWm.get())) == wm;
    if (found && isAlive())
        m_wmCheck = wm;
    return found;
}

void XConnection::watchWindowManager(const xcb_generic_event_t& event) {
    if (!m_wmCheck)
        return;
    switch (event.response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (property.atom == m_ewmh._NET_SUPPORTING_WM_CHECK &&
            (property.window == m_root || property.window == *m_wmCheck))
            m_wmCheck.reset();
        return;
    }
    case XCB_DESTROY_NOTIFY:
        if (reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == *m_wmCheck)
            m_wmCheck.reset();
        return;
    default:
        return;
    }
}

Cancellable XConnection::addEventHandler(EventHandler handler) {
    return m_handlers.add(std::move(handler));
}

void XConnection::eventsMayBeQueued() {
    if (m_deliveryQueued)
        return;
    m_deliveryQueued = true;
    QMetaObject::invokeMethod(this, &XConnection::deliverQueued, Qt::QueuedConnection);
}

void XConnection::flush() {
    ++m_generation;
    xcb_flush(m_connection);
}

Cancellable XConnection::addEventWatcher(EventHandler watcher) {
    return m_watchers.add(std::move(watcher));
}

void XConnection::later(std::weak_ptr<bool> alive, std::function<void()> call) {
    QMetaObject::invokeMethod(
        this,
        [alive = std::move(alive), call = std::move(call)] {
            if (alive.lock())
                call();
        },
        Qt::QueuedConnection);
}

void XConnection::readQueuedEvents() {
    takeEvents(xcb_poll_for_queued_event);
}

void XConnection::readPendingEvents() {
    if (!xcb_connection_has_error(m_connection))
        takeEvents(xcb_poll_for_event);
}

void XConnection::takeEvents(xcb_generic_event_t* (*poll)(xcb_connection_t*)) {
    while (xcb_generic_event_t* event = poll(m_connection)) {
        ++m_generation;
        m_watchers.notify(*event);
        m_read.push_back(event);
    }
    if (!m_read.empty())
        eventsMayBeQueued();
}

void XConnection::selectEvents(xcb_window_t window, std::uint32_t mask) {
    std::vector<std::uint32_t>& masks = m_selections[window];
    std::uint32_t before = 0;
    for (std::uint32_t m : masks)
        before |= m;
    masks.push_back(mask);
    changeSelection(window, before);
}

void XConnection::releaseEvents(xcb_window_t window, std::uint32_t mask) {
    auto it = m_selections.find(window);
    if (it == m_selections.end())
        return;
    std::uint32_t before = 0;
    for (std::uint32_t m : it->second)
        before |= m;
    if (auto one = std::find(it->second.begin(), it->second.end(), mask); one != it->second.end())
        it->second.erase(one);
    changeSelection(window, before);
}

void XConnection::renewSelection(xcb_window_t window) {
    auto it = m_selections.find(window);
    std::uint32_t now = 0;
    if (it != m_selections.end()) {
        for (std::uint32_t m : it->second)
            now |= m;
    }
    xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &now);
}

void XConnection::changeSelection(xcb_window_t window, std::uint32_t before) {
    auto it = m_selections.find(window);
    std::uint32_t now = 0;
    for (std::uint32_t m : it->second)
        now |= m;
    if (it->second.empty())
        m_selections.erase(it);
    if (now != before)
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &now);
}

void XConnection::readSocket() {
    ++m_generation;
    deliver(true);
    checkAlive();
}

void XConnection::deliverQueued() {
    m_deliveryQueued = false;
    ++m_generation;
    deliver(false);
    checkAlive();
}

void XConnection::deliver(bool fromSocket) {
    // Events watchers already saw come first: everything else came later,
    // also what a handler's reads take out of xcb's queue meanwhile.
    for (;;) {
        if (!m_read.empty()) {
            xcb_generic_event_t* event = m_read.front();
            m_read.pop_front();
            dispatch(event, true);
            continue;
        }
        xcb_generic_event_t* event =
            fromSocket ? xcb_poll_for_event(m_connection) : xcb_poll_for_queued_event(m_connection);
        if (!event)
            return;
        dispatch(event, false);
    }
}

void XConnection::dispatch(xcb_generic_event_t* event, bool watched) {
    XPtr<xcb_generic_event_t> owned(event);
    ++m_generation;
    if (!watched)
        m_watchers.notify(*event);
    if (event->response_type == 0)
        return; // the error of a request nobody checks: a window that vanished
    m_handlers.notify(*event);
}

void XConnection::checkAlive() {
    // A broken connection keeps the socket readable: stop listening.
    if (xcb_connection_has_error(m_connection) && m_notifier)
        m_notifier->setEnabled(false);
}

} // namespace stellwick::x11
