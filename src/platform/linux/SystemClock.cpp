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

SystemClock::~SystemClock() {
    *m_alive = false;
}

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
    m_callbacks.emplace(id, std::move(callback));
    std::weak_ptr<bool> alive = m_alive;
    return Cancellable([this, alive, id] {
        if (alive.lock() && m_callbacks.erase(id) > 0)
            killTimer(id);
    });
}

void SystemClock::timerEvent(QTimerEvent* event) {
    const int id = event->timerId();
    killTimer(id);
    auto it = m_callbacks.find(id);
    if (it == m_callbacks.end())
        return;
    std::function<void()> callback = std::move(it->second);
    m_callbacks.erase(it);
    callback();
}

} // namespace stellwick::linux_platform
