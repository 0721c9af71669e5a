#include "platform/sim/SimDesktop.h"

#include <QtGlobal>
#include <algorithm>

namespace stellwick::sim {

SimDesktop::SimDesktop() = default;

Platform SimDesktop::platform() {
    return Platform{m_clock,        m_screens,       m_windowServer, m_accessibility,
                    m_applications, m_eventMonitors, m_loginItems,   m_notifications,
                    m_defaults,     m_settingsLink,  m_log};
}

void SimDesktop::addScreen(const PlatformScreen& screen) {
    m_world.screens.push_back(screen);
}

void SimDesktop::addScreenTopLeft(const Rect& frame, const Rect& visibleFrame, const QString& name,
                                  std::optional<std::uint32_t> number, std::optional<QString> uuid) {
    // The bottom-left space puts the primary's bottom edge at y = 0.
    const double primaryHeight =
        m_world.screens.empty() ? frame.height : m_world.screens.front().frame.height;
    const auto flip = [primaryHeight](const Rect& r) {
        return Rect{r.x, primaryHeight - (r.y + r.height), r.width, r.height};
    };
    m_world.screens.push_back({flip(frame), flip(visibleFrame), name, number, std::move(uuid)});
}

void SimDesktop::removeScreen(std::size_t index) {
    Q_ASSERT(index < m_world.screens.size());
    m_world.screens.erase(m_world.screens.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_world.mainScreenIndex && *m_world.mainScreenIndex >= m_world.screens.size())
        m_world.mainScreenIndex = m_world.screens.empty() ? std::nullopt : std::optional<std::size_t>(0);
}

void SimDesktop::addApplication(const RunningApplication& app) {
    Q_ASSERT(!m_world.application(app.processIdentifier));
    m_world.applications.push_back({app, std::nullopt, false});
}

void SimDesktop::launchApplication(const RunningApplication& app) {
    addApplication(app);
    m_applications.notifyLaunched(app);
}

void SimDesktop::terminateApplication(std::int32_t pid) {
    application(pid).app.isTerminated = true;
}

SimApplication& SimDesktop::application(std::int32_t pid) {
    SimApplication* app = m_world.application(pid);
    Q_ASSERT(app);
    return *app;
}

WindowId SimDesktop::addWindow(SimWindow window) {
    window.id = m_world.nextWindowId++;
    window.exists = true;
    m_world.windows.insert(m_world.windows.begin(), window);
    m_world.windowOrder.push_back(window.id);
    return window.id;
}

void SimDesktop::removeWindow(WindowId id) {
    std::erase_if(m_world.windows, [id](const SimWindow& w) { return w.id == id; });
    std::erase(m_world.windowOrder, id);
}

SimWindow& SimDesktop::window(WindowId id) {
    SimWindow* window = m_world.window(id);
    Q_ASSERT(window);
    return *window;
}

void SimDesktop::raiseWindow(WindowId id) {
    auto it = std::find_if(m_world.windows.begin(), m_world.windows.end(),
                           [id](const SimWindow& w) { return w.id == id; });
    Q_ASSERT(it != m_world.windows.end());
    std::rotate(m_world.windows.begin(), it, it + 1);
}

void SimDesktop::addWindowServerEntry(const WindowServerEntry& entry, bool desktopElement) {
    m_world.extraEntries.push_back({entry, desktopElement});
}

std::size_t SimDesktop::writeCount(WindowId id, const QString& attribute) const {
    return static_cast<std::size_t>(
        std::count_if(m_world.writes.begin(), m_world.writes.end(),
                      [&](const SimWrite& w) { return w.window == id && w.attribute == attribute; }));
}

void SimDesktop::click(Point location, bool onOwnWindow) {
    m_world.mouseLocation = location;
    m_eventMonitors.deliver({InputEventType::leftMouseDown, 0}, onOwnWindow);
}

bool SimDesktop::pressKey(std::uint16_t keyCode, bool toOwnApplication) {
    const bool reached = m_eventMonitors.deliver({InputEventType::keyDown, keyCode}, toOwnApplication);
    if (toOwnApplication)
        m_world.lastKeyReachedOwnWindows = reached;
    return reached;
}

} // namespace stellwick::sim
