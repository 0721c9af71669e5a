#pragma once

// The simulated login items, notifications, defaults, settings link and log.

#include "platform/Clock.h"
#include "platform/LoginItems.h"
#include "platform/RestorationLog.h"
#include "platform/SettingsLink.h"
#include "platform/UserDefaults.h"
#include "platform/UserNotifications.h"
#include "platform/sim/SimWorld.h"

namespace stellwick::sim {

class SimLoginItems final : public LoginItems {
public:
    explicit SimLoginItems(SimWorld& world)
        : m_world(world) {}
    LoginItemStatus status() const override { return m_world.loginItemStatus; }
    void registerItem() override;
    void unregisterItem() override;

private:
    SimWorld& m_world;
};

class SimNotifications final : public UserNotifications {
public:
    SimNotifications(SimWorld& world, Clock& clock)
        : m_world(world)
        , m_clock(clock) {}
    void authorizationStatus(std::function<void(NotificationAuthorization)> completion) override;
    void requestAuthorization(std::function<void(bool granted)> completion) override;
    void post(const QString& identifier, const QString& title, const QString& body) override;

private:
    void later(std::function<void()> work);

    SimWorld& m_world;
    Clock& m_clock;
    std::vector<Cancellable> m_pending;
};

// Values keep the type they were stored with; setRaw in the world stores any.
class SimDefaults final : public UserDefaults {
public:
    explicit SimDefaults(SimWorld& world)
        : m_world(world) {}
    std::optional<bool> boolValue(const QString& key) const override;
    std::optional<double> doubleValue(const QString& key) const override;
    void setBool(const QString& key, bool value) override { m_world.defaults.insert(key, value); }
    void setDouble(const QString& key, double value) override { m_world.defaults.insert(key, value); }

private:
    SimWorld& m_world;
};

class SimSettingsLink final : public SettingsLink {
public:
    explicit SimSettingsLink(SimWorld& world)
        : m_world(world) {}
    std::optional<QUrl> accessibilitySettingsURL() const override { return m_world.settingsURL; }
    bool open(const QUrl& url) override {
        m_world.openedURLs.push_back(url);
        return true;
    }

private:
    SimWorld& m_world;
};

enum class LogLevel { info, debug, error };

struct LogLine {
    LogLevel level;
    QString text;
    bool operator==(const LogLine&) const = default;
};

class RecordingRestorationLog final : public RestorationLog {
public:
    void info(const QString& line) override { lines.push_back({LogLevel::info, line}); }
    void debug(const QString& line) override { lines.push_back({LogLevel::debug, line}); }
    void error(const QString& line) override { lines.push_back({LogLevel::error, line}); }

    std::vector<LogLine> lines;
};

} // namespace stellwick::sim
