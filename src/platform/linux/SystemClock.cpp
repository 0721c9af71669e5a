#include "platform/linux/SystemClock.h"

#include <QTimerEvent>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

namespace stellwick::linux_platform {
namespace {

double seconds(clockid_t id) {
    timespec ts{};
    ::clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

} // namespace

SystemClock::SystemClock() = default;

SystemClock::~SystemClock() = default;

Date SystemClock::now() const {
    return Date::fromUnixTime(seconds(CLOCK_REALTIME));
}

double SystemClock::systemUptime() const {
    return seconds(CLOCK_BOOTTIME);
}

Cancellable SystemClock::schedule(double delaySeconds, std::function<void()> callback) {
    const double ms = std::ceil(std::clamp(delaySeconds, 0.0, 1e9) * 1000.0);
    const int interval = static_cast<int>(std::min(ms, static_cast<double>(std::numeric_limits<int>::max())));
    const int id = startTimer(interval, Qt::PreciseTimer);
    auto pending = std::make_shared<Pending>(Pending{std::move(callback)});
    m_pending.insert_or_assign(id, pending);
    // Called only while `pending` lives, that is while the clock holds it
    // under `id`: neither the clock nor the id can be stale then.
    return Cancellable(
        [this, id] {
            m_pending.erase(id);
            killTimer(id);
        },
        pending);
}

void SystemClock::timerEvent(QTimerEvent* event) {
    const int id = event->timerId();
    killTimer(id);
    auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    // Disarm the handle before the callback runs: the callback may schedule
    // (and get this id again) or drop the handle.
    std::function<void()> callback = std::move(it->second->callback);
    m_pending.erase(it);
    callback();
}

} // namespace stellwick::linux_platform
