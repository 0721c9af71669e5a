// The three automatic triggers: once after login, after the display
// configuration changes, and per application when it launches.

#include "async/Awaitables.h"
#include "controller/AutomationPolicies.h"
#include "controller/ProbeViewModel.h"

#include <algorithm>
#include <cmath>

namespace stellwick {
namespace {

constexpr double loginApplyDelay = 5.0;
constexpr int loginApplyAttempts = 6;
constexpr double displayChangeDebounce = 1.0;
constexpr int launchRetryLimit = 10;

double launchRetryDelay(int attempt) {
    return std::min(0.5 * std::pow(1.6, attempt), 5.0);
}

// A pause whose cancellation is not an error: the caller checks at its next step.
Task<void> pauseIgnoringCancellation(Clock& clock, double seconds) {
    try {
        co_await sleepFor(clock, seconds);
    } catch (const CancellationError&) {
    }
}

} // namespace

void ProbeViewModel::scheduleLoginApply() {
    const double uptime = m_platform.clock.systemUptime();
    const double bootMarker = m_platform.clock.now().unixTime() - uptime;
    std::optional<double> lastMarker = m_defaults.doubleValue(DefaultsKey::lastAppliedBootMarker);
    if (lastMarker && !std::isfinite(*lastMarker))
        lastMarker.reset();
    // The switch counts only while the application starts at login.
    const bool enabled = m_isLoginItemEnabled && m_applyAfterLoginEnabled;
    if (!LoginAutomationPolicy::shouldApply(enabled, lastMarker, uptime, bootMarker))
        return;
    m_tasks.spawn(afterLoginTask(QPointer<ProbeViewModel>(this), m_platform.clock, bootMarker));
}

Task<void> ProbeViewModel::afterLoginTask(QPointer<ProbeViewModel> self, Clock& clock, double bootMarker) {
    // Tasks are named before they are awaited: GCC 12 mishandles temporaries
    // inside a co_await expression.
    Task<void> firstPause = pauseIgnoringCancellation(clock, loginApplyDelay);
    co_await std::move(firstPause);
    const QString reason = QStringLiteral("ログイン時");
    for (int attempt = 0;;) {
        if (!self || co_await taskIsCancelled())
            co_return;
        Task<std::int64_t> apply = self->restoreSelectedProfile(reason);
        const std::int64_t arranged = co_await std::move(apply);
        if (!self)
            co_return;
        if (arranged >= 1) {
            self->m_defaults.setDouble(DefaultsKey::lastAppliedBootMarker, bootMarker);
            co_return;
        }
        // Nothing to restore counts as done.
        const std::optional<LayoutProfile> profile = self->selectedProfile();
        if (profile && profile->placements.isEmpty()) {
            self->m_defaults.setDouble(DefaultsKey::lastAppliedBootMarker, bootMarker);
            co_return;
        }
        Task<void> pause = pauseIgnoringCancellation(clock, loginApplyDelay);
        co_await std::move(pause);
        attempt += 1;
        if (attempt == loginApplyAttempts) {
            if (self)
                self->setStatus(AppStatusKind::warning,
                                QStringLiteral("ログイン時の復元対象を確認できませんでした"));
            co_return;
        }
    }
}

void ProbeViewModel::subscribeToDisplayChanges() {
    // A burst of notifications becomes one call, a second after the last.
    m_displayChangeCancellable = m_platform.screens.subscribeScreenParameterChanges([this] {
        m_displayChangeDebounce =
            m_platform.clock.schedule(displayChangeDebounce, [this] { handleDisplayChange(); });
    });
}

void ProbeViewModel::handleDisplayChange() {
    requireMainThread("handleDisplayChange");
    if (!m_applyOnDisplayChangeEnabled)
        return;
    m_tasks.spawn(displayChangeApplyTask(QPointer<ProbeViewModel>(this)));
}

Task<void> ProbeViewModel::displayChangeApplyTask(QPointer<ProbeViewModel> self) {
    if (!self)
        co_return;
    Task<std::int64_t> apply = self->restoreSelectedProfile(QStringLiteral("ディスプレイ構成の変更"));
    co_await std::move(apply);
}

void ProbeViewModel::subscribeToApplicationLaunches() {
    m_appLaunchCancellable = m_platform.applications.subscribeApplicationLaunches(
        [this](const RunningApplication& application) { handleApplicationLaunch(application); });
}

void ProbeViewModel::handleApplicationLaunch(const RunningApplication& application) {
    requireMainThread("handleApplicationLaunch");
    if (!application.bundleIdentifier)
        return;
    const QString bundleIdentifier = *application.bundleIdentifier;
    if (!AppLaunchAutomationPolicy::placement(bundleIdentifier, selectedProfile()))
        return;
    if (auto running = m_launchTasks.find(bundleIdentifier); running != m_launchTasks.end())
        running->second.cancel();
    m_launchTasks[bundleIdentifier] = m_tasks.spawn(
        arrangeOnLaunchTask(QPointer<ProbeViewModel>(this), m_platform.clock, bundleIdentifier, application));
}

Task<void> ProbeViewModel::arrangeOnLaunchTask(QPointer<ProbeViewModel> self, Clock& clock,
                                               QString bundleIdentifier, RunningApplication application) {
    const TaskRef thisTask = co_await currentTask();
    // A task replaced by a newer launch must not remove the newer one's entry.
    const auto forgetThisTask = [&] {
        auto entry = self->m_launchTasks.find(bundleIdentifier);
        if (entry != self->m_launchTasks.end() && entry->second == thisTask)
            self->m_launchTasks.erase(entry);
    };

    for (int attempt = 0;;) {
        if (co_await taskIsCancelled() || !self)
            co_return;
        // The profile and the flag are read afresh on every attempt.
        const std::optional<AppPlacement> placement =
            AppLaunchAutomationPolicy::placement(bundleIdentifier, self->selectedProfile());
        if (!placement)
            co_return;
        Task<bool> arrangement = self->arrangeLaunchedApplication(application, *placement);
        const bool arranged = co_await std::move(arrangement);
        if (!self)
            co_return;
        if (arranged) {
            forgetThisTask();
            co_return;
        }
        Task<void> pause = pauseIgnoringCancellation(clock, launchRetryDelay(attempt));
        co_await std::move(pause);
        attempt += 1;
        if (attempt == launchRetryLimit) {
            if (!self || co_await taskIsCancelled())
                co_return; // switched off or replaced meanwhile: nothing to report
            forgetThisTask();
            self->setStatus(AppStatusKind::warning, QStringLiteral("ウィンドウを確認できませんでした"),
                            application.localizedName.value_or(bundleIdentifier));
            co_return;
        }
    }
}

Task<bool> ProbeViewModel::arrangeLaunchedApplication(RunningApplication application,
                                                      AppPlacement placement) {
    assignIsTrusted(m_service.isTrusted(false));
    if (!m_isTrusted)
        co_return false;
    const std::optional<ScreenRegion> region = geometry().regionForDisplay(placement.display);
    if (!region)
        co_return false;
    std::vector<WindowDescriptor> windows;
    try {
        windows = m_service.movableWindows(application);
    } catch (const std::exception&) {
        co_return false;
    }
    if (windows.empty())
        co_return false; // a freshly launched application often has no window yet
    const Rect area = ScreenGeometry::denormalize(placement.frame, region->visibleFrame);
    ArrangementResult result;
    bool failed = false;
    try {
        Task<ArrangementResult> arrangement = m_service.arrangeWindows(std::move(windows), area);
        result = co_await std::move(arrangement);
    } catch (const std::exception&) {
        failed = true;
    }
    if (failed || result.arrangedCount < 1)
        co_return false;
    QString detail = QStringLiteral("%1枚").arg(result.arrangedCount);
    if (region->usedFallback)
        detail += QStringLiteral("（保存先がないためメイン画面）");
    setStatus(AppStatusKind::success, placement.applicationName + QStringLiteral("を起動時に配置しました"),
              detail);
    co_return true;
}

} // namespace stellwick
