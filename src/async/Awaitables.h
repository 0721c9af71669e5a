#pragma once

#include "async/Task.h"
#include "platform/Cancellable.h"
#include "platform/Clock.h"

#include <coroutine>
#include <functional>
#include <memory>

namespace stellwick {

// `co_await sleepFor(clock, seconds)`: suspends for that much monotonic time.
// Throws CancellationError when the surrounding task is cancelled, at once if it
// already was, or as soon as it is while sleeping.
class Sleep {
public:
    Sleep(Clock& clock, double seconds)
        : m_clock(clock)
        , m_seconds(seconds) {}
    Sleep(const Sleep&) = delete;
    Sleep& operator=(const Sleep&) = delete;
    ~Sleep();

    bool await_ready() const noexcept { return false; }
    template <detail::TaskPromise P> bool await_suspend(std::coroutine_handle<P> handle) {
        return suspend(handle, handle.promise().state);
    }
    void await_resume();

private:
    bool suspend(std::coroutine_handle<> handle, std::shared_ptr<TaskState> state);
    void unregister();

    Clock& m_clock;
    double m_seconds;
    std::shared_ptr<TaskState> m_state;
    std::uint64_t m_waiter = 0;
    Cancellable m_timer;
    bool m_interrupted = false;
};
inline Sleep sleepFor(Clock& clock, double seconds) {
    return Sleep(clock, seconds);
}

// `co_await yieldOnce(clock)`: lets the event loop run once. Never throws.
class YieldOnce {
public:
    explicit YieldOnce(Clock& clock)
        : m_clock(clock) {}
    YieldOnce(const YieldOnce&) = delete;
    YieldOnce& operator=(const YieldOnce&) = delete;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) {
        m_timer = m_clock.schedule(0, [handle] { handle.resume(); });
    }
    void await_resume() const noexcept {}

private:
    Clock& m_clock;
    Cancellable m_timer;
};
inline YieldOnce yieldOnce(Clock& clock) {
    return YieldOnce(clock);
}

// `co_await waitForCallback(start)`: calls start(done) and suspends until done
// is called. start returns the handle that cancels the wait when the task is
// destroyed first. A done called inside start does not suspend at all.
class WaitForCallback {
public:
    using Start = std::function<Cancellable(std::function<void()> done)>;
    explicit WaitForCallback(Start start)
        : m_start(std::move(start)) {}
    WaitForCallback(const WaitForCallback&) = delete;
    WaitForCallback& operator=(const WaitForCallback&) = delete;

    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> handle);
    void await_resume() const noexcept {}

private:
    Start m_start;
    Cancellable m_pending;
    bool m_starting = false;
    bool m_doneWhileStarting = false;
};
inline WaitForCallback waitForCallback(WaitForCallback::Start start) {
    return WaitForCallback(std::move(start));
}

} // namespace stellwick
