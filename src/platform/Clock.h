#pragma once

#include "model/Date.h"
#include "platform/Cancellable.h"

#include <functional>

namespace stellwick {

// Time and waiting. Every pause, retry and debounce goes through this, so tests
// drive virtual time instead of sleeping.
class Clock {
public:
    virtual ~Clock() = default;

    // Wall-clock time.
    virtual Date now() const = 0;
    // Seconds since the machine booted.
    virtual double systemUptime() const = 0;
    // Runs `callback` on the main thread after `delaySeconds` of monotonic
    // time; a delay of 0 runs it on a later turn of the event loop, never
    // inside this call. Destroying the handle before then cancels it.
    [[nodiscard]] virtual Cancellable schedule(double delaySeconds, std::function<void()> callback) = 0;
};

} // namespace stellwick
