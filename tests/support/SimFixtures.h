#pragma once

#include "controller/ProbeViewModel.h"
#include "platform/sim/SimDesktop.h"
#include "support/TestFiles.h"

#include <memory>

namespace stellwick::test {

// The worked-example screen: 1440 × 900 with a 25-point menu bar, so its
// visible frame is (0, 25, 1440, 875) in the top-left-origin space.
void addPrimaryScreen(sim::SimDesktop& desktop, std::uint32_t number = 1,
                      const QString& uuid = QStringLiteral("37D8832A-2D66-02CA-B9F7-8F30A301B230"));

RunningApplication regularApp(std::int32_t pid, const QString& bundleIdentifier, const QString& name);

// A standard window of `pid` at a frame of the top-left-origin space.
sim::WindowId openWindow(sim::SimDesktop& desktop, std::int32_t pid, const Rect& frame,
                         const QString& title = QStringLiteral("Window"));

// The reference of the screen addPrimaryScreen adds.
DisplayReference primaryDisplay();

AppPlacement placementFor(const QString& bundleIdentifier, const QString& name, const NormalizedFrame& frame,
                          const DisplayReference& display = primaryDisplay(), bool arrangeOnLaunch = false);

// The application most controller tests register: "Editor", pid 100, on the
// left half of the primary screen.
inline const QString editorId = QStringLiteral("org.example.Editor");
inline const NormalizedFrame leftHalf{0, 0, 0.5, 1};
inline const Rect leftHalfArea{0, 25, 720, 875}; // below the 25-point menu bar
AppPlacement editorPlacement(bool arrangeOnLaunch = false,
                             const DisplayReference& display = primaryDisplay());
RunningApplication editorApp();

// A simulated desktop with one screen, a scratch settings folder and a
// controller built on them on demand.
class ControllerHarness {
public:
    ControllerHarness();
    ~ControllerHarness();

    sim::SimDesktop desktop;
    ScratchFolder folder;

    QString settingsPath() const { return folder.path(QStringLiteral("data/profiles.json")); }
    // Writes a settings file holding one selected profile "作業" with these placements.
    void seed(const QList<AppPlacement>& placements);
    // Editor runs with `windows` windows at (800, 300, 400, 300); the first is window 1.
    void runEditor(int windows = 1);
    // Builds the controller (again), reading the settings file.
    ProbeViewModel& start();
    ProbeViewModel& controller() { return *m_controller; }
    void stop() { m_controller.reset(); }

private:
    std::unique_ptr<ProbeViewModel> m_controller;
};

} // namespace stellwick::test

namespace stellwick {
// Sets controller state that no action produces, for the few tests that need it.
class ProbeViewModelTestAccess {
public:
    static void setState(ProbeViewModel& controller, const StellwickState& state) {
        controller.assignState(state);
    }
};
} // namespace stellwick
