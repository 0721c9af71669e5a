#pragma once

// X11 backend only: the one connection to the X server.

#include "platform/Cancellable.h"
#include "platform/Subscribers.h"
#include "platform/x11/XReply.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace stellwick::x11 {

// Atoms beyond the EWMH set that the backend reads.
struct ExtraAtoms {
    xcb_atom_t wmState = XCB_ATOM_NONE;
    xcb_atom_t gtkApplicationId = XCB_ATOM_NONE;
    xcb_atom_t kdeDesktopFile = XCB_ATOM_NONE;
    xcb_atom_t edid = XCB_ATOM_NONE;
    xcb_atom_t compoundText = XCB_ATOM_NONE;
    xcb_atom_t gtkFrameExtents = XCB_ATOM_NONE;
};

// A connection to the X server, its atoms and extensions, with its events
// delivered on the Qt event loop: a socket notifier reads what arrives, and
// events that xcb queued while a reply was awaited are delivered on a later
// turn of the loop, never inside the call that read the reply.
class XConnection final : public QObject {
public:
    // Connects to `displayName` (empty: $DISPLAY). None when no X server answers.
    static std::unique_ptr<XConnection> connect(const QByteArray& displayName = {});
    ~XConnection() override;

    xcb_connection_t* xcb() const { return m_connection; }
    xcb_ewmh_connection_t* ewmh() { return &m_ewmh; }
    const ExtraAtoms& atoms() const { return m_atoms; }
    xcb_window_t root() const { return m_root; }
    int screenNumber() const { return m_screenNumber; }
    // The root window's size now (it changes with the framebuffer); zero when
    // it cannot be read.
    std::pair<std::uint16_t, std::uint16_t> rootSize();

    // How long one reply is awaited. A server that stays silent longer (wedged,
    // or another client holds a server grab) makes the read fail and the
    // connection count as broken until the server answers again.
    static constexpr int replyTimeoutMs = 2000;

    // False once the connection broke (the server went away), and while the
    // server leaves a reply unanswered beyond the timeout.
    bool isAlive() const;
    // RandR 1.5 monitors.
    bool hasMonitors() const { return m_randrEventBase.has_value(); }
    std::optional<std::uint8_t> randrEventBase() const { return m_randrEventBase; }
    // XInput 2.2 (raw events).
    std::optional<std::uint8_t> xinputOpcode() const { return m_xinputOpcode; }
    // X-Resource 1.2 (the process behind a client).
    bool hasClientIds() const { return m_hasClientIds; }

    // Whether a window manager that follows the EWMH conventions runs now
    // (its _NET_SUPPORTING_WM_CHECK window names itself).
    bool hasWindowManager();

    // Every event, in order, on the main thread. Errors of requests whose
    // replies nobody waits for are dropped.
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;
    [[nodiscard]] Cancellable addEventHandler(EventHandler handler);

    // Sees every event as soon as it is read from the server, before the
    // handlers get it: for caches that must forget what the event made stale.
    // A watcher only forgets: no requests, no callbacks.
    [[nodiscard]] Cancellable addEventWatcher(EventHandler watcher);
    // Runs `call` on a later turn of the event loop, unless the owner of
    // `alive` is gone by then.
    void later(std::weak_ptr<bool> alive, std::function<void()> call);
    // Shows the watchers now the events that came with the replies read so
    // far (everything the server sent before them); the handlers still get
    // them on a later turn, in order.
    void readQueuedEvents();
    // The same, after reading from the socket what the server has sent so
    // far: a cache that answers without asking the server calls this first.
    void readPendingEvents();

    // Event selection on other clients' windows, shared by the parts of this
    // connection that listen there: each selects and later releases its own
    // mask, and the window keeps the union of what is still selected.
    void selectEvents(xcb_window_t window, std::uint32_t mask);
    void releaseEvents(xcb_window_t window, std::uint32_t mask);
    // Selects again what is selected: for a new window under a reused id.
    void renewSelection(xcb_window_t window);

    // Call after reading replies: events xcb queued meanwhile are delivered
    // on a later turn of the event loop.
    void eventsMayBeQueued();

    // The reply of `cookie` (`fn` names its type), awaited at most
    // replyTimeoutMs; no reply and no error code when it did not come.
    template <typename T, typename Cookie>
    XResult<T> fetch(T* (*)(xcb_connection_t*, Cookie, xcb_generic_error_t**), Cookie cookie) {
        eventsMayBeQueued();
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        XResult<T> result;
        if (!awaitReply(cookie.sequence, &reply, &error))
            return result;
        result.reply.reset(static_cast<T*>(reply));
        if (error) {
            result.error = error->error_code;
            std::free(error);
        }
        return result;
    }
    // A round trip: false when the server did not answer in time.
    bool sync();

    // Sends the requests made so far. Callers flush after requests that may
    // change what the server reports (moves, state changes): it ends the
    // validity of answers read before.
    void flush();

    // Changes whenever what was read from the server may have become stale
    // through this connection: after requests were sent (flush), for every
    // event delivered, and on every turn of the event loop that delivers
    // events. Other clients' changes do not count: see X11Accessibility for
    // the one answer reused within a generation.
    std::uint64_t generation() const { return m_generation; }

    // Replies awaited so far that had not already arrived: the round trips
    // that cost a wait. With STELLWICK_ROUND_TRIP_FILE set, the count is also
    // written to that file after each turn of the event loop that waited
    // (for benchmarks).
    std::uint64_t roundTrips() const { return m_roundTrips; }

private:
    XConnection(xcb_connection_t* connection, int screenNumber);
    bool initialize();
    void queryExtensions();
    void readSocket();
    void deliverQueued();
    void dispatch(xcb_generic_event_t* event, bool watched);
    void deliver(bool fromSocket);
    void changeSelection(xcb_window_t window, std::uint32_t before);
    void checkAlive();
    bool awaitReply(unsigned int sequence, void** reply, xcb_generic_error_t** error);
    // While stalled: whether the server answered the probe sent when it fell silent.
    bool answersAgain() const;
    void countRoundTrip();
    void watchWindowManager(const xcb_generic_event_t& event);
    // Shows the watchers each event `poll` hands out and queues it for the handlers.
    void takeEvents(xcb_generic_event_t* (*poll)(xcb_connection_t*));
    void writeRoundTrips();

    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    int m_screenNumber = 0;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhReady = false;
    ExtraAtoms m_atoms;
    std::optional<std::uint8_t> m_randrEventBase;
    std::optional<std::uint8_t> m_xinputOpcode;
    bool m_hasClientIds = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_deliveryQueued = false;
    mutable bool m_stalled = false;
    unsigned int m_probe = 0; // sequence of the round trip that tells the server is back
    Subscribers<EventHandler> m_handlers;
    Subscribers<EventHandler> m_watchers;
    std::deque<xcb_generic_event_t*> m_read; // watched, not yet delivered; owned
    std::map<xcb_window_t, std::vector<std::uint32_t>> m_selections;
    std::uint64_t m_generation = 0;
    std::uint64_t m_roundTrips = 0;
    QString m_roundTripFile; // empty: not written
    bool m_roundTripWriteQueued = false;
    static constexpr std::uint32_t wmCheckMask =
        XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::optional<xcb_window_t> m_wmCheck;       // the manager's check window, while it stands
    xcb_window_t m_wmListened = XCB_WINDOW_NONE; // the check window listened to
    Cancellable m_wmWatch;
};

} // namespace stellwick::x11
