#pragma once

#include <QString>
#include <QStringView>
#include <QUuid>
#include <optional>

namespace stellwick {

// Reads exactly the 36-character hyphenated form, in either case. QUuid's own
// parser also takes braces and trailing garbage, which a file must not.
std::optional<QUuid> parseCanonicalUuid(QStringView text);

// The 36-character hyphenated form in upper case.
QString canonicalUuidString(const QUuid& uuid);

} // namespace stellwick
