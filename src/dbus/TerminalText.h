#pragma once

#include <QString>
#include <QStringView>

namespace stellwick {

// Text from the running instance (profile names, window titles, status lines:
// any session process can set some of them) made safe to print on a terminal.
// Control characters (C0, DEL, C1) become \xHH; bidirectional controls, line
// and paragraph separators and lone surrogates become \uHHHH. Everything else,
// Japanese text included, is printed as it is.
QString escapedForTerminal(QStringView text);

} // namespace stellwick
