#include "ui/SettingsPanes.h"

#include "ui/AutomationSettingsView.h"
#include "ui/PermissionBanner.h"
#include "ui/PermissionSettingsView.h"
#include "ui/RegisteredAppsPane.h"
#include "ui/SelectionSheetPresenter.h"
#include "ui/SelectionStatusBar.h"

namespace stellwick {

QWidget* createRegisteredAppsPane(ProbeViewModel& model, QWidget* parent) {
    return new RegisteredAppsPane(model, parent);
}

QWidget* createSelectionStatusBar(ProbeViewModel& model, QWidget* parent) {
    return new SelectionStatusBar(model, parent);
}

QWidget* createAutomationPane(ProbeViewModel& model, QWidget* parent) {
    return new AutomationSettingsView(model, parent);
}

QWidget* createPermissionPane(ProbeViewModel& model, QWidget* parent) {
    return new PermissionSettingsView(model, parent);
}

QWidget* createPermissionBanner(ProbeViewModel&, std::function<void()> showPermission, QWidget* parent) {
    return new PermissionBanner(std::move(showPermission), parent);
}

QObject* createSelectionSheets(ProbeViewModel& model, QWidget* window) {
    return new SelectionSheetPresenter(model, window);
}

} // namespace stellwick
