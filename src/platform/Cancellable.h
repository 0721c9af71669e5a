#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace stellwick {

// Ownership of something that runs until cancelled: a timer, a subscription,
// an event monitor. Destroying or resetting it cancels; cancelling twice is
// harmless. Move-only.
//
// Work that can end by itself (a timer that fires) is made with a token that
// lives exactly as long as the work is pending. Once the token is gone the
// handle is disarmed: it tests false and cancelling it does nothing, so a
// handle kept after its timer fired can never cancel whatever newer work
// reuses that timer's id.
class Cancellable {
public:
    Cancellable() = default;
    explicit Cancellable(std::function<void()> cancel)
        : m_cancel(std::move(cancel)) {}
    Cancellable(std::function<void()> cancel, std::weak_ptr<const void> pending)
        : m_cancel(std::move(cancel))
        , m_pending(std::move(pending))
        , m_endsByItself(true) {}
    Cancellable(Cancellable&& other) noexcept
        : m_cancel(std::exchange(other.m_cancel, nullptr))
        , m_pending(std::exchange(other.m_pending, {}))
        , m_endsByItself(std::exchange(other.m_endsByItself, false)) {}
    Cancellable& operator=(Cancellable&& other) noexcept {
        if (this != &other) {
            cancel();
            m_cancel = std::exchange(other.m_cancel, nullptr);
            m_pending = std::exchange(other.m_pending, {});
            m_endsByItself = std::exchange(other.m_endsByItself, false);
        }
        return *this;
    }
    Cancellable(const Cancellable&) = delete;
    Cancellable& operator=(const Cancellable&) = delete;
    ~Cancellable() { cancel(); }

    void cancel() {
        auto cancel = std::exchange(m_cancel, nullptr);
        const bool armed = isArmed();
        m_pending.reset();
        if (cancel && armed)
            cancel();
    }
    explicit operator bool() const { return m_cancel && isArmed(); }

private:
    bool isArmed() const { return !m_endsByItself || !m_pending.expired(); }

    std::function<void()> m_cancel;
    std::weak_ptr<const void> m_pending;
    bool m_endsByItself = false;
};

} // namespace stellwick
