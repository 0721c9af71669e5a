#pragma once

// X11 backend only: waiting for the window manager to carry out a move.

#include "model/Geometry.h"
#include "platform/Clock.h"
#include "platform/x11/XConnection.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace stellwick::x11 {

// Remembers the outer frame last asked of each window and tells when the
// window manager has put it there: on the ConfigureNotify that brings the
// window within tolerance, when the window goes away, or after a bound.
class WriteSettling {
public:
    // Long enough for a window manager and a client that redraws, short
    // enough that a window that never gets there costs little.
    static constexpr double bound = 0.05;

    WriteSettling(XConnection& x, Clock& clock);
    ~WriteSettling();
    WriteSettling(const WriteSettling&) = delete;
    WriteSettling& operator=(const WriteSettling&) = delete;

    // Before a move is sent: starts listening to the window's configuration
    // and records the target (root coordinates). Windows that snap to size
    // increments land within max(3, min(increment − 1, 64)) points of it.
    // `current` is the frame read just before: a window that must move
    // reports its move (ConfigureNotify), and is not read before that.
    void expect(xcb_window_t window, const Rect& target, std::optional<Size> increments,
                std::optional<Rect> current = std::nullopt);
    // The target recorded last, if any.
    std::optional<Rect> target(xcb_window_t window) const;

    [[nodiscard]] Cancellable whenSettled(xcb_window_t window, std::function<void()> settled);

private:
    struct Expectation {
        Rect target;
        Size tolerance;
        bool mustMove = false;
    };
    struct Waiter {
        xcb_window_t window;
        std::function<void()> settled;
        Cancellable bound;
    };
    bool hasSettled(xcb_window_t window);
    void onEvent(const xcb_generic_event_t& event);
    void complete(int id);
    // Removes a waiter (and the window's selection when it was the last) and
    // returns its callback.
    std::function<void()> forget(int id);
    void stopListening(xcb_window_t window);

    XConnection& m_x;
    Clock& m_clock;
    std::map<xcb_window_t, Expectation> m_expected;
    std::map<int, Waiter> m_waiters;
    int m_nextId = 1;
    Cancellable m_events;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace stellwick::x11
