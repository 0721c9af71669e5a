#pragma once

#include "model/Geometry.h"
#include "platform/Cancellable.h"
#include "platform/Clock.h"
#include "platform/EventMonitors.h"

#include <functional>
#include <vector>

namespace stellwick {

// Listens, desktop-wide, for the one click that selects a window or for the
// Escape key that cancels the selection.
class WindowSelectionMonitor {
public:
    // Left mouse down and key down anywhere; key down in our own windows.
    static constexpr std::uint64_t globalEventMask = InputEventMask::leftMouseDown | InputEventMask::keyDown;
    static constexpr std::uint64_t localEventMask = InputEventMask::keyDown;
    static constexpr std::uint16_t escapeKeyCode = KeyCode::escape;

    WindowSelectionMonitor(EventMonitors& monitors, Clock& clock);

    // Installs one global and one local monitor (removing any installed
    // before). A click calls onClick with the pointer position read when the
    // click arrived (bottom-left-origin space); Escape calls onCancel. Both run
    // on a later turn of the event loop, never inside the event handler, and
    // the Escape key never reaches our own windows.
    void start(std::function<void(Point)> onClick, std::function<void()> onCancel);
    // Removes the monitors; events they caught and have not yet handed on are dropped.
    void stop();

    bool isInstalled() const {
        return static_cast<bool>(m_eventMonitor) || static_cast<bool>(m_localKeyMonitor);
    }

private:
    void later(std::function<void()> work);

    EventMonitors& m_monitors;
    Clock& m_clock;
    Cancellable m_eventMonitor;
    Cancellable m_localKeyMonitor;
    std::vector<Cancellable> m_pending;
};

} // namespace stellwick
