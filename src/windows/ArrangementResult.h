#pragma once

#include <cstdint>

namespace stellwick {

// The outcome of arranging one application's windows; the counts add up to
// the number of windows passed in.
struct ArrangementResult {
    std::int64_t arrangedCount = 0; // written and verified
    std::int64_t skippedCount = 0;  // failed for any reason

    bool operator==(const ArrangementResult&) const = default;
};

} // namespace stellwick
