#include "support/SimFixtures.h"

namespace stellwick::test {

void addPrimaryScreen(sim::SimDesktop& desktop, std::uint32_t number, const QString& uuid)
{
    desktop.addScreen({Rect{0, 0, 1440, 900}, Rect{0, 0, 1440, 875}, QStringLiteral("Built-in Display"), number,
                       uuid});
}

RunningApplication regularApp(std::int32_t pid, const QString& bundleIdentifier, const QString& name)
{
    return RunningApplication{pid, bundleIdentifier, name, ActivationPolicy::regular, false};
}

ControllerHarness::ControllerHarness() { addPrimaryScreen(desktop); }

ControllerHarness::~ControllerHarness() = default;

ProbeViewModel& ControllerHarness::start()
{
    m_controller.reset();
    m_controller = std::make_unique<ProbeViewModel>(ProfileStore(settingsPath()), desktop.platform());
    return *m_controller;
}

} // namespace stellwick::test
