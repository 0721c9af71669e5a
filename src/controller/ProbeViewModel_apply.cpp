// Applying the selected profile: every registered application that runs gets
// its windows moved into its area, one placement after the other, under the
// gate that lets one whole-profile apply run at a time.

#include "controller/ProbeViewModel.h"
#include "model/Uuid.h"
#include "windows/WindowServiceError.h"

namespace stellwick {
namespace {

// Releases the gate on every way out of an apply, also when the task is destroyed.
class GateRelease {
public:
    explicit GateRelease(AutomationGate& gate)
        : m_gate(gate) {}
    ~GateRelease() { m_gate.end(); }
    GateRelease(const GateRelease&) = delete;
    GateRelease& operator=(const GateRelease&) = delete;

private:
    AutomationGate& m_gate;
};

QString restoredTitle(const QString& profileName) {
    return QStringLiteral("「%1」を復元しました").arg(profileName);
}

QString countsDetail(std::int64_t arranged, std::int64_t skipped) {
    return QStringLiteral("%1個を配置・%2個をスキップ").arg(arranged).arg(skipped);
}

QString summarySentence(const std::optional<QString>& reason, std::int64_t arranged, std::int64_t skipped,
                        std::int64_t fallbackCount) {
    QString sentence = reason ? *reason + QStringLiteral(": ") : QString();
    if (skipped > 0)
        sentence += QStringLiteral("%1枚を復元し、%2件をスキップしました。").arg(arranged).arg(skipped);
    else
        sentence += QStringLiteral("%1枚のウィンドウを復元しました。").arg(arranged);
    if (fallbackCount >= 1)
        sentence += QStringLiteral(" 保存先がない%1件はメイン画面へ配置しました。").arg(fallbackCount);
    return sentence;
}

} // namespace

void ProbeViewModel::applySelectedProfile() {
    requireMainThread("applySelectedProfile");
    m_tasks.spawn(manualApplyTask(QPointer<ProbeViewModel>(this)));
}

Task<void> ProbeViewModel::manualApplyTask(QPointer<ProbeViewModel> self) {
    if (!self)
        co_return;
    // Named first: GCC 12 mishandles temporaries inside a co_await expression.
    Task<std::int64_t> apply = self->restoreSelectedProfile(std::nullopt);
    co_await std::move(apply);
}

Task<std::int64_t> ProbeViewModel::restoreSelectedProfile(std::optional<QString> reason) {
    if (!m_automationGate.tryBegin())
        co_return 0;
    const GateRelease release(m_automationGate);

    assignIsTrusted(m_service.isTrusted(false));
    if (!m_isTrusted) {
        setStatus(AppStatusKind::warning, QStringLiteral("アクセシビリティ権限が必要です"));
        co_return 0;
    }
    // The run keeps this copy: edits made while it waits do not affect it.
    const std::optional<LayoutProfile> profile = m_state.selectedProfile();
    if (!profile) {
        setStatus(AppStatusKind::error, QStringLiteral("適用するプロファイルがありません"));
        co_return 0;
    }

    std::int64_t arranged = 0;
    std::int64_t skipped = 0;
    std::int64_t fallbackCount = 0;
    for (const AppPlacement& placement : profile->placements) {
        std::optional<RunningApplication> application;
        for (const RunningApplication& candidate :
             m_platform.applications.runningApplications(placement.bundleIdentifier)) {
            if (!candidate.isTerminated) {
                application = candidate;
                break;
            }
        }
        if (!application) {
            skipped += 1;
            continue;
        }

        std::vector<WindowDescriptor> windows;
        try {
            windows = m_service.movableWindows(*application);
        } catch (const WindowServiceError&) {
            skipped += 1;
            continue;
        }

        const std::optional<ScreenRegion> region = geometry().regionForDisplay(placement.display);
        if (!region) {
            skipped += static_cast<std::int64_t>(windows.size());
            continue;
        }
        if (region->usedFallback)
            fallbackCount += 1;

        const Rect area = ScreenGeometry::denormalize(placement.frame, region->visibleFrame);
        bool arrangementFailed = false;
        try {
            Task<ArrangementResult> arrangement = m_service.arrangeWindows(std::move(windows), area);
            const ArrangementResult result = co_await std::move(arrangement);
            arranged += result.arrangedCount;
            skipped += result.skippedCount;
        } catch (const std::exception&) {
            arrangementFailed = true; // e.g. no movable windows at all
        }
        if (arrangementFailed)
            skipped += 1;
    }

    const RestoreResult result{QUuid::createUuid(), profile->name, arranged, skipped};
    m_restoreSummary = summarySentence(reason, arranged, skipped, fallbackCount);
    emit restoreSummaryChanged();
    const AppStatusKind kind =
        skipped == 0 && fallbackCount == 0 ? AppStatusKind::success : AppStatusKind::warning;
    setStatus(kind, restoredTitle(result.profileName), countsDetail(arranged, skipped));
    postRestoreNotification(result);
    co_return arranged;
}

void ProbeViewModel::postRestoreNotification(const RestoreResult& result) {
    // The completions may come late and must not touch the controller: they
    // carry their own copies and the notification service, which outlives it.
    UserNotifications& notifications = m_platform.notifications;
    const QString identifier = canonicalUuidString(result.id);
    const QString title = restoredTitle(result.profileName);
    const QString body = countsDetail(result.arrangedWindowCount, result.skippedCount);
    const auto post = [&notifications, identifier, title, body] {
        notifications.post(identifier, title, body);
    };

    notifications.authorizationStatus([&notifications, post](NotificationAuthorization status) {
        switch (status) {
        case NotificationAuthorization::authorized:
        case NotificationAuthorization::provisional:
            post();
            break;
        case NotificationAuthorization::notDetermined:
            notifications.requestAuthorization([post](bool granted) {
                if (granted)
                    post();
            });
            break;
        case NotificationAuthorization::denied:
        case NotificationAuthorization::ephemeral:
            break;
        }
    });
}

} // namespace stellwick
