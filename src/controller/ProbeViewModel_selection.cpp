// Registering an application by clicking one of its windows.

#include "controller/ProbeViewModel.h"
#include "model/PlatformText.h"
#include "windows/WindowServiceError.h"

namespace stellwick {

namespace {

std::optional<QString> cleaned(const std::optional<QString>& text) {
    return text ? std::optional(cleanedPlatformText(*text)) : std::nullopt;
}

WindowSelectionCandidate cleanedCandidate(WindowSelectionCandidate candidate) {
    candidate.bundleIdentifier = cleanedPlatformText(candidate.bundleIdentifier);
    candidate.applicationName = cleanedPlatformText(candidate.applicationName);
    candidate.windowTitle = cleanedPlatformText(candidate.windowTitle);
    candidate.display.name = cleaned(candidate.display.name);
    candidate.display.uuid = cleaned(candidate.display.uuid);
    return candidate;
}

} // namespace

void ProbeViewModel::beginWindowSelection() {
    requireMainThread("beginWindowSelection");
    assignIsTrusted(m_service.isTrusted(true));
    if (!m_isTrusted) {
        // The monitor runs only while selecting: a run begun earlier ends here.
        m_selectionMonitor.stop();
        m_selectionSession.fail(QStringLiteral("ウィンドウの取得と移動にはアクセシビリティ権限が必要です。"));
        publishSelectionPhase();
        setStatus(AppStatusKind::warning, QStringLiteral("アクセシビリティ権限がありません"),
                  QStringLiteral("システム設定でStellwickを許可してください。"));
        return;
    }
    m_selectionSession.begin();
    publishSelectionPhase();
    setStatus(AppStatusKind::information, QStringLiteral("ウィンドウを選択中"),
              QStringLiteral("保存したいウィンドウをクリックしてください。"));
    const QPointer<ProbeViewModel> self(this);
    m_selectionMonitor.start(
        [self](Point location) {
            if (self)
                self->handleSelectionClick(location);
        },
        [self] {
            if (self)
                self->cancelWindowSelection();
        });
}

void ProbeViewModel::cancelWindowSelection() {
    requireMainThread("cancelWindowSelection");
    if (m_selectionPhase.isIdle())
        return;
    m_selectionMonitor.stop();
    m_selectionSession.reset();
    publishSelectionPhase();
    setStatus(AppStatusKind::information, QStringLiteral("ウィンドウ選択をキャンセルしました"));
}

void ProbeViewModel::handleSelectionClick(Point location) {
    requireMainThread("handleSelectionClick");
    m_selectionMonitor.stop();
    try {
        const ScreenGeometry screens = geometry();
        const AccessibilityWindowService::WindowAtPoint hit =
            m_service.windowAtPoint(screens.accessibilityPoint(location));
        if (!hit.application.bundleIdentifier)
            throw WindowServiceError::noMovableWindows();
        const std::optional<ScreenRegion> region = screens.regionContaining(hit.window.frame);
        if (!region)
            throw WindowServiceError::noMovableWindows();

        const WindowSelectionCandidate candidate =
            cleanedCandidate({*hit.application.bundleIdentifier,
                              hit.application.localizedName.value_or(*hit.application.bundleIdentifier),
                              hit.window.title, hit.window.frame, region->reference});
        m_selectionSession.select(candidate);
        publishSelectionPhase();
        setStatus(AppStatusKind::success, QStringLiteral("ウィンドウを選択しました"),
                  candidate.applicationName + QStringLiteral(" — ") + candidate.windowTitle);
    } catch (const WindowServiceError& error) {
        m_selectionSession.fail(error.localizedDescription());
        publishSelectionPhase();
        setStatus(AppStatusKind::error, QStringLiteral("ウィンドウ情報を取得できませんでした"),
                  error.localizedDescription());
    }
    // Either way the confirmation or failure must be seen.
    m_platform.applications.activateCurrentApplication();
}

void ProbeViewModel::saveSelectedWindow() {
    requireMainThread("saveSelectedWindow");
    // Its texts were cleaned when the click made it (handleSelectionClick).
    const std::optional<WindowSelectionCandidate> candidate = m_selectionPhase.candidate();
    if (!candidate)
        return;
    if (!m_canPersist) {
        setStatus(AppStatusKind::error, QStringLiteral("設定を保存できません"),
                  QStringLiteral("設定ファイルに問題があります。"));
        return;
    }
    const std::optional<ScreenRegion> region = geometry().regionContaining(candidate->frame);
    if (!region) {
        setStatus(AppStatusKind::error, QStringLiteral("対象ディスプレイを取得できませんでした"));
        return;
    }

    // Registering a window again keeps the user's arrange-on-launch choice.
    bool arrangeOnLaunch = false;
    if (const std::optional<LayoutProfile> profile = m_state.selectedProfile()) {
        for (const AppPlacement& existing : profile->placements) {
            if (existing.bundleIdentifier == candidate->bundleIdentifier) {
                arrangeOnLaunch = existing.arrangeOnLaunch;
                break;
            }
        }
    }
    const AppPlacement placement{candidate->bundleIdentifier,
                                 candidate->applicationName,
                                 candidate->display,
                                 ScreenGeometry::normalize(candidate->frame, region->visibleFrame),
                                 arrangeOnLaunch,
                                 candidate->windowTitle};
    StellwickState state = m_state;
    state.upsertPlacement(placement, now());
    assignState(state);
    m_selectionSession.reset();
    publishSelectionPhase();

    const std::optional<LayoutProfile> profile = m_state.selectedProfile();
    const QString profileName = profile ? profile->name : QStringLiteral("プロファイル");
    const QString app = candidate->applicationName;
    if (persist(app + QStringLiteral("の配置を「") + profileName + QStringLiteral("」に保存しました。"))) {
        setStatus(AppStatusKind::success, QStringLiteral("配置を保存しました"),
                  app + QStringLiteral("を「") + profileName + QStringLiteral("」に追加しました。"));
    }
}

} // namespace stellwick
