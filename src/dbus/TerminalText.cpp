#include "dbus/TerminalText.h"

namespace stellwick {
namespace {

bool isBidiControl(char16_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

QString hex(char16_t c, int digits) {
    return QString::number(c, 16).rightJustified(digits, QLatin1Char('0'));
}

} // namespace

QString escapedForTerminal(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            out += QStringLiteral("\\x") + hex(c, 2);
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.append(text[i]);
            out.append(text[++i]);
        } else if (QChar::isSurrogate(c) || isBidiControl(c) || c == 0x2028 || c == 0x2029) {
            out += QStringLiteral("\\u") + hex(c, 4);
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

} // namespace stellwick
