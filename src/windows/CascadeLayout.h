#pragma once

#include "model/Geometry.h"

#include <vector>

namespace stellwick {

// Several windows of one application in one area: all the same size, offset
// diagonally so that the first starts at the area's top-left corner and the
// last ends at its bottom-right corner.
namespace CascadeLayout {

inline constexpr double cascadeStep = 36.0;           // largest offset between neighbours
inline constexpr double cascadeMaximumOffset = 180.0; // largest offset of the last from the first

// One frame per window, never offset by more than `step` between neighbours,
// `maximumOffset` overall, or the area's shorter side less one point.
std::vector<Rect> frames(int count, const Rect& area, double step, double maximumOffset);

} // namespace CascadeLayout
} // namespace stellwick
