#pragma once

#include "platform/EventMonitors.h"
#include "platform/x11/DesktopSpace.h"
#include "platform/x11/LocalEventFilter.h"
#include "platform/x11/XConnection.h"

#include <set>

namespace stellwick::x11 {

// Clicks and keys anywhere on the desktop through XInput 2 raw events on the
// root window: seen without grabbing or consuming them, even while another
// client holds a grab. The pointer position is read as each click arrives.
// Clicks on this process's own windows (including its popups and tray icon)
// and keys while one of its windows has focus are left to the local monitors.
// Without an X connection only the local monitors work.
class X11EventMonitors final : public EventMonitors {
public:
    X11EventMonitors(XConnection* x, DesktopSpace* space);
    ~X11EventMonitors() override;

    Cancellable addGlobalMonitor(std::uint64_t mask, std::function<void(const InputEvent&)> handler) override;
    Cancellable addLocalMonitor(std::uint64_t mask,
                                std::function<std::optional<InputEvent>(const InputEvent&)> handler) override;
    Point mouseLocation() const override;

private:
    void selectRawEvents(bool on);
    void onEvent(const xcb_generic_event_t& event);
    void deliverGlobal(const InputEvent& event);
    std::optional<Point> pointerRoot() const;
    bool pointerOverOwnWindow();
    bool focusOnOwnWindow();
    bool isOwn(const std::vector<xcb_window_t>& windows);
    const std::set<xcb_keycode_t>& escapeKeycodes();

    XConnection* m_x;
    DesktopSpace* m_space;
    LocalEventFilter m_local;
    Subscribers<std::pair<std::uint64_t, std::function<void(const InputEvent&)>>> m_global;
    bool m_selected = false;
    std::optional<Point> m_clickLocation; // while a click is delivered, bottom-left space
    std::optional<std::set<xcb_keycode_t>> m_escapeKeycodes;
    Cancellable m_events;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace stellwick::x11
