#pragma once

#include <QColor>
#include <QImage>
#include <optional>

namespace stellwick {

// The colour to draw the tray mark in, so that it reads on the panel behind
// it: white on a dark panel, near-black on a light one. `sample` is a picture
// of the icon's square on screen; only its corners are read, where the mark
// never draws. None for an empty sample.
std::optional<QColor> trayInkFor(const QImage& sample);

} // namespace stellwick
