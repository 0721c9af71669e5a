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
    std::unordered_map<int, std::function<void()>> m_callbacks;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace stellwick::linux_platform
