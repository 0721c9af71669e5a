#pragma once

// X11 backend only: what managed windows and the root say about themselves,
// kept from one read to the next while the server's events say it is current.

#include "platform/Cancellable.h"
#include "platform/Clock.h"
#include "platform/x11/ClientWindows.h"
#include "platform/x11/XConnection.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace stellwick::x11 {

// Reads windows like readClients, but answers each field from an earlier read
// while no event of the window says it changed since. For that it listens to
// every window it keeps: property changes and structure (configure, map,
// unmap, reparent, destroy) on the window itself, structure on each of its
// ancestors below the root (a window manager's frame moving moves the
// client). Before answering, it takes in what the server has sent so far.
// A destroyed window is forgotten, so an id reused by a new window is read
// anew; a failed read is never kept. The root's client lists and current
// desktop are kept the same way (the root's property changes are always
// listened to).
// Listening costs a wake-up for every change of every window kept, so all is
// forgotten at the first such change that comes a while after the last read
// (an apply reads many times within a second or two); no timer wakes an idle
// desktop for it.
class ClientFactsCache {
public:
    static constexpr double keptFor = 30.0; // seconds after the last read

    ClientFactsCache(XConnection& x, Clock& clock);
    ~ClientFactsCache();
    ClientFactsCache(const ClientFactsCache&) = delete;
    ClientFactsCache& operator=(const ClientFactsCache&) = delete;

    // `fresh`: fields read from the server whatever is kept (a frame read to
    // verify a move).
    std::vector<ClientFacts> read(const std::vector<xcb_window_t>& windows, unsigned fields,
                                  unsigned fresh = 0);
    ClientFacts read(xcb_window_t window, unsigned fields, unsigned fresh = 0);
    // Forgets (and stops listening to) the windows not in `managed`, the
    // whole client list.
    void keepOnly(const std::vector<xcb_window_t>& managed);

    // The managed windows, topmost first, and the current desktop, as
    // clientsFrontToBack and currentDesktop read them.
    std::vector<xcb_window_t> clientsFrontToBack();
    std::optional<std::uint32_t> currentDesktop();

private:
    struct Kept {
        ClientFacts facts;
        unsigned current = 0;                // fields no event has made stale since read
        std::vector<xcb_window_t> ancestors; // below the root, listened to
        bool placed = false;                 // ancestors known up to the root
        bool destroyed = false;              // the id may name another window now
        bool checked = false;                // read once with this connection's selection on it
    };

    void placeAll(const std::vector<Kept*>& entries);
    void unplace(Kept& kept);
    void forget(xcb_window_t window);
    void forgetAll();
    void onEvent(const xcb_generic_event_t& event);
    // Marks `fields` stale on `window` and, with `descendants`, on the
    // windows it holds; `unplace`: their ancestors are to be found anew.
    void changed(xcb_window_t window, unsigned fields, bool descendants = false, bool unplace = false);
    void onRootProperty(xcb_atom_t atom);

    XConnection& m_x;
    Clock& m_clock;
    std::map<xcb_window_t, Kept> m_kept;                          // every one of them listened to
    std::optional<std::vector<xcb_window_t>> m_stacking;          // topmost first
    std::optional<std::optional<std::uint32_t>> m_currentDesktop; // read and current
    Cancellable m_watch;
    double m_lastRead = 0; // the clock's uptime
    bool m_forgetQueued = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace stellwick::x11
