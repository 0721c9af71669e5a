#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

namespace stellwick {

class ProbeViewModel;

// The parts of the settings window that sit in slots of `ContentView`. Each
// observes the controller and calls its actions; none changes the state itself.
// Every returned object is a child of `parent` (or `window`).

// The list region of the applications section: the header and one row per
// registered application, or the empty state.
QWidget* createRegisteredAppsPane(ProbeViewModel& model, QWidget* parent);

// The bar under the applications header while a click-to-select run is active;
// hides itself while the run is idle.
QWidget* createSelectionStatusBar(ProbeViewModel& model, QWidget* parent);

// The "自動適用" and "権限" sections.
QWidget* createAutomationPane(ProbeViewModel& model, QWidget* parent);
QWidget* createPermissionPane(ProbeViewModel& model, QWidget* parent);

// The banner shown while access is not granted; `showPermission` switches the
// window to the "権限" section. `ContentView` decides when it is visible.
QWidget* createPermissionBanner(ProbeViewModel& model, std::function<void()> showPermission, QWidget* parent);

// Presents the confirmation and failure sheets as window-modal dialogs of
// `window` as the selection phase changes; dismissing a sheet by any other
// means than the controller cancels the run.
QObject* createSelectionSheets(ProbeViewModel& model, QWidget* window);

} // namespace stellwick
