#include "platform/sim/SimDesktopServices.h"

namespace stellwick::sim {
namespace {

std::uint64_t maskOf(const InputEvent& event) {
    return std::uint64_t{1} << static_cast<int>(event.type);
}

} // namespace

std::optional<PlatformScreen> SimScreens::mainScreen() const {
    if (!m_world.mainScreenIndex || *m_world.mainScreenIndex >= m_world.screens.size())
        return std::nullopt;
    return m_world.screens[*m_world.mainScreenIndex];
}

void SimScreens::notifyChanged() {
    m_handlers.notify();
}

std::optional<std::vector<WindowServerEntry>> SimWindowServer::windowList(unsigned options) const {
    if (!m_world.windowListAvailable)
        return std::nullopt;
    std::vector<WindowServerEntry> entries;
    for (const SimWindowServerExtra& extra : m_world.extraEntries) {
        if (extra.desktopElement && (options & WindowListOption::excludeDesktopElements))
            continue;
        entries.push_back(extra.entry);
    }
    for (const SimWindow& window : m_world.windows) {
        if (!window.exists || window.minimized || !window.onCurrentSpace)
            continue;
        entries.push_back({window.pid, window.frame, window.layer});
    }
    return entries;
}

int SimWindowServer::windowLevelForKey(int key) const {
    return key == WindowLevelKey::mainMenu ? WindowLevel::mainMenu : WindowLevel::normal;
}

std::optional<RunningApplication> SimApplications::runningApplication(std::int32_t pid) const {
    const SimApplication* app = m_world.application(pid);
    return app ? std::optional(app->app) : std::nullopt;
}

std::vector<RunningApplication> SimApplications::runningApplications(const QString& bundleIdentifier) const {
    std::vector<RunningApplication> out;
    for (const SimApplication& app : m_world.applications) {
        if (app.app.bundleIdentifier == bundleIdentifier)
            out.push_back(app.app);
    }
    return out;
}

std::optional<QImage> SimApplications::applicationIcon(const QString& bundleIdentifier) const {
    auto it = m_world.icons.constFind(bundleIdentifier);
    return it == m_world.icons.constEnd() ? std::nullopt : std::optional(*it);
}

void SimApplications::notifyLaunched(const RunningApplication& app) {
    m_handlers.notify(app);
}

Cancellable SimEventMonitors::addGlobalMonitor(std::uint64_t mask,
                                               std::function<void(const InputEvent&)> handler) {
    return m_global.add({mask, std::move(handler)});
}

Cancellable
SimEventMonitors::addLocalMonitor(std::uint64_t mask,
                                  std::function<std::optional<InputEvent>(const InputEvent&)> handler) {
    return m_local.add({mask, std::move(handler)});
}

bool SimEventMonitors::deliver(const InputEvent& event, bool toOwnApplication) {
    if (!toOwnApplication) {
        m_global.forEach([&](const Global& monitor) {
            if (monitor.first & maskOf(event))
                monitor.second(event);
        });
        return true;
    }
    bool delivered = true;
    m_local.forEach([&](const Local& monitor) {
        if ((monitor.first & maskOf(event)) && !monitor.second(event))
            delivered = false;
    });
    return delivered;
}

} // namespace stellwick::sim
