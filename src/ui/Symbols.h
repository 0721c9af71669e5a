#pragma once

#include <QIcon>
#include <QStringView>

namespace stellwick {

// The icon for one of the interface's symbol names ("chevron.right",
// "app.fill", …): the matching freedesktop icon-theme icon where the theme has
// one, else a bundled monochrome SVG, so the interface looks complete on a
// machine without an icon theme. Unknown names give a null icon.
QIcon symbolIcon(QStringView name);

} // namespace stellwick
