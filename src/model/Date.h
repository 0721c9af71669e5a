#pragma once

namespace stellwick {

// A point in time as seconds since 2001-01-01 00:00:00 UTC, the form the
// settings file stores. Compared exactly.
struct Date {
    static constexpr double unixOffset = 978307200.0; // 2001-01-01 in seconds since 1970

    double secondsSinceReferenceDate = 0;

    static Date fromUnixTime(double secondsSince1970) { return {secondsSince1970 - unixOffset}; }
    double unixTime() const { return secondsSinceReferenceDate + unixOffset; }

    bool operator==(const Date&) const = default;
};

} // namespace stellwick
