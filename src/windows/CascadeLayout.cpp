#include "windows/CascadeLayout.h"

#include <algorithm>

namespace stellwick::CascadeLayout {
namespace {

constexpr double minimumSide = 1.0;

} // namespace

std::vector<Rect> frames(int count, const Rect& area, double step, double maximumOffset) {
    if (count <= 0)
        return {};
    if (count == 1)
        return {area};
    const Rect a = area.standardized();
    const double spaces = count - 1;
    const double limit = std::clamp(std::min(a.width, a.height) - 1.0, 0.0, std::max(maximumOffset, 0.0));
    const double offset = std::min(limit / spaces, step);
    const double total = offset * spaces;
    const double width = std::max(a.width - total, minimumSide);
    const double height = std::max(a.height - total, minimumSide);
    std::vector<Rect> result;
    result.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        result.push_back({a.x + offset * i, a.y + offset * i, width, height});
    return result;
}

} // namespace stellwick::CascadeLayout
