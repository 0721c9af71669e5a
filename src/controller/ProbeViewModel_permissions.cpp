// The accessibility permission, the login item and the two automation switches.

#include "controller/ProbeViewModel.h"
#include "platform/PlatformError.h"

namespace stellwick {

void ProbeViewModel::requestAccessibilityPermission() {
    requireMainThread("requestAccessibilityPermission");
    assignIsTrusted(m_service.isTrusted(true));
    if (m_isTrusted) {
        setStatus(AppStatusKind::success, QStringLiteral("アクセシビリティ権限を確認しました"),
                  QStringLiteral("ウィンドウの保存と復元を利用できます。"));
    } else {
        setStatus(AppStatusKind::warning, QStringLiteral("アクセシビリティ権限が必要です"),
                  QStringLiteral("システム設定でStellwickを許可してください。"));
    }
}

void ProbeViewModel::refreshPermissionStatus() {
    requireMainThread("refreshPermissionStatus");
    assignIsTrusted(m_service.isTrusted(false));
    if (m_isTrusted)
        setStatus(AppStatusKind::success, QStringLiteral("アクセシビリティ権限は許可されています"));
    else
        setStatus(AppStatusKind::warning, QStringLiteral("アクセシビリティ権限が必要です"));
}

void ProbeViewModel::openAccessibilitySettings() {
    requireMainThread("openAccessibilitySettings");
    const std::optional<QUrl> url = m_platform.settingsLink.accessibilitySettingsURL();
    if (!url)
        return;
    m_platform.settingsLink.open(*url); // not reported either way
    setStatus(AppStatusKind::information, QStringLiteral("システム設定を開きました"),
              QStringLiteral("アクセシビリティでStellwickを許可してください。"));
}

void ProbeViewModel::setLoginItemEnabled(bool enabled) {
    requireMainThread("setLoginItemEnabled");
    std::optional<QString> failure;
    try {
        m_loginItemManager.setEnabled(enabled);
    } catch (const PlatformError& error) {
        failure = error.localizedDescription();
    }
    // The switch shows the registration in force, not the request.
    assignIsLoginItemEnabled(m_loginItemManager.isEnabled());
    if (failure) {
        setStatus(AppStatusKind::error, QStringLiteral("ログイン項目を変更できませんでした"), failure);
        return;
    }
    setStatus(AppStatusKind::success, m_isLoginItemEnabled
                                          ? QStringLiteral("ログイン時の起動を有効にしました")
                                          : QStringLiteral("ログイン時の起動を無効にしました"));
}

void ProbeViewModel::setApplyAfterLoginEnabled(bool enabled) {
    requireMainThread("setApplyAfterLoginEnabled");
    assignApplyAfterLoginEnabled(enabled);
    m_defaults.setBool(DefaultsKey::applyAfterLogin, enabled);
    setStatus(AppStatusKind::success, enabled ? QStringLiteral("ログイン後の自動適用を有効にしました")
                                              : QStringLiteral("ログイン後の自動適用を無効にしました"));
}

void ProbeViewModel::setApplyOnDisplayChangeEnabled(bool enabled) {
    requireMainThread("setApplyOnDisplayChangeEnabled");
    assignApplyOnDisplayChangeEnabled(enabled);
    m_defaults.setBool(DefaultsKey::applyOnDisplayChange, enabled);
    setStatus(AppStatusKind::success, enabled
                                          ? QStringLiteral("ディスプレイ変更時の自動適用を有効にしました")
                                          : QStringLiteral("ディスプレイ変更時の自動適用を無効にしました"));
}

} // namespace stellwick
