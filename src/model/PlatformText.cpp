#include "model/PlatformText.h"

namespace stellwick {
namespace {

bool isDropped(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n') || c == 0x7F;
}

} // namespace

QString cleanedPlatformText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (isDropped(c))
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out.append(text[i]);
            out.append(text[++i]);
        } else if (QChar::isSurrogate(c)) {
            out.append(QChar::ReplacementCharacter);
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

} // namespace stellwick
