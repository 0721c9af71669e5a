#include "platform/linux/AppcastUpdater.h"

#include "BuildInfo.h"
#include "platform/linux/IniUserDefaults.h"

namespace stellwick::linux_platform {

UpdateSettings UpdateSettings::fromDefaults(const IniUserDefaults& defaults) {
    UpdateSettings settings;
    const QString feed = defaults.stringValue(feedURLKey).value_or(QString::fromUtf8(build::updateFeedURL));
    settings.feedURL = QUrl(feed.trimmed());
    settings.automaticChecks = defaults.boolValue(automaticChecksKey).value_or(true);
    if (const std::optional<double> interval = defaults.doubleValue(checkIntervalKey);
        interval && *interval > 0)
        settings.checkIntervalSeconds = std::max(*interval, minimumCheckIntervalSeconds);
    return settings;
}

AppcastUpdater::AppcastUpdater(Clock& clock, UpdatePresenter& presenter, UpdateSettings settings,
                               VersionNumber currentVersion)
    : m_clock(clock)
    , m_presenter(presenter)
    , m_settings(std::move(settings))
    , m_checker(std::move(currentVersion), m_settings.transferTimeoutMs) {}

VersionNumber AppcastUpdater::runningVersion() {
    // The build's own version is always well formed; 0 would only make every release look newer.
    return VersionNumber::parse(QString::fromLatin1(build::version))
        .value_or(*VersionNumber::parse(QStringLiteral("0")));
}

void AppcastUpdater::start() {
    if (m_started || m_settings.feedURL.isEmpty() || !m_settings.automaticChecks)
        return;
    m_started = true;
    beginCheck();
}

void AppcastUpdater::checkForUpdates() {
    m_userWaiting = true;
    m_presenter.showChecking();
    // A check already under way answers the user as well.
    if (!m_checking)
        beginCheck();
}

void AppcastUpdater::beginCheck() {
    m_checking = true;
    m_checker.check(m_settings.feedURL, [this](const UpdateCheckResult& result) { finished(result); });
}

void AppcastUpdater::scheduleNextCheck() {
    // A check under way when the time comes schedules the next one as it ends.
    m_nextCheck = m_clock.schedule(m_settings.checkIntervalSeconds, [this] {
        if (!m_checking)
            beginCheck();
    });
}

void AppcastUpdater::finished(const UpdateCheckResult& result) {
    m_checking = false;
    const bool userAsked = std::exchange(m_userWaiting, false);
    if (m_started)
        scheduleNextCheck();

    const auto* available = std::get_if<UpdateAvailable>(&result);
    if (userAsked) {
        if (available)
            m_announced = available->release.version;
        m_presenter.showResult(result);
        return;
    }
    if (available && m_announced != available->release.version) {
        m_announced = available->release.version;
        m_presenter.showResult(result);
    }
}

} // namespace stellwick::linux_platform
