#include "platform/x11/EdidIdentity.h"

#include <QUuid>

namespace stellwick::x11 {
namespace {

constexpr int blockSize = 128;
constexpr unsigned char header[8] = {0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00};
// Namespace of the name-based display UUIDs; fixed forever, as stored
// layouts refer to the UUIDs made with it.
const QUuid displayNamespace(QStringLiteral("6b1f5a52-3c7e-4d0a-9a61-2f8e53d7c4b9"));

unsigned byteAt(const QByteArray& data, int index) {
    return static_cast<unsigned char>(data.at(index));
}

// Descriptor 0xFF: up to 13 characters, ended by a line feed, padded with spaces.
QString serialDescriptor(const QByteArray& edid) {
    for (int offset = 54; offset + 18 <= blockSize; offset += 18) {
        const bool isDescriptor = byteAt(edid, offset) == 0 && byteAt(edid, offset + 1) == 0;
        if (!isDescriptor || byteAt(edid, offset + 3) != 0xff)
            continue;
        QByteArray text = edid.mid(offset + 5, 13);
        const int end = text.indexOf('\n');
        if (end >= 0)
            text.truncate(end);
        QString serial;
        for (char c : text) {
            if (c >= 0x20 && c < 0x7f)
                serial.append(QLatin1Char(c));
        }
        return serial.trimmed();
    }
    return {};
}

} // namespace

std::optional<EdidIdentity> parseEdid(const QByteArray& edid) {
    if (edid.size() < blockSize)
        return std::nullopt;
    for (int i = 0; i < 8; ++i) {
        if (byteAt(edid, i) != header[i])
            return std::nullopt;
    }
    // Manufacturer: three 5-bit letters, big-endian, 1 = 'A'.
    const unsigned packed = (byteAt(edid, 8) << 8) | byteAt(edid, 9);
    QString manufacturer;
    for (int shift : {10, 5, 0}) {
        const unsigned letter = (packed >> shift) & 0x1f;
        if (letter < 1 || letter > 26)
            return std::nullopt;
        manufacturer.append(QLatin1Char(static_cast<char>('A' + letter - 1)));
    }
    EdidIdentity identity;
    identity.manufacturer = manufacturer;
    identity.product = static_cast<std::uint16_t>(byteAt(edid, 10) | (byteAt(edid, 11) << 8));
    identity.serial = byteAt(edid, 12) | (byteAt(edid, 13) << 8) | (byteAt(edid, 14) << 16) |
                      (static_cast<std::uint32_t>(byteAt(edid, 15)) << 24);
    identity.serialText = serialDescriptor(edid);
    return identity;
}

QString displayUuid(const EdidIdentity& identity) {
    const QString name = QStringLiteral("%1:%2:%3:%4")
                             .arg(identity.manufacturer)
                             .arg(identity.product, 4, 16, QLatin1Char('0'))
                             .arg(identity.serial, 8, 16, QLatin1Char('0'))
                             .arg(identity.serialText);
    return QUuid::createUuidV5(displayNamespace, name).toString(QUuid::WithoutBraces).toUpper();
}

} // namespace stellwick::x11
