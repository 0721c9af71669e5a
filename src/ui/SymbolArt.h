#pragma once

#include <QColor>
#include <QIcon>
#include <QStringView>
#include <optional>

namespace stellwick {

// The bundled drawing of a symbol as an icon. Without `tint` it takes the
// palette's text colour (highlighted text for the selected mode, the disabled
// text colour when disabled) each time it is painted, so it follows light and
// dark palettes; with `tint` it is painted in that colour. Null for unknown
// names.
QIcon bundledSymbolIcon(QStringView name, std::optional<QColor> tint = std::nullopt);

// The icon-theme icon of the symbol when the theme has one, else the bundled
// drawing in `tint`: for symbols whose colour carries meaning (status kinds).
QIcon tintedSymbolIcon(QStringView name, const QColor& tint);

// The application's own tray and header mark, drawn in the palette's text
// colour (or `tint`).
QIcon menuBarIcon(std::optional<QColor> tint = std::nullopt);

} // namespace stellwick
