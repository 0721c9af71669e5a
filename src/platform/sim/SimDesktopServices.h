#pragma once

// The simulated screens, window list, applications and event monitors.

#include "platform/Applications.h"
#include "platform/Clock.h"
#include "platform/EventMonitors.h"
#include "platform/Screens.h"
#include "platform/Subscribers.h"
#include "platform/WindowServer.h"
#include "platform/sim/SimWorld.h"

#include <memory>

namespace stellwick::sim {

class SimScreens final : public Screens {
public:
    explicit SimScreens(SimWorld& world)
        : m_world(world) {}
    std::vector<PlatformScreen> screens() const override { return m_world.screens; }
    std::optional<PlatformScreen> mainScreen() const override;
    Cancellable subscribeScreenParameterChanges(std::function<void()> handler) override {
        return m_handlers.add(std::move(handler));
    }
    void notifyChanged();
    std::size_t subscriberCount() const { return m_handlers.size(); }

private:
    SimWorld& m_world;
    Subscribers<std::function<void()>> m_handlers;
};

class SimWindowServer final : public WindowServer {
public:
    explicit SimWindowServer(SimWorld& world)
        : m_world(world) {}
    std::optional<std::vector<WindowServerEntry>> windowList(unsigned options) const override;
    int windowLevelForKey(int key) const override;

private:
    SimWorld& m_world;
};

class SimApplications final : public Applications {
public:
    explicit SimApplications(SimWorld& world)
        : m_world(world) {}
    std::optional<RunningApplication> runningApplication(std::int32_t pid) const override;
    std::vector<RunningApplication> runningApplications(const QString& bundleIdentifier) const override;
    std::optional<QImage> applicationIcon(const QString& bundleIdentifier) const override;
    std::int32_t currentProcessIdentifier() const override { return m_world.ownPid; }
    void activateCurrentApplication() override { ++m_world.activations; }
    Cancellable
    subscribeApplicationLaunches(std::function<void(const RunningApplication&)> handler) override {
        return m_handlers.add(std::move(handler));
    }
    void notifyLaunched(const RunningApplication& app);
    std::size_t subscriberCount() const { return m_handlers.size(); }

private:
    SimWorld& m_world;
    Subscribers<std::function<void(const RunningApplication&)>> m_handlers;
};

class SimEventMonitors final : public EventMonitors {
public:
    explicit SimEventMonitors(SimWorld& world)
        : m_world(world) {}
    Cancellable addGlobalMonitor(std::uint64_t mask, std::function<void(const InputEvent&)> handler) override;
    Cancellable addLocalMonitor(std::uint64_t mask,
                                std::function<std::optional<InputEvent>(const InputEvent&)> handler) override;
    Point mouseLocation() const override { return m_world.mouseLocation; }

    // Delivers an event the way the desktop would: to the global monitors when
    // another application receives it, to the local ones when this one does.
    // Returns whether the event reached its target (local monitors may swallow it).
    bool deliver(const InputEvent& event, bool toOwnApplication);
    std::size_t globalCount() const { return m_global.size(); }
    std::size_t localCount() const { return m_local.size(); }

private:
    using Global = std::pair<std::uint64_t, std::function<void(const InputEvent&)>>;
    using Local = std::pair<std::uint64_t, std::function<std::optional<InputEvent>(const InputEvent&)>>;
    SimWorld& m_world;
    Subscribers<Global> m_global;
    Subscribers<Local> m_local;
};

} // namespace stellwick::sim
