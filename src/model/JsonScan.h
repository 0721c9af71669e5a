#pragma once

#include <cstdint>
#include <cstring>

namespace stellwick::json {

// The first byte in [p, end) that ends a plain run inside a JSON string: a
// quote, a backslash or a control character. Eight bytes at a time where none
// of them can be one (the word test may flag a block falsely, never miss one).
inline const char* findStringSpecial(const char* p, const char* end) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    while (end - p >= 8) {
        std::uint64_t block;
        std::memcpy(&block, p, 8);
        const std::uint64_t quote = block ^ (ones * '"');
        const std::uint64_t backslash = block ^ (ones * '\\');
        const std::uint64_t special =
            ((block - ones * 0x20) & ~block) | ((quote - ones) & ~quote) | ((backslash - ones) & ~backslash);
        if ((special & highs) != 0)
            break;
        p += 8;
    }
    while (p < end) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == '"' || c == '\\')
            return p;
        ++p;
    }
    return end;
}

} // namespace stellwick::json
