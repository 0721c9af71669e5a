#include "async/Awaitables.h"

namespace stellwick {

Sleep::~Sleep() {
    unregister();
}

bool Sleep::suspend(std::coroutine_handle<> handle, std::shared_ptr<TaskState> state) {
    m_state = std::move(state);
    if (m_state && m_state->isCancelled()) {
        m_interrupted = true;
        return false;
    }
    m_timer = m_clock.schedule(m_seconds, [this, handle] {
        unregister();
        handle.resume();
    });
    if (m_state) {
        m_waiter = m_state->addCancellationWaiter([this, handle] {
            m_waiter = 0;
            m_interrupted = true;
            // Resume on a later turn, never inside the caller of cancel().
            m_timer = m_clock.schedule(0, [handle] { handle.resume(); });
        });
    }
    return true;
}

void Sleep::await_resume() {
    unregister();
    if (m_interrupted)
        throw CancellationError();
}

void Sleep::unregister() {
    if (m_state && m_waiter != 0)
        m_state->removeCancellationWaiter(std::exchange(m_waiter, 0));
}

bool WaitForCallback::await_suspend(std::coroutine_handle<> handle) {
    m_starting = true;
    m_pending = m_start([this, handle] {
        if (m_starting) {
            m_doneWhileStarting = true;
            return;
        }
        handle.resume();
    });
    m_starting = false;
    return !m_doneWhileStarting;
}

} // namespace stellwick
