#pragma once

#include "async/TaskGroup.h"
#include "platform/sim/VirtualClock.h"

#include <QtGlobal>
#include <optional>

namespace stellwick::test {

// Runs a task to its end on virtual time (at most `limit` seconds of it) and
// returns its value; fails the test process when the task does not finish.
template <typename T> T runTask(sim::VirtualClock& clock, Task<T> task, double limit = 120) {
    TaskGroup group(clock);
    std::optional<T> result;
    group.spawn([](Task<T> inner, std::optional<T>& out) -> Task<void> {
        out = co_await std::move(inner);
    }(std::move(task), result));
    for (double waited = 0; !result && waited <= limit; waited += 0.01)
        clock.advance(0.01);
    if (!result)
        qFatal("runTask: the task did not finish within %g virtual seconds", limit);
    return *result;
}

} // namespace stellwick::test
