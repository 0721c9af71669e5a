#include "windows/WindowSelectionMonitor.h"

namespace stellwick {

WindowSelectionMonitor::WindowSelectionMonitor(EventMonitors& monitors, Clock& clock)
    : m_monitors(monitors)
    , m_clock(clock) {}

void WindowSelectionMonitor::start(std::function<void(Point)> onClick, std::function<void()> onCancel) {
    stop();
    m_eventMonitor =
        m_monitors.addGlobalMonitor(globalEventMask, [this, onClick, onCancel](const InputEvent& event) {
            // The pointer may move on before the event is looked at: read it now.
            const Point location = m_monitors.mouseLocation();
            later([event, location, onClick, onCancel] {
                if (event.type == InputEventType::keyDown) {
                    if (event.keyCode == escapeKeyCode)
                        onCancel();
                } else if (event.type == InputEventType::leftMouseDown) {
                    onClick(location);
                }
            });
        });
    m_localKeyMonitor = m_monitors.addLocalMonitor(
        localEventMask, [this, onCancel](const InputEvent& event) -> std::optional<InputEvent> {
            if (event.keyCode != escapeKeyCode)
                return event;
            later(onCancel);
            return std::nullopt;
        });
}

void WindowSelectionMonitor::stop() {
    m_eventMonitor.cancel();
    m_localKeyMonitor.cancel();
    m_pending.clear();
}

void WindowSelectionMonitor::later(std::function<void()> work) {
    std::erase_if(m_pending, [](const Cancellable& handle) { return !handle; }); // fired ones
    m_pending.push_back(m_clock.schedule(0, std::move(work)));
}

} // namespace stellwick
