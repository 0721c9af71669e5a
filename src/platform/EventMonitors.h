#pragma once

#include "model/Geometry.h"
#include "platform/Cancellable.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace stellwick {

enum class InputEventType { leftMouseDown = 1, keyDown = 10 };

struct InputEvent {
    InputEventType type = InputEventType::leftMouseDown;
    std::uint16_t keyCode = 0; // key-down only

    bool operator==(const InputEvent&) const = default;
};

namespace InputEventMask {
inline constexpr std::uint64_t leftMouseDown = std::uint64_t{1} << 1;
inline constexpr std::uint64_t keyDown = std::uint64_t{1} << 10;
} // namespace InputEventMask

namespace KeyCode {
inline constexpr std::uint16_t escape = 53;
} // namespace KeyCode

// Desktop-wide listening for the click-to-select run.
class EventMonitors {
public:
    virtual ~EventMonitors() = default;

    // Sees matching events sent to other applications, anywhere on the
    // desktop, without consuming them. Handlers run on the main thread.
    [[nodiscard]] virtual Cancellable addGlobalMonitor(std::uint64_t mask,
                                                       std::function<void(const InputEvent&)> handler) = 0;
    // Sees matching events sent to this application; returning none swallows
    // the event.
    [[nodiscard]] virtual Cancellable
    addLocalMonitor(std::uint64_t mask,
                    std::function<std::optional<InputEvent>(const InputEvent&)> handler) = 0;
    // The pointer position now, bottom-left-origin desktop space.
    virtual Point mouseLocation() const = 0;
};

} // namespace stellwick
