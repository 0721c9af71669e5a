#include "platform/x11/ClientFactsCache.h"

#include <algorithm>
#include <utility>

namespace stellwick::x11 {

ClientFactsCache::ClientFactsCache(XConnection& x, Clock& clock)
    : m_x(x)
    , m_clock(clock) {
    m_watch = m_x.addEventWatcher([this](const xcb_generic_event_t& event) { onEvent(event); });
}

ClientFactsCache::~ClientFactsCache() {
    *m_alive = false;
}

void ClientFactsCache::onEvent(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return;
    const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
    auto it = m_kept.find(property.window);
    if (it == m_kept.end())
        return;
    const xcb_atom_t atom = property.atom;
    if (atom == XCB_ATOM_WM_CLASS || atom == XCB_ATOM_WM_TRANSIENT_FOR ||
        atom == m_x.ewmh()->_NET_WM_WINDOW_TYPE || atom == m_x.atoms().gtkApplicationId ||
        atom == m_x.atoms().kdeDesktopFile)
        it->second.stale = true;
    if (m_clock.systemUptime() - m_lastRead > keptFor && !std::exchange(m_forgetQueued, true)) {
        // Later in this turn: a watcher sends no requests.
        QMetaObject::invokeMethod(
            &m_x,
            [this, alive = std::weak_ptr<bool>(m_alive)] {
                if (alive.lock())
                    forgetAll();
            },
            Qt::QueuedConnection);
    }
}

void ClientFactsCache::keep(const ClientFacts& facts) {
    // Without a known owner a reused window id could not be told apart.
    if (!facts.exists || !facts.pid) {
        forget(facts.window);
        return;
    }
    auto [it, added] = m_kept.try_emplace(facts.window);
    if (added)
        m_x.selectEvents(facts.window, XCB_EVENT_MASK_PROPERTY_CHANGE);
    it->second = Kept{facts.pid, facts.types, facts.transient, facts.identity, false};
}

void ClientFactsCache::listenAnew(xcb_window_t window) {
    // Another window under a kept window's id (the old one was destroyed and
    // its id reused): it was never listened to.
    m_x.renewSelection(window);
    m_kept[window].stale = true;
}

void ClientFactsCache::forget(xcb_window_t window) {
    if (m_kept.erase(window))
        m_x.releaseEvents(window, XCB_EVENT_MASK_PROPERTY_CHANGE);
}

std::vector<ClientFacts> ClientFactsCache::read(const std::vector<xcb_window_t>& windows, unsigned fields) {
    if (!(fields & keptFields) || !m_x.hasClientIds())
        return readClients(m_x, windows, fields);
    m_lastRead = m_clock.systemUptime();
    // Windows not kept yet are listened to before they are read: a change
    // after the read is then reported.
    std::vector<std::pair<xcb_window_t, unsigned>> asked;
    asked.reserve(windows.size());
    for (xcb_window_t w : windows) {
        auto it = m_kept.find(w);
        const bool known = it != m_kept.end() && !it->second.stale;
        if (!known && it == m_kept.end())
            m_x.selectEvents(w, XCB_EVENT_MASK_PROPERTY_CHANGE);
        asked.emplace_back(w, known ? (fields & ~keptFields) | ClientField::owner | ClientField::ourEvents
                                    : fields | ClientField::owner | keptFields);
        if (!known && it == m_kept.end())
            m_kept[w].stale = true; // listened to; filled below
    }
    std::vector<ClientFacts> facts = readClients(m_x, asked);
    for (std::size_t i = 0; i < facts.size(); ++i) {
        if (asked[i].second & ClientField::identity)
            keep(facts[i]);
        else if (!facts[i].exists)
            forget(facts[i].window);
        else if (!(facts[i].ourEvents & XCB_EVENT_MASK_PROPERTY_CHANGE) ||
                 m_kept[facts[i].window].pid != facts[i].pid)
            listenAnew(facts[i].window);
    }
    // Changes made before these replies were sent come with them.
    m_x.readQueuedEvents();
    std::vector<std::pair<xcb_window_t, unsigned>> again;
    std::vector<std::size_t> againAt;
    for (std::size_t i = 0; i < facts.size(); ++i) {
        auto it = m_kept.find(facts[i].window);
        if (it == m_kept.end())
            continue;
        if (it->second.stale) {
            again.emplace_back(facts[i].window, fields | ClientField::owner | keptFields);
            againAt.push_back(i);
            continue;
        }
        facts[i].types = it->second.types;
        facts[i].transient = it->second.transient;
        facts[i].identity = it->second.identity;
    }
    if (!again.empty()) {
        std::vector<ClientFacts> fresh = readClients(m_x, again);
        for (std::size_t j = 0; j < fresh.size(); ++j) {
            keep(fresh[j]);
            facts[againAt[j]] = std::move(fresh[j]);
        }
    }
    return facts;
}

ClientFacts ClientFactsCache::read(xcb_window_t window, unsigned fields) {
    return read(std::vector<xcb_window_t>{window}, fields).front();
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
