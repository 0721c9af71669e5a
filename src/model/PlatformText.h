#pragma once

#include <QString>
#include <QStringView>

namespace stellwick {

// Text that the desktop hands over (window titles, application names and
// identifiers, monitor names) made fit to show and to save: NUL, the other C0
// control characters except tab and line feed, and DEL are dropped; a lone
// surrogate becomes U+FFFD. Everything else, length included, is kept.
// Any backend calls it where such text enters; the controller calls it again
// before it stores a placement, so every backend is covered.
QString cleanedPlatformText(QStringView text);

} // namespace stellwick
