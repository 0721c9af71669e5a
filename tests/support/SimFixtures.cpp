#include "support/SimFixtures.h"

#include "model/LayoutJson.h"

namespace stellwick::test {

void addPrimaryScreen(sim::SimDesktop& desktop, std::uint32_t number, const QString& uuid) {
    desktop.addScreen(
        {Rect{0, 0, 1440, 900}, Rect{0, 0, 1440, 875}, QStringLiteral("Built-in Display"), number, uuid});
}

RunningApplication regularApp(std::int32_t pid, const QString& bundleIdentifier, const QString& name) {
    return RunningApplication{pid, bundleIdentifier, name, ActivationPolicy::regular, false};
}

sim::WindowId openWindow(sim::SimDesktop& desktop, std::int32_t pid, const Rect& frame,
                         const QString& title) {
    sim::SimWindow window;
    window.pid = pid;
    window.frame = frame;
    window.title = title;
    return desktop.addWindow(window);
}

DisplayReference primaryDisplay() {
    return DisplayReference{1, QStringLiteral("Built-in Display"),
                            QStringLiteral("37D8832A-2D66-02CA-B9F7-8F30A301B230")};
}

AppPlacement placementFor(const QString& bundleIdentifier, const QString& name, const NormalizedFrame& frame,
                          const DisplayReference& display, bool arrangeOnLaunch) {
    return AppPlacement{bundleIdentifier, name, display, frame, arrangeOnLaunch, std::nullopt};
}

AppPlacement editorPlacement(bool arrangeOnLaunch, const DisplayReference& display) {
    return placementFor(editorId, QStringLiteral("Editor"), leftHalf, display, arrangeOnLaunch);
}

RunningApplication editorApp() {
    return regularApp(100, editorId, QStringLiteral("Editor"));
}

void ControllerHarness::runEditor(int windows) {
    desktop.addApplication(editorApp());
    for (int i = 0; i < windows; ++i)
        openWindow(desktop, 100, Rect{800, 300, 400, 300});
}

void ControllerHarness::seed(const QList<AppPlacement>& placements) {
    StellwickState state = StellwickState::initialState(desktop.clock().now());
    state.profiles[0].name = QStringLiteral("作業");
    state.profiles[0].placements = placements;
    writeFile(settingsPath(), *encodeState(state));
}

ControllerHarness::ControllerHarness() {
    addPrimaryScreen(desktop);
}

ControllerHarness::~ControllerHarness() = default;

ProbeViewModel& ControllerHarness::start() {
    m_controller.reset();
    m_controller = std::make_unique<ProbeViewModel>(ProfileStore(settingsPath()), desktop.platform());
    return *m_controller;
}

} // namespace stellwick::test
