#pragma once

#include "platform/Platform.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimDesktopServices.h"
#include "platform/sim/SimSessionServices.h"
#include "platform/sim/SimWorld.h"
#include "platform/sim/VirtualClock.h"

namespace stellwick::sim {

// An in-memory desktop implementing every platform service, with a control
// interface for tests: screens, applications and windows to add, move and
// remove, windows that refuse or distort writes, reads that fail, trust to
// revoke, clicks and keys to deliver, and time to advance by hand.
//
// For deterministic tests of the logic only; the running application always
// uses the real desktop.
class SimDesktop {
public:
    SimDesktop();
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    Platform platform();
    VirtualClock& clock() { return m_clock; }
    SimWorld& world() { return m_world; }
    RecordingRestorationLog& log() { return m_log; }
    SimAccessibility& accessibility() { return m_accessibility; }

    // --- screens --------------------------------------------------------
    // Appends a screen; the first one is the primary. Frames in the
    // bottom-left-origin space.
    void addScreen(const PlatformScreen& screen);
    // A screen from its top-left-origin rectangles (relative to the primary's
    // top-left corner), converted the way a desktop with that layout reports it.
    void addScreenTopLeft(const Rect& frame, const Rect& visibleFrame, const QString& name,
                          std::optional<std::uint32_t> number = std::nullopt,
                          std::optional<QString> uuid = std::nullopt);
    void removeScreen(std::size_t index);
    void setMainScreen(std::optional<std::size_t> index) { m_world.mainScreenIndex = index; }
    // Delivers one screen-parameter notification.
    void notifyScreenParametersChanged() { m_screens.notifyChanged(); }

    // --- applications ---------------------------------------------------
    void addApplication(const RunningApplication& app);
    // Adds the application and delivers its launch notification.
    void launchApplication(const RunningApplication& app);
    void terminateApplication(std::int32_t pid);
    SimApplication& application(std::int32_t pid);

    // --- windows --------------------------------------------------------
    // Opens a window in front of the others and returns its id.
    WindowId addWindow(SimWindow window);
    // The window closes: its element answers invalidUIElement from now on.
    void removeWindow(WindowId id);
    SimWindow& window(WindowId id);
    void raiseWindow(WindowId id);
    // A window-server entry that no accessibility window stands for (a top
    // panel, a desktop icon), listed in front of the windows.
    void addWindowServerEntry(const WindowServerEntry& entry, bool desktopElement = false);
    AXElement windowElement(WindowId id) const { return m_accessibility.windowElement(id); }
    const std::vector<SimWrite>& writes() const { return m_world.writes; }
    // Writes of one attribute to one window.
    std::size_t writeCount(WindowId id, const QString& attribute) const;

    // --- input ------------------------------------------------------------
    // A left click at a point of the bottom-left-origin space, received by
    // another application, or by this one's own windows.
    void click(Point location, bool onOwnWindow = false);
    // Returns whether the key reached the application that had focus.
    bool pressKey(std::uint16_t keyCode, bool toOwnApplication = false);
    std::size_t installedGlobalMonitors() const { return m_eventMonitors.globalCount(); }
    std::size_t installedLocalMonitors() const { return m_eventMonitors.localCount(); }

    std::size_t screenChangeSubscribers() const { return m_screens.subscriberCount(); }
    std::size_t launchSubscribers() const { return m_applications.subscriberCount(); }

private:
    SimWorld m_world;
    VirtualClock m_clock;
    RecordingRestorationLog m_log;
    SimScreens m_screens{m_world};
    SimWindowServer m_windowServer{m_world};
    SimAccessibility m_accessibility{m_world, m_clock};
    SimApplications m_applications{m_world};
    SimEventMonitors m_eventMonitors{m_world};
    SimLoginItems m_loginItems{m_world};
    SimNotifications m_notifications{m_world, m_clock};
    SimDefaults m_defaults{m_world};
    SimSettingsLink m_settingsLink{m_world};
};

} // namespace stellwick::sim
