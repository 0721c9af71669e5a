#pragma once

// X11 backend only: what managed windows say about themselves that seldom
// changes, kept from one read to the next.

#include "platform/Cancellable.h"
#include "platform/Clock.h"
#include "platform/x11/ClientWindows.h"
#include "platform/x11/XConnection.h"

#include <map>
#include <memory>
#include <vector>

namespace stellwick::x11 {

// Reads windows like readClients, but takes their kind (ClientField::kind)
// and identity hints (ClientField::identity) from an earlier read when they
// cannot have changed since: the window still carries this connection's
// event selection and the same owner (a window id reused after the window
// was destroyed is read anew), and no property change of theirs was
// reported. The cache listens for property changes on every window it keeps,
// sees them as soon as a reply brings them along (so a change made before a
// read is never hidden by it), and forgets windows that leave the client
// list. The owner and everything else are read every time.
// Listening costs a wake-up for every property change of every window (the
// user's typing updates some), so all is forgotten at the first such change
// that comes a while after the last read (an apply reads many times within a
// second or two); no timer wakes an idle desktop for it.
class ClientFactsCache {
public:
    static constexpr double keptFor = 30.0; // seconds after the last read

    ClientFactsCache(XConnection& x, Clock& clock);
    ~ClientFactsCache();
    ClientFactsCache(const ClientFactsCache&) = delete;
    ClientFactsCache& operator=(const ClientFactsCache&) = delete;

    std::vector<ClientFacts> read(const std::vector<xcb_window_t>& windows, unsigned fields);
    ClientFacts read(xcb_window_t window, unsigned fields);
    // Forgets (and stops listening to) the windows not in `managed`, the
    // whole client list.
    void keepOnly(const std::vector<xcb_window_t>& managed);

private:
    struct Kept {
        std::optional<std::int32_t> pid;
        std::vector<xcb_atom_t> types;
        bool transient = false;
        IdentityHints identity;
        bool stale = false;
    };
    static constexpr unsigned keptFields = ClientField::kind | ClientField::identity;

    void keep(const ClientFacts& facts);
    void forget(xcb_window_t window);
    void listenAnew(xcb_window_t window);
    void forgetAll();
    void onEvent(const xcb_generic_event_t& event);

    XConnection& m_x;
    Clock& m_clock;
    std::map<xcb_window_t, Kept> m_kept; // every one of them listened to
    Cancellable m_watch;
    double m_lastRead = 0; // the clock's uptime
    bool m_forgetQueued = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace stellwick::x11
