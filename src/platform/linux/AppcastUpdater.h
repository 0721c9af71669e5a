#pragma once

#include "platform/Clock.h"
#include "platform/Updater.h"
#include "platform/linux/UpdateChecker.h"

#include <optional>

namespace stellwick::linux_platform {

class IniUserDefaults;

// How and when to look for updates.
struct UpdateSettings {
    // The release feed; empty turns every check off.
    QUrl feedURL;
    // Whether to check at start and then every `checkIntervalSeconds`.
    bool automaticChecks = true;
    double checkIntervalSeconds = 24 * 60 * 60;
    int transferTimeoutMs = 30'000;

    // Keys in the defaults.
    static inline const QString feedURLKey = QStringLiteral("updateFeedURL");
    static inline const QString automaticChecksKey = QStringLiteral("automaticallyCheckForUpdates");
    static inline const QString checkIntervalKey = QStringLiteral("updateCheckInterval");
    // The shortest interval honoured, so that a typo cannot flood the server.
    static constexpr double minimumCheckIntervalSeconds = 60 * 60;

    // The build's feed unless the defaults name another (an empty one turns
    // checks off), the switch, and the interval in seconds (at least an hour).
    static UpdateSettings fromDefaults(const IniUserDefaults& defaults);
};

// Update checks against the release feed: one in the background at start and
// then on a schedule, and one whenever the user asks. A check the user asked
// for always shows its outcome; a background check shows only a newer version,
// once per version, and keeps its errors to itself.
class AppcastUpdater final : public Updater {
public:
    AppcastUpdater(Clock& clock, UpdatePresenter& presenter, UpdateSettings settings,
                   VersionNumber currentVersion = runningVersion());

    // The version of this build.
    static VersionNumber runningVersion();

    void start() override;
    void checkForUpdates() override;

private:
    void beginCheck();
    void scheduleNextCheck();
    void finished(const UpdateCheckResult& result);

    Clock& m_clock;
    UpdatePresenter& m_presenter;
    UpdateSettings m_settings;
    UpdateChecker m_checker;
    bool m_started = false;
    bool m_checking = false;
    bool m_userWaiting = false;
    std::optional<VersionNumber> m_announced;
    Cancellable m_nextCheck;
};

} // namespace stellwick::linux_platform
