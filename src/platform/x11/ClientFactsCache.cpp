#include "platform/x11/ClientFactsCache.h"

#include "platform/x11/WindowProperties.h"

#include <algorithm>
#include <set>
#include <utility>

namespace stellwick::x11 {
namespace {

constexpr unsigned keepable = ClientField::frame | ClientField::owner | ClientField::kind |
                              ClientField::state | ClientField::hints | ClientField::identity |
                              ClientField::title | ClientField::struts;
// What also depends on the windows above the client (a frame moved, unmapped).
constexpr unsigned placedFields = ClientField::frame | ClientField::state | ClientField::struts;
constexpr std::uint32_t clientMask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
constexpr std::uint32_t ancestorMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
// How far a client can sit below the root: deep enough for reparenting window
// managers (frame, wrapper, client).
constexpr int maximumNesting = 4;

// Takes the `fields` of `from` into `into`.
void merge(ClientFacts& into, const ClientFacts& from, unsigned fields) {
    into.exists = from.exists;
    into.error = from.error;
    if (fields & ClientField::frame) {
        into.outer = from.outer;
        into.decoration = from.decoration;
    }
    if (fields & ClientField::owner)
        into.pid = from.pid;
    if (fields & ClientField::kind) {
        into.types = from.types;
        into.transient = from.transient;
    }
    if (fields & ClientField::state) {
        into.states = from.states;
        into.wmState = from.wmState;
        into.desktop = from.desktop;
    }
    if (fields & ClientField::hints) {
        into.sizeHints = from.sizeHints;
        into.allowedActions = from.allowedActions;
    }
    if (fields & ClientField::identity)
        into.identity = from.identity;
    if (fields & ClientField::title)
        into.title = from.title;
    if (fields & ClientField::struts) {
        into.strutPartial = from.strutPartial;
        into.strut = from.strut;
    }
    if (fields & (ClientField::state | ClientField::struts))
        into.viewable = from.viewable;
}

} // namespace

ClientFactsCache::ClientFactsCache(XConnection& x, Clock& clock)
    : m_x(x)
    , m_clock(clock) {
    m_watch = m_x.addEventWatcher([this](const xcb_generic_event_t& event) { onEvent(event); });
}

ClientFactsCache::~ClientFactsCache() {
    *m_alive = false;
    while (!m_kept.empty())
        forget(m_kept.begin()->first);
}

void ClientFactsCache::onEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (property.window == m_x.root()) {
            onRootProperty(property.atom);
            return;
        }
        const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();
        const ExtraAtoms& atoms = m_x.atoms();
        const xcb_atom_t atom = property.atom;
        unsigned fields = 0;
        if (atom == XCB_ATOM_WM_CLASS || atom == XCB_ATOM_WM_TRANSIENT_FOR ||
            atom == ewmh._NET_WM_WINDOW_TYPE || atom == atoms.gtkApplicationId ||
            atom == atoms.kdeDesktopFile)
            fields = ClientField::kind | ClientField::identity;
        else if (atom == ewmh._NET_FRAME_EXTENTS || atom == atoms.gtkFrameExtents)
            fields = ClientField::frame;
        else if (atom == ewmh._NET_WM_STATE || atom == atoms.wmState || atom == ewmh._NET_WM_DESKTOP)
            fields = ClientField::state;
        else if (atom == XCB_ATOM_WM_NORMAL_HINTS || atom == ewmh._NET_WM_ALLOWED_ACTIONS)
            fields = ClientField::hints;
        else if (atom == ewmh._NET_WM_PID || atom == XCB_ATOM_WM_CLIENT_MACHINE)
            fields = ClientField::owner;
        else if (atom == ewmh._NET_WM_NAME || atom == XCB_ATOM_WM_NAME)
            fields = ClientField::title;
        else if (atom == ewmh._NET_WM_STRUT_PARTIAL || atom == ewmh._NET_WM_STRUT)
            fields = ClientField::struts;
        changed(property.window, fields);
        return;
    }
    case XCB_CONFIGURE_NOTIFY:
        changed(reinterpret_cast<const xcb_configure_notify_event_t&>(event).window, ClientField::frame,
                true);
        return;
    case XCB_GRAVITY_NOTIFY:
        changed(reinterpret_cast<const xcb_gravity_notify_event_t&>(event).window, ClientField::frame, true);
        return;
    case XCB_MAP_NOTIFY:
        changed(reinterpret_cast<const xcb_map_notify_event_t&>(event).window, placedFields, true);
        return;
    case XCB_UNMAP_NOTIFY:
        changed(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window, placedFields, true);
        return;
    case XCB_REPARENT_NOTIFY: {
        const xcb_window_t window = reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window;
        changed(window, placedFields, true, true);
        return;
    }
    case XCB_DESTROY_NOTIFY: {
        const xcb_window_t window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        if (auto it = m_kept.find(window); it != m_kept.end()) {
            it->second.destroyed = true;
            it->second.current = 0;
        }
        changed(window, placedFields, true, true);
        return;
    }
    default:
        return;
    }
}

void ClientFactsCache::changed(xcb_window_t window, unsigned fields, bool descendants, bool unplace) {
    bool touched = false;
    const auto mark = [&](Kept& kept) {
        kept.current &= ~fields;
        if (unplace)
            kept.placed = false;
        touched = true;
    };
    if (auto it = m_kept.find(window); it != m_kept.end())
        mark(it->second);
    if (descendants) {
        for (auto& [client, kept] : m_kept) {
            if (std::find(kept.ancestors.begin(), kept.ancestors.end(), window) != kept.ancestors.end())
                mark(kept);
        }
    }
    if (touched && m_clock.systemUptime() - m_lastRead > keptFor && !std::exchange(m_forgetQueued, true)) {
        // Later in this turn: a watcher sends no requests.
        m_x.later(m_alive, [this] { forgetAll(); });
    }
}

void ClientFactsCache::onRootProperty(xcb_atom_t atom) {
    const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();
    if (atom == ewmh._NET_CLIENT_LIST_STACKING || atom == ewmh._NET_CLIENT_LIST)
        m_stacking.reset();
    else if (atom == ewmh._NET_CURRENT_DESKTOP)
        m_currentDesktop.reset();
}

void ClientFactsCache::unplace(Kept& kept) {
    for (xcb_window_t ancestor : kept.ancestors)
        m_x.releaseEvents(ancestor, ancestorMask);
    kept.ancestors.clear();
    kept.placed = false;
}

void ClientFactsCache::placeAll(const std::vector<Kept*>& entries) {
    // Each level is listened to before it is asked for its parent, and all
    // before the facts are read: a change after that read is reported.
    std::vector<std::pair<Kept*, xcb_window_t>> level;
    for (Kept* kept : entries) {
        unplace(*kept);
        level.emplace_back(kept, kept->facts.window);
    }
    for (int depth = 0; depth < maximumNesting && !level.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> trees;
        trees.reserve(level.size());
        for (const auto& [kept, window] : level)
            trees.push_back(xcb_query_tree(m_x.xcb(), window));
        std::vector<std::pair<Kept*, xcb_window_t>> next;
        for (std::size_t i = 0; i < level.size(); ++i) {
            auto tree = m_x.fetch(xcb_query_tree_reply, trees[i]);
            if (!tree || tree->parent == XCB_WINDOW_NONE)
                continue; // gone: the read below tells
            Kept* kept = level[i].first;
            if (tree->parent == m_x.root()) {
                kept->placed = true;
                continue;
            }
            kept->ancestors.push_back(tree->parent);
            m_x.selectEvents(tree->parent, ancestorMask);
            next.emplace_back(kept, tree->parent);
        }
        level = std::move(next);
    }
}

void ClientFactsCache::forget(xcb_window_t window) {
    auto it = m_kept.find(window);
    if (it == m_kept.end())
        return;
    unplace(it->second);
    m_kept.erase(it);
    m_x.releaseEvents(window, clientMask);
}

std::vector<ClientFacts> ClientFactsCache::read(const std::vector<xcb_window_t>& windows, unsigned fields,
                                                unsigned fresh) {
    if (!m_x.isAlive())
        return readClients(m_x, windows, fields);
    // What the server sent so far says what is still current.
    m_x.readPendingEvents();
    m_lastRead = m_clock.systemUptime();

    std::vector<Kept*> entries;
    entries.reserve(windows.size());
    std::vector<Kept*> unplaced;
    std::set<Kept*> toPlace;
    for (xcb_window_t w : windows) {
        auto [it, added] = m_kept.try_emplace(w);
        Kept& kept = it->second;
        if (added) {
            // Listened to before it is read: a change after the read is reported.
            kept.facts.window = w;
            m_x.selectEvents(w, clientMask);
        } else if (kept.destroyed) {
            // Another window under a destroyed one's id: it was never listened to.
            unplace(kept);
            kept = Kept{};
            kept.facts.window = w;
            m_x.renewSelection(w);
        }
        if (!kept.placed && (fields & placedFields) && toPlace.insert(&kept).second)
            unplaced.push_back(&kept);
        entries.push_back(&kept);
    }
    if (!unplaced.empty())
        placeAll(unplaced);

    std::vector<std::pair<xcb_window_t, unsigned>> asked;
    std::vector<std::size_t> askedAt;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Kept& kept = *entries[i];
        unsigned need = (fields & keepable & ~kept.current) | (fresh & fields & keepable);
        // The first read also tells whether the selection took: an id reused
        // just before it would name a window that was never listened to.
        if (!kept.checked)
            need |= ClientField::ourEvents;
        if (need == 0)
            continue;
        asked.emplace_back(kept.facts.window, need);
        askedAt.push_back(i);
    }
    std::vector<ClientFacts> facts(entries.size());
    std::vector<bool> answered(entries.size(), false);
    std::vector<xcb_window_t> gone;
    if (!asked.empty()) {
        std::vector<ClientFacts> read = readClients(m_x, asked);
        // A read that timed out is not kept.
        const bool alive = m_x.isAlive();
        for (std::size_t j = 0; j < read.size(); ++j) {
            const std::size_t i = askedAt[j];
            const unsigned need = asked[j].second;
            Kept& kept = *entries[i];
            if (!read[j].exists) {
                facts[i] = std::move(read[j]);
                answered[i] = true;
                gone.push_back(kept.facts.window);
                continue;
            }
            if ((need & ClientField::ourEvents) && (read[j].ourEvents & clientMask) != clientMask) {
                m_x.renewSelection(kept.facts.window);
                facts[i] = std::move(read[j]);
                answered[i] = true;
                continue;
            }
            merge(kept.facts, read[j], need);
            if (alive) {
                kept.checked = true;
                kept.current |= need & keepable & (kept.placed ? keepable : ~placedFields);
            }
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!answered[i])
            facts[i] = entries[i]->facts;
    }
    // Changes that came with the replies make what they touch stale again
    // (also those made before the replies: the next read asks once more).
    m_x.readQueuedEvents();
    for (xcb_window_t window : gone)
        forget(window);
    if (fields & ClientField::currentDesktop) {
        const std::optional<std::uint32_t> desktop = currentDesktop();
        for (ClientFacts& one : facts)
            one.currentDesktop = desktop;
    }
    return facts;
}

ClientFacts ClientFactsCache::read(xcb_window_t window, unsigned fields, unsigned fresh) {
    return read(std::vector<xcb_window_t>{window}, fields, fresh).front();
}

std::vector<xcb_window_t> ClientFactsCache::clientsFrontToBack() {
    m_x.readPendingEvents();
    if (m_stacking)
        return *m_stacking;
    auto reply = readProperty(m_x, m_x.root(), m_x.ewmh()->_NET_CLIENT_LIST_STACKING, 65536);
    const std::vector<std::uint32_t> stacking = cardinals(reply.get());
    // Without a stacking list the order is the server's stacking of the
    // frames, which no property change reports: read each time.
    if (stacking.empty() || !m_x.isAlive())
        return x11::clientsFrontToBack(m_x);
    m_stacking = std::vector<xcb_window_t>(stacking.rbegin(), stacking.rend());
    const std::vector<xcb_window_t> topmostFirst = *m_stacking;
    m_x.readQueuedEvents();
    return topmostFirst;
}

std::optional<std::uint32_t> ClientFactsCache::currentDesktop() {
    m_x.readPendingEvents();
    if (m_currentDesktop)
        return *m_currentDesktop;
    const std::optional<std::uint32_t> desktop = x11::currentDesktop(m_x);
    if (!m_x.isAlive())
        return desktop;
    m_currentDesktop = desktop;
    m_x.readQueuedEvents();
    return desktop;
}

void ClientFactsCache::forgetAll() {
    m_forgetQueued = false;
    if (m_clock.systemUptime() - m_lastRead <= keptFor)
        return; // read again meanwhile
    while (!m_kept.empty())
        forget(m_kept.begin()->first);
    m_x.flush();
}

void ClientFactsCache::keepOnly(const std::vector<xcb_window_t>& managed) {
    std::vector<xcb_window_t> sorted = managed;
    std::sort(sorted.begin(), sorted.end());
    std::vector<xcb_window_t> gone;
    for (const auto& entry : m_kept) {
        if (!std::binary_search(sorted.begin(), sorted.end(), entry.first))
            gone.push_back(entry.first);
    }
    for (xcb_window_t window : gone)
        forget(window);
}

} // namespace stellwick::x11
