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

Cancellable VirtualClock::schedule(double delaySeconds, std::function<void()> callback) {
    const Key key{m_elapsed + std::max(0.0, delaySeconds), m_sequence++};
    m_timers->emplace(key, std::move(callback));
    std::weak_ptr<Timers> timers = m_timers;
    return Cancellable([timers, key] {
        if (auto alive = timers.lock())
            alive->erase(key);
    });
}

void VirtualClock::advance(double seconds) {
    const double target = m_elapsed + std::max(0.0, seconds);
    // A guard against a test that schedules zero-delay work forever.
    for (int ran = 0; !m_timers->empty(); ++ran) {
        auto first = m_timers->begin();
        if (first->first.first > target)
            break;
        if (ran > 1'000'000)
            qFatal("VirtualClock: callbacks keep scheduling themselves");
        m_elapsed = std::max(m_elapsed, first->first.first);
        std::function<void()> callback = std::move(first->second);
        m_timers->erase(first);
        callback();
    }
    m_elapsed = target;
}

} // namespace stellwick::sim
