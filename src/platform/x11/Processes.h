#pragma once

#include <cstdint>
#include <optional>

namespace stellwick::x11 {

// Whether a process with that identifier exists (also one of another user).
bool processExists(std::int32_t pid);

// When the process started, in clock ticks since boot; for ordering only.
std::optional<std::uint64_t> processStartTime(std::int32_t pid);

} // namespace stellwick::x11
