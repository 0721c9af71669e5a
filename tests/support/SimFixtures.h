#pragma once

#include "controller/ProbeViewModel.h"
#include "model/LayoutJson.h"
#include "platform/sim/SimDesktop.h"
#include "support/TestFiles.h"

#include <memory>

namespace stellwick::test {

// The worked-example screen: 1440 × 900 with a 25-point menu bar, so its
// visible frame is (0, 25, 1440, 875) in the top-left-origin space.
inline void addPrimaryScreen(sim::SimDesktop& desktop, std::uint32_t number = 1,
                             const QString& uuid = QStringLiteral("37D8832A-2D66-02CA-B9F7-8F30A301B230")) {
    desktop.addScreen(
        {Rect{0, 0, 1440, 900}, Rect{0, 0, 1440, 875}, QStringLiteral("Built-in Display"), number, uuid});
}

inline RunningApplication regularApp(std::int32_t pid, const QString& bundleIdentifier, const QString& name) {
    return RunningApplication{pid, bundleIdentifier, name, ActivationPolicy::regular, false};
}

// A standard window of `pid` at a frame of the top-left-origin space.
inline sim::WindowId openWindow(sim::SimDesktop& desktop, std::int32_t pid, const Rect& frame,
                                const QString& title = QStringLiteral("Window")) {
    sim::SimWindow window;
    window.pid = pid;
    window.frame = frame;
    window.title = title;
    return desktop.addWindow(window);
}

// The reference of the screen addPrimaryScreen adds.
inline DisplayReference primaryDisplay() {
    return DisplayReference{1, QStringLiteral("Built-in Display"),
                            QStringLiteral("37D8832A-2D66-02CA-B9F7-8F30A301B230")};
}

inline AppPlacement placementFor(const QString& bundleIdentifier, const QString& name,
                                 const NormalizedFrame& frame,
                                 const DisplayReference& display = primaryDisplay(),
                                 bool arrangeOnLaunch = false) {
    return AppPlacement{bundleIdentifier, name, display, frame, arrangeOnLaunch, std::nullopt};
}

// The application most controller tests register: "Editor", pid 100, on the
// left half of the primary screen.
inline const QString editorId = QStringLiteral("org.example.Editor");
inline const NormalizedFrame leftHalf{0, 0, 0.5, 1};
inline const Rect leftHalfArea{0, 25, 720, 875}; // below the 25-point menu bar
inline AppPlacement editorPlacement(bool arrangeOnLaunch = false,
                                    const DisplayReference& display = primaryDisplay()) {
    return placementFor(editorId, QStringLiteral("Editor"), leftHalf, display, arrangeOnLaunch);
}
inline RunningApplication editorApp() {
    return regularApp(100, editorId, QStringLiteral("Editor"));
}

// A simulated desktop with one screen, a scratch settings folder and a
// controller built on them on demand.
class ControllerHarness {
public:
    ControllerHarness() { addPrimaryScreen(desktop); }

    sim::SimDesktop desktop;
    ScratchFolder folder;

    QString settingsPath() const { return folder.path(QStringLiteral("data/profiles.json")); }
    // Writes a settings file holding one selected profile "作業" with these placements.
    void seed(const QList<AppPlacement>& placements) {
        StellwickState state = StellwickState::initialState(desktop.clock().now());
        state.profiles[0].name = QStringLiteral("作業");
        state.profiles[0].placements = placements;
        writeFile(settingsPath(), *encodeState(state));
    }
    // Editor runs with `windows` windows at (800, 300, 400, 300); the first is window 1.
    void runEditor(int windows = 1) {
        desktop.addApplication(editorApp());
        for (int i = 0; i < windows; ++i)
            openWindow(desktop, 100, Rect{800, 300, 400, 300});
    }
    // Builds the controller (again), reading the settings file.
    ProbeViewModel& start() {
        m_controller.reset();
        m_controller = std::make_unique<ProbeViewModel>(ProfileStore(settingsPath()), desktop.platform());
        return *m_controller;
    }
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
