#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

namespace stellwick::sim {

// Time that moves only when a test moves it. Scheduled callbacks run in order
// of due time (ties in order of scheduling) from advance().
class VirtualClock final : public Clock {
public:
    VirtualClock();

    Date now() const override;
    double systemUptime() const override;
    Cancellable schedule(double delaySeconds, std::function<void()> callback) override;

    // Moves time forward by `seconds`, running every callback that falls due,
    // including those scheduled meanwhile.
    void advance(double seconds);
    // Runs what is due now (zero-delay callbacks and their follow-ups).
    void runPending() { advance(0); }
    // Seconds of virtual time since the clock was made.
    double elapsed() const { return m_elapsed; }
    std::size_t pendingCount() const { return m_timers->size(); }

    void setNow(Date now);
    void setSystemUptime(double seconds);

private:
    using Key = std::pair<double, std::uint64_t>;
    using Timers = std::map<Key, std::function<void()>>;

    double m_elapsed = 0;
    Date m_startDate;
    double m_startUptime = 120;
    std::uint64_t m_sequence = 0;
    std::shared_ptr<Timers> m_timers = std::make_shared<Timers>();
};

} // namespace stellwick::sim
