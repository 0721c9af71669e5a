#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace stellwick::sim {

// Time that moves only when a test moves it. Scheduled callbacks run in order
// of due time (ties in order of scheduling) from advance(). Timer ids are
// handed out the way Qt does it, the most recently freed one first, so a
// handle that outlives its timer meets the id's next owner here as well.
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
    std::size_t pendingCount() const { return m_due.size(); }

    void setNow(Date now);
    void setSystemUptime(double seconds);

private:
    using Key = std::pair<double, std::uint64_t>; // due time, order of scheduling
    struct Pending {
        Key key;
        std::function<void()> callback;
    };

    int takeId();
    // Forgets the timer with this id, which is then free for the next one.
    void remove(int id);

    double m_elapsed = 0;
    Date m_startDate;
    double m_startUptime = 120;
    std::uint64_t m_sequence = 0;
    // Keyed by timer id, as Qt keys its timers; m_due gives the order.
    std::unordered_map<int, std::shared_ptr<Pending>> m_pending;
    std::map<Key, int> m_due;
    std::vector<int> m_freedIds; // most recently freed last
    int m_nextId = 1;
};

} // namespace stellwick::sim
