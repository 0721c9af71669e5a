#pragma once

#include "async/Task.h"
#include "platform/Cancellable.h"
#include "platform/Clock.h"

#include <memory>
#include <vector>

namespace stellwick {

// A non-owning handle to a spawned task, for cancelling it and asking after it.
class TaskRef {
public:
    TaskRef() = default;
    explicit TaskRef(std::shared_ptr<TaskState> state)
        : m_state(std::move(state)) {}

    void cancel() {
        if (m_state)
            m_state->cancel();
    }
    bool isCancelled() const { return m_state && m_state->isCancelled(); }
    bool isFinished() const { return m_state && m_state->isFinished(); }
    explicit operator bool() const { return static_cast<bool>(m_state); }
    bool operator==(const TaskRef& other) const { return m_state == other.m_state; }

private:
    std::shared_ptr<TaskState> m_state;
};

#ifndef Q_MOC_RUN // moc (6.4) cannot parse constrained templates
// `co_await currentTask()` gives the surrounding task's own handle, so a task
// can tell whether a registry entry still names it or a newer task.
class CurrentTask {
public:
    bool await_ready() const noexcept { return false; }
    template <detail::TaskPromise P> bool await_suspend(std::coroutine_handle<P> handle) noexcept {
        m_state = handle.promise().state;
        return false; // never actually suspends
    }
    TaskRef await_resume() const noexcept { return TaskRef(m_state); }

private:
    std::shared_ptr<TaskState> m_state;
};
inline CurrentTask currentTask() {
    return {};
}
#endif

// Owns top-level tasks. Spawned tasks start on a later turn of the event loop,
// so the caller returns first. Destroying the group destroys every task at its
// suspension point: the owner of the group can never be resumed into after it
// is gone.
class TaskGroup {
public:
    explicit TaskGroup(Clock& clock);
    ~TaskGroup();
    TaskGroup(const TaskGroup&) = delete;
    TaskGroup& operator=(const TaskGroup&) = delete;

    TaskRef spawn(Task<void> task);

    // Tasks spawned and not yet finished.
    std::size_t runningCount() const;

private:
    struct Running {
        Task<void> task;
        std::shared_ptr<TaskState> state;
        Cancellable start;
    };
    void reapFinished();

    Clock& m_clock;
    std::vector<std::unique_ptr<Running>> m_running;
};

} // namespace stellwick
