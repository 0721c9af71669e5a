#pragma once

#include "platform/Accessibility.h"
#include "platform/Clock.h"
#include "platform/sim/SimWorld.h"

namespace stellwick::sim {

// An element of the simulated desktop.
struct SimElement final : AXElementData {
    enum class Kind { systemWide, application, window, child, desktop };
    Kind kind = Kind::window;
    std::int32_t pid = 0;
    WindowId window = 0;
    int depth = 0; // child elements: levels below their window
};

class SimAccessibility final : public Accessibility {
public:
    SimAccessibility(SimWorld& world, Clock& clock);

    bool isProcessTrusted(bool prompt) override;
    AXElement applicationElement(std::int32_t pid) override;
    AXElement systemWideElement() override;
    AXError setMessagingTimeout(const AXElement& element, float seconds) override;
    AXCopyResult copyAttributeValue(const AXElement& element, const QString& attribute) override;
    AXError setAttributeValue(const AXElement& element, const QString& attribute,
                              const AXValue& value) override;
    AXSettableResult isAttributeSettable(const AXElement& element, const QString& attribute) override;
    AXElementResult elementAtPosition(const AXElement& systemWide, float x, float y) override;
    AXPidResult pid(const AXElement& element) override;
    std::optional<Size> sizeIncrements(const AXElement& window) override;
    Cancellable whenWriteSettled(const AXElement& window, std::function<void()> settled) override;

    // The element of a window, as the application's window list hands it out.
    AXElement windowElement(WindowId id) const;

private:
    AXCopyResult copyApplicationAttribute(const SimElement& element, const QString& attribute);
    AXCopyResult copyWindowAttribute(const SimWindow& window, const QString& attribute);
    AXCopyResult copyChildAttribute(const SimElement& element, const QString& attribute);

    SimWorld& m_world;
    Clock& m_clock;
};

} // namespace stellwick::sim
