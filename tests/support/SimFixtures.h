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

// A simulated desktop with one screen, a scratch settings folder and a
// controller built on them on demand.
class ControllerHarness {
public:
    ControllerHarness();
    ~ControllerHarness();

    sim::SimDesktop desktop;
    ScratchFolder folder;

    QString settingsPath() const { return folder.path(QStringLiteral("data/profiles.json")); }
    // Builds the controller (again), reading the settings file.
    ProbeViewModel& start();
    ProbeViewModel& controller() { return *m_controller; }
    void stop() { m_controller.reset(); }

private:
    std::unique_ptr<ProbeViewModel> m_controller;
};

} // namespace stellwick::test
