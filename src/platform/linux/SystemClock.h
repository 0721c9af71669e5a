#pragma once

#include "platform/Clock.h"

#include <QObject>
#include <memory>
#include <unordered_map>

namespace stellwick::linux_platform {

// Wall time, boot time (CLOCK_BOOTTIME, so it keeps counting through suspend)
// and Qt timers on the main thread's event loop.
class SystemClock final : public QObject, public Clock {
public:
    SystemClock();
    ~SystemClock() override;

    Date now() const override;
    double systemUptime() const override;
    Cancellable schedule(double delaySeconds, std::function<void()> callback) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // Qt hands a freed timer id to the next timer, so each pending callback
    // also has a token of its own: its handle is disarmed once it fired.
    struct Pending {
        std::function<void()> callback;
    };
    std::unordered_map<int, std::shared_ptr<Pending>> m_pending;
};

} // namespace stellwick::linux_platform
