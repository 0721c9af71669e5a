#pragma once

// Coroutine tasks bound to the main thread, with cooperative cancellation.
//
// A Task<T> is lazy: it runs when awaited by another task or when spawned into
// a TaskGroup. A child task shares the cancellation state of the task that
// awaits it. Cancelling (TaskRef::cancel) is cooperative: the task sees it at
// its next check, and a pending or later sleep fails with CancellationError.
// Destroying a Task (or the TaskGroup that owns it) destroys the coroutine
// frame at its suspension point: pending waits are cancelled and nothing ever
// resumes on freed memory.

// moc (6.4) cannot parse concepts; it needs nothing from this header.
#ifndef Q_MOC_RUN

#include <concepts>
#include <coroutine>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace stellwick {

class CancellationError : public std::exception {
public:
    const char* what() const noexcept override { return "CancellationError"; }
};

// Shared by a spawned task and every task it awaits.
class TaskState {
public:
    bool isCancelled() const { return m_cancelled; }
    bool isFinished() const { return m_finished; }

    // Sets the flag and wakes every registered waiter (each schedules its own
    // resumption; nothing resumes inside this call).
    void cancel();

    std::uint64_t addCancellationWaiter(std::function<void()> wake);
    void removeCancellationWaiter(std::uint64_t id);

    void markFinished() { m_finished = true; }

private:
    bool m_cancelled = false;
    bool m_finished = false;
    std::uint64_t m_nextWaiter = 1;
    std::map<std::uint64_t, std::function<void()>> m_waiters;
};

namespace detail {

struct PromiseBase {
    std::shared_ptr<TaskState> state;
    std::coroutine_handle<> continuation;
    std::exception_ptr error;

    std::suspend_always initial_suspend() noexcept { return {}; }

    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> handle) noexcept {
            PromiseBase& promise = handle.promise();
            if (promise.continuation)
                return promise.continuation;
            if (promise.state)
                promise.state->markFinished();
            return std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }
    void unhandled_exception() noexcept { error = std::current_exception(); }
};

template <typename P>
concept TaskPromise = std::derived_from<P, PromiseBase>;

template <typename T> struct ValuePromise : PromiseBase {
    std::optional<T> value;
    template <typename U> void return_value(U&& v) { value.emplace(std::forward<U>(v)); }
    T take() {
        if (error)
            std::rethrow_exception(error);
        return std::move(*value);
    }
};

template <> struct ValuePromise<void> : PromiseBase {
    void return_void() noexcept {}
    void take() {
        if (error)
            std::rethrow_exception(error);
    }
};

} // namespace detail

class TaskGroup;

template <typename T = void> class [[nodiscard]] Task {
public:
    struct promise_type : detail::ValuePromise<T> {
        Task get_return_object() { return Task(std::coroutine_handle<promise_type>::from_promise(*this)); }
    };
    using Handle = std::coroutine_handle<promise_type>;

    Task(Task&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr)) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            destroy();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { destroy(); }

    bool isDone() const { return !m_handle || m_handle.done(); }

    struct Awaiter {
        Handle child;
        bool await_ready() const noexcept { return false; }
        template <detail::TaskPromise P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> parent) noexcept {
            child.promise().state = parent.promise().state;
            child.promise().continuation = parent;
            return child;
        }
        T await_resume() { return child.promise().take(); }
    };
    Awaiter operator co_await() && noexcept { return Awaiter{m_handle}; }

private:
    friend class TaskGroup;
    explicit Task(Handle handle)
        : m_handle(handle) {}
    void destroy() {
        if (m_handle)
            std::exchange(m_handle, nullptr).destroy();
    }

    Handle m_handle;
};

// `co_await taskIsCancelled()` tells whether the surrounding task was cancelled.
class TaskIsCancelled {
public:
    bool await_ready() const noexcept { return false; }
    template <detail::TaskPromise P> bool await_suspend(std::coroutine_handle<P> handle) noexcept {
        m_state = handle.promise().state;
        return false; // never actually suspends
    }
    bool await_resume() const noexcept { return m_state && m_state->isCancelled(); }

private:
    std::shared_ptr<TaskState> m_state;
};
inline TaskIsCancelled taskIsCancelled() {
    return {};
}

} // namespace stellwick

#endif // Q_MOC_RUN
