#include "async/TaskGroup.h"

#include <algorithm>

namespace stellwick {

void TaskState::cancel() {
    if (m_cancelled)
        return;
    m_cancelled = true;
    auto waiters = std::exchange(m_waiters, {});
    for (auto& [id, wake] : waiters)
        wake();
}

std::uint64_t TaskState::addCancellationWaiter(std::function<void()> wake) {
    const std::uint64_t id = m_nextWaiter++;
    m_waiters.emplace(id, std::move(wake));
    return id;
}

void TaskState::removeCancellationWaiter(std::uint64_t id) {
    m_waiters.erase(id);
}

TaskGroup::TaskGroup(Clock& clock)
    : m_clock(clock) {}

TaskGroup::~TaskGroup() {
    // Frames first, while the states they point at are still alive.
    for (auto& running : m_running) {
        running->start.cancel();
        running->task = Task<void>(nullptr);
    }
}

TaskRef TaskGroup::spawn(Task<void> task) {
    reapFinished();
    auto running = std::make_unique<Running>(Running{std::move(task), std::make_shared<TaskState>(), {}});
    running->task.m_handle.promise().state = running->state;
    Running* raw = running.get();
    raw->start = m_clock.schedule(0, [raw] { raw->task.m_handle.resume(); });
    m_running.push_back(std::move(running));
    return TaskRef(raw->state);
}

std::size_t TaskGroup::runningCount() const {
    return static_cast<std::size_t>(std::count_if(m_running.begin(), m_running.end(),
                                                  [](const auto& r) { return !r->state->isFinished(); }));
}

void TaskGroup::reapFinished() {
    // Only finished frames are destroyed here: a running task may be the caller.
    std::erase_if(m_running, [](const auto& r) { return r->state->isFinished(); });
}

} // namespace stellwick
