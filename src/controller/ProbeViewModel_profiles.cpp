// Profile and placement editing: every change of the layout goes through
// these actions, is written through persist and reported through setStatus.

#include "controller/ProbeViewModel.h"

namespace stellwick {

void ProbeViewModel::selectProfile(const QUuid& id) {
    requireMainThread("selectProfile");
    const bool known = std::any_of(m_state.profiles.begin(), m_state.profiles.end(),
                                   [&](const LayoutProfile& p) { return p.id == id; });
    if (!known)
        return;
    StellwickState state = m_state;
    state.selectedProfileID = id;
    assignState(state);
    cancelAllLaunchTasks();
    persist();
}

void ProbeViewModel::createProfile(const QString& name) {
    requireMainThread("createProfile");
    StellwickState state = m_state;
    const LayoutProfile profile = state.createProfile(name, now());
    assignState(state);
    persist(profile.name + QStringLiteral("を作成しました。"));
}

void ProbeViewModel::renameProfile(const QUuid& id, const QString& name) {
    requireMainThread("renameProfile");
    StellwickState state = m_state;
    state.renameProfile(id, name, now());
    assignState(state);
    persist(QStringLiteral("プロファイル名を変更しました。"));
}

void ProbeViewModel::deleteProfile(const QUuid& id) {
    requireMainThread("deleteProfile");
    // Also refuses an id that every profile carries (possible only in a
    // hand-edited file): deleting it would leave no profile at all.
    if (!m_state.canDeleteProfile(id)) {
        persist(QStringLiteral("最後のプロファイルは削除できません。"));
        return;
    }
    StellwickState state = m_state;
    state.deleteProfile(id);
    assignState(state);
    cancelAllLaunchTasks();
    persist(QStringLiteral("プロファイルを削除しました。"));
}

void ProbeViewModel::removeApplication(const QString& bundleIdentifier) {
    requireMainThread("removeApplication");
    cancelLaunchTask(bundleIdentifier);
    StellwickState state = m_state;
    state.removePlacement(bundleIdentifier, now());
    assignState(state);
    persist(QStringLiteral("対象アプリを削除しました。"));
}

void ProbeViewModel::setArrangeOnLaunch(bool enabled, const QString& bundleIdentifier) {
    requireMainThread("setArrangeOnLaunch");
    if (!enabled)
        cancelLaunchTask(bundleIdentifier);
    StellwickState state = m_state;
    state.setArrangeOnLaunch(enabled, bundleIdentifier, now());
    assignState(state);
    persist();
}

void ProbeViewModel::updatePlacementArea(const QString& bundleIdentifier, const NormalizedFrame& frame) {
    requireMainThread("updatePlacementArea");
    // Clamping keeps NaN, and a stored NaN or infinity would make every later save fail.
    if (!frame.isFinite()) {
        setStatus(AppStatusKind::error, QStringLiteral("配置領域を更新できませんでした"),
                  QStringLiteral("位置と大きさに無効な数値が含まれています。"));
        return;
    }
    StellwickState state = m_state;
    state.updatePlacementFrame(bundleIdentifier, frame.clamped(), now());
    assignState(state);
    persist(QStringLiteral("配置領域を更新しました。"));
}

void ProbeViewModel::cancelLaunchTask(const QString& bundleIdentifier) {
    if (auto it = m_launchTasks.find(bundleIdentifier); it != m_launchTasks.end()) {
        it->second.cancel();
        m_launchTasks.erase(it);
    }
}

} // namespace stellwick
