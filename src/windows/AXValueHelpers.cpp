#include "windows/AXValueHelpers.h"

#include <cmath>

namespace stellwick::AXValueHelpers {

std::optional<Point> pointFromValue(const AXValue& value) {
    if (const auto* boxed = std::get_if<AXPointValue>(&value))
        return boxed->point;
    return std::nullopt;
}

std::optional<Size> sizeFromValue(const AXValue& value) {
    if (const auto* boxed = std::get_if<AXSizeValue>(&value))
        return boxed->size;
    return std::nullopt;
}

std::optional<AXValue> valueFromPoint(Point point) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y))
        return std::nullopt;
    return AXValue{AXPointValue{point}};
}

std::optional<AXValue> valueFromSize(Size size) {
    if (!std::isfinite(size.width) || !std::isfinite(size.height))
        return std::nullopt;
    return AXValue{AXSizeValue{size}};
}

} // namespace stellwick::AXValueHelpers
