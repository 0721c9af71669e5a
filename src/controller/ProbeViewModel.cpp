#include "controller/ProbeViewModel.h"

#include <QCoreApplication>
#include <QThread>

namespace stellwick {

ProbeViewModel::ProbeViewModel(ProfileStore store, Platform platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
    , m_service(platform)
    , m_store(std::move(store))
    , m_loginItemManager(platform.loginItems)
    , m_defaults(platform.defaults)
    , m_selectionMonitor(platform.eventMonitors, platform.clock)
    , m_tasks(platform.clock) {
    requireMainThread("ProbeViewModel");
    assignSelectionPhase(m_selectionSession.phase());

    const LoadResult loaded = m_store.load(now());
    assignState(loaded.state);
    m_canPersist = loaded.canSave;

    assignIsLoginItemEnabled(m_loginItemManager.isEnabled());
    assignApplyAfterLoginEnabled(m_defaults.boolValue(DefaultsKey::applyAfterLogin).value_or(true));
    assignApplyOnDisplayChangeEnabled(m_defaults.boolValue(DefaultsKey::applyOnDisplayChange).value_or(true));
    assignIsTrusted(m_service.isTrusted(false));

    if (loaded.warning) {
        setStatus(AppStatusKind::error, QStringLiteral("設定ファイルを読み込めません"), loaded.warning);
    } else if (m_isTrusted) {
        setStatus(AppStatusKind::information, QStringLiteral("準備完了"),
                  QStringLiteral("プロファイルを選択して配置を復元できます。"));
    } else {
        setStatus(AppStatusKind::warning, QStringLiteral("アクセシビリティ権限が必要です"),
                  QStringLiteral("保存と復元を利用するには権限を許可してください。"));
    }

    scheduleLoginApply();
    subscribeToDisplayChanges();
    subscribeToApplicationLaunches();
}

ProbeViewModel::~ProbeViewModel() = default;

std::optional<QImage> ProbeViewModel::appIcon(const QString& bundleIdentifier) const {
    return m_platform.applications.applicationIcon(bundleIdentifier);
}

std::optional<NormalizedFrame> ProbeViewModel::previewFrame(const WindowSelectionCandidate& candidate) const {
    const std::optional<ScreenRegion> region = geometry().regionContaining(candidate.frame);
    if (!region)
        return std::nullopt;
    return ScreenGeometry::normalize(candidate.frame, region->visibleFrame);
}

void ProbeViewModel::setStatus(AppStatusKind kind, const QString& title,
                               const std::optional<QString>& detail) {
    const AppStatus status{kind, title, detail, now()};
    assignStatus(status);
    assignStatusMessage(status.oneLine());
}

bool ProbeViewModel::persist(const std::optional<QString>& message) {
    if (!m_canPersist) {
        setStatus(
            AppStatusKind::error, QStringLiteral("設定を保存できません"),
            QStringLiteral("設定ファイルに問題があります。元ファイルを退避してから再起動してください。"));
        return false;
    }
    if (const std::optional<QString> error = m_store.save(m_state)) {
        setStatus(AppStatusKind::error, QStringLiteral("設定を保存できませんでした"), *error);
        return false;
    }
    if (message)
        setStatus(AppStatusKind::success, *message);
    return true;
}

void ProbeViewModel::cancelAllLaunchTasks() {
    for (auto& [bundleIdentifier, task] : m_launchTasks)
        task.cancel();
    m_launchTasks.clear();
}

void ProbeViewModel::requireMainThread(const char* operation) {
    const QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        qFatal("%s called off the main thread", operation);
}

void ProbeViewModel::assignStatusMessage(const QString& value) {
    m_statusMessage = value;
    emit statusMessageChanged();
}

void ProbeViewModel::assignIsTrusted(bool value) {
    m_isTrusted = value;
    emit isTrustedChanged();
}

void ProbeViewModel::assignState(const StellwickState& value) {
    m_state = value;
    emit stateChanged();
}

void ProbeViewModel::assignIsLoginItemEnabled(bool value) {
    m_isLoginItemEnabled = value;
    emit isLoginItemEnabledChanged();
}

void ProbeViewModel::assignApplyAfterLoginEnabled(bool value) {
    m_applyAfterLoginEnabled = value;
    emit applyAfterLoginEnabledChanged();
}

void ProbeViewModel::assignApplyOnDisplayChangeEnabled(bool value) {
    m_applyOnDisplayChangeEnabled = value;
    emit applyOnDisplayChangeEnabledChanged();
}

void ProbeViewModel::assignSelectionPhase(const WindowSelectionPhase& value) {
    m_selectionPhase = value;
    emit selectionPhaseChanged();
}

void ProbeViewModel::assignStatus(const AppStatus& value) {
    m_status = value;
    emit statusChanged();
}

} // namespace stellwick
