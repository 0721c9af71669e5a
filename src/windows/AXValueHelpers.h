#pragma once

#include "model/Geometry.h"
#include "platform/Accessibility.h"

#include <optional>

namespace stellwick {

// Boxing and unboxing of the point and size values that the position and size
// attributes carry.
namespace AXValueHelpers {

// None for an absent value or one of another kind.
std::optional<Point> pointFromValue(const AXValue& value);
std::optional<Size> sizeFromValue(const AXValue& value);

// None for non-finite coordinates: a NaN or infinite frame is never sent to
// the window manager.
std::optional<AXValue> valueFromPoint(Point point);
std::optional<AXValue> valueFromSize(Size size);

} // namespace AXValueHelpers
} // namespace stellwick
