#pragma once

#include "model/Geometry.h"
#include "platform/Cancellable.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace stellwick {

// One screen as the platform describes it. Frames are in the platform's
// bottom-left-origin desktop space (y grows upwards), in which the primary
// screen's frame starts at (0, 0); the geometry code flips them into the
// top-left-origin space that windows use.
struct PlatformScreen {
    Rect frame;
    Rect visibleFrame; // without panels and docks
    QString localizedName;
    std::optional<std::uint32_t> displayNumber; // none when the platform gives no number
    std::optional<QString> displayUUID;         // upper-case, hyphenated; none when unknown

    bool operator==(const PlatformScreen&) const = default;
};

class Screens {
public:
    virtual ~Screens() = default;

    // Ordered, primary screen first. Never cached: each call asks again.
    virtual std::vector<PlatformScreen> screens() const = 0;
    // The screen holding the active window; none when there is no screen.
    virtual std::optional<PlatformScreen> mainScreen() const = 0;
    // Called on the main thread whenever the screen configuration may have
    // changed, undebounced.
    [[nodiscard]] virtual Cancellable subscribeScreenParameterChanges(std::function<void()> handler) = 0;
};

} // namespace stellwick
