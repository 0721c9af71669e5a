#pragma once

// The general-purpose JSON library as a reference for the settings file's own
// reader and writer: both must agree with it on every input.

#include "model/JsonReader.h"

#include <QByteArray>
#include <nlohmann/json.hpp>
#include <optional>

namespace stellwick::test {

// The library's parse with the settings file's rules on top: object root, no
// NUL bytes, nesting at most maxDepth, valid UTF-8, no trailing garbage, only
// finite numbers.
std::optional<nlohmann::json> referenceParse(const QByteArray& bytes);

// Whether a parsed document holds the same value as the reference's (the last
// of repeated keys counts; doubles compared bit for bit and never equal to a
// whole number).
bool sameValue(const json::Document::Value& value, const nlohmann::json& reference);

// Whether the reference library writes these bytes back unchanged with sorted
// keys and two-space indentation: the form the settings file is written in.
bool isReferencePretty(const QByteArray& bytes);

} // namespace stellwick::test
