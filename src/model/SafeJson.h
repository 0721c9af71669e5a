#pragma once

#include <QByteArray>
#include <nlohmann/json.hpp>
#include <optional>

namespace stellwick::safejson {

// Parses a JSON document whose root is an object. Refuses NUL bytes (the
// parser would stop at one and accept the prefix), nesting deeper than
// maxDepth (before parsing, so hostile input cannot exhaust the stack),
// invalid UTF-8, trailing garbage, and non-finite numbers such as 1e999.
std::optional<nlohmann::json> parseObject(const QByteArray& bytes);

// Pretty-printed with sorted keys, or nothing when a number anywhere is not
// finite (the library would quietly write such a number as null).
std::optional<QByteArray> dumpPretty(const nlohmann::json& value);

inline constexpr int maxDepth = 64;

} // namespace stellwick::safejson
