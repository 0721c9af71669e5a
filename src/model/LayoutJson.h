#pragma once

#include "model/LayoutModel.h"

#include <QByteArray>
#include <optional>

namespace stellwick {

// The settings file body. Keys are sorted in every object, output is indented,
// UUIDs are written upper-case, dates as seconds since 2001-01-01 UTC, absent
// optionals are left out. Nothing when a number is not finite.
std::optional<QByteArray> encodeState(const StellwickState& state);

// Strict reading: every required key present and of its type (display id an
// integer in 0…4294967295, UUIDs in the 36-character form in either case),
// null or missing optionals read as absent, unknown keys ignored. Nothing when
// any of that fails. Does not check the state's invariants (that is the
// store's job).
std::optional<StellwickState> decodeState(const QByteArray& bytes);

} // namespace stellwick
