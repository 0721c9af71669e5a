#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace stellwick::x11 {

// What identifies a physical monitor in its EDID block.
struct EdidIdentity {
    QString manufacturer;      // three letters, e.g. "DEL"
    std::uint16_t product = 0; // manufacturer's product code
    std::uint32_t serial = 0;  // numeric serial, 0 when the monitor gives none
    QString serialText;        // the serial-number descriptor, empty when absent

    bool operator==(const EdidIdentity&) const = default;
};

// None when the block is not an EDID: too short, a wrong header, or a
// manufacturer code that is not three letters.
std::optional<EdidIdentity> parseEdid(const QByteArray& edid);

// A UUID derived from the identity alone (name-based, version 5), upper-case
// and hyphenated: the same monitor gets the same UUID on every port and after
// every restart. Two monitors of one model without serial numbers share it.
QString displayUuid(const EdidIdentity& identity);

} // namespace stellwick::x11
