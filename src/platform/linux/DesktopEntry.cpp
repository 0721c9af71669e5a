#include "platform/linux/DesktopEntry.h"

#include <algorithm>

namespace stellwick::linux_platform {
namespace {

bool isReservedInExec(QChar c) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

bool needsEscapeInQuotes(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\');
}

} // namespace

QString quoteExecArgument(const QString& argument) {
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), isReservedInExec);
    QString result;
    result.reserve(argument.size() + 8);
    if (quote)
        result += QLatin1Char('"');
    for (const QChar c : argument) {
        if (quote && needsEscapeInQuotes(c))
            result += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            result += QLatin1Char('%');
        result += c;
    }
    if (quote)
        result += QLatin1Char('"');
    return result;
}

QString execCommandLine(const QStringList& arguments) {
    QStringList quoted;
    quoted.reserve(arguments.size());
    for (const QString& argument : arguments)
        quoted << quoteExecArgument(argument);
    return quoted.join(QLatin1Char(' '));
}

QString escapeValue(const QString& value) {
    QString result;
    result.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            result += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            result += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            result += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            result += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            result += QStringLiteral("\\s");
        else
            result += c;
    }
    return result;
}

QString unescapeValue(const QString& value) {
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            result += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            result += QLatin1Char(' ');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case '\\':
            result += QLatin1Char('\\');
            break;
        default: // not an escape of this level: keep both characters
            result += c;
            result += next;
        }
    }
    return result;
}

QHash<QString, QString> readDesktopEntryGroup(const QByteArray& contents) {
    QHash<QString, QString> values;
    bool inEntryGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntryGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntryGroup || equals <= 0)
            continue;
        values.insert(line.left(equals).trimmed(), unescapeValue(line.mid(equals + 1).trimmed()));
    }
    return values;
}

std::optional<bool> desktopEntryBoolean(const QString& value) {
    if (value == QStringLiteral("true") || value == QStringLiteral("1"))
        return true;
    if (value == QStringLiteral("false") || value == QStringLiteral("0"))
        return false;
    return std::nullopt;
}

} // namespace stellwick::linux_platform
