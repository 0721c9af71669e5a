#pragma once

#include <QList>
#include <QString>
#include <compare>
#include <optional>

namespace stellwick::linux_platform {

// A release number: whole numbers separated by dots ("1.10", "2.0.1"),
// optionally led by "v" and followed by a pre-release tag after "-"
// ("1.2-beta.1"). Parts compare as numbers, so 1.10 is newer than 1.9;
// missing parts count as 0, so 1.0 equals 1.0.0; a pre-release comes before
// its release, and two tags of one release compare as text.
class VersionNumber {
public:
    static std::optional<VersionNumber> parse(const QString& text);

    // As written, for showing.
    const QString& text() const { return m_text; }

    std::strong_ordering operator<=>(const VersionNumber& other) const;
    bool operator==(const VersionNumber& other) const { return (*this <=> other) == 0; }

private:
    QList<quint64> m_parts;
    QString m_preRelease;
    QString m_text;
};

} // namespace stellwick::linux_platform
