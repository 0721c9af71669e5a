#include "platform/sim/VirtualClock.h"

#include <QtGlobal>
#include <algorithm>

namespace stellwick::sim {

VirtualClock::VirtualClock()
    : m_startDate(Date::fromUnixTime(1'800'000'000.0)) {}

Date VirtualClock::now() const {
    return Date{m_startDate.secondsSinceReferenceDate + m_elapsed};
}

double VirtualClock::systemUptime() const {
    return m_startUptime + m_elapsed;
}

void VirtualClock::setNow(Date now) {
    m_startDate = Date{now.secondsSinceReferenceDate - m_elapsed};
}

void VirtualClock::setSystemUptime(double seconds) {
    m_startUptime = seconds - m_elapsed;
}

int VirtualClock::takeId() {
    if (m_freedIds.empty())
        return m_nextId++;
    const int id = m_freedIds.back();
    m_freedIds.pop_back();
    return id;
}

void VirtualClock::remove(int id) {
    auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    m_due.erase(it->second->key);
    m_pending.erase(it);
    m_freedIds.push_back(id);
}

Cancellable VirtualClock::schedule(double delaySeconds, std::function<void()> callback) {
    const Key key{m_elapsed + std::max(0.0, delaySeconds), m_sequence++};
    const int id = takeId();
    auto pending = std::make_shared<Pending>(Pending{key, std::move(callback)});
    m_pending.emplace(id, pending);
    m_due.emplace(key, id);
    // Cancels by id, as the real clock does; called only while `pending`
    // lives, that is while the id still belongs to this timer.
    return Cancellable([this, id] { remove(id); }, pending);
}

void VirtualClock::advance(double seconds) {
    const double target = m_elapsed + std::max(0.0, seconds);
    // A guard against a test that schedules zero-delay work forever.
    for (int ran = 0; !m_due.empty(); ++ran) {
        auto first = m_due.begin();
        if (first->first.first > target)
            break;
        if (ran > 1'000'000)
            qFatal("VirtualClock: callbacks keep scheduling themselves");
        m_elapsed = std::max(m_elapsed, first->first.first);
        // As with Qt: the id is free again, and the handle disarmed, before
        // the callback runs.
        const int id = first->second;
        std::function<void()> callback = std::move(m_pending.at(id)->callback);
        remove(id);
        callback();
    }
    m_elapsed = target;
}

} // namespace stellwick::sim
