#include "platform/linux/VersionNumber.h"

#include <QRegularExpression>

namespace stellwick::linux_platform {

std::optional<VersionNumber> VersionNumber::parse(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^[vV]?([0-9]+(?:\\.[0-9]+)*)(?:-([0-9A-Za-z.-]+))?$"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch match = form.match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;

    VersionNumber version;
    for (const QString& part : match.captured(1).split(QLatin1Char('.'))) {
        bool ok = false;
        const quint64 number = part.toULongLong(&ok);
        if (!ok) // more digits than a number holds
            return std::nullopt;
        version.m_parts << number;
    }
    version.m_preRelease = match.captured(2);
    version.m_text = trimmed;
    return version;
}

std::strong_ordering VersionNumber::operator<=>(const VersionNumber& other) const {
    const qsizetype count = std::max(m_parts.size(), other.m_parts.size());
    for (qsizetype i = 0; i < count; ++i) {
        const quint64 mine = m_parts.value(i, 0);
        const quint64 theirs = other.m_parts.value(i, 0);
        if (mine != theirs)
            return mine <=> theirs;
    }
    if (m_preRelease.isEmpty() != other.m_preRelease.isEmpty())
        return m_preRelease.isEmpty() ? std::strong_ordering::greater : std::strong_ordering::less;
    const int byText = QString::compare(m_preRelease, other.m_preRelease);
    return byText <=> 0;
}

} // namespace stellwick::linux_platform
