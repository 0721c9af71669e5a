#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace stellwick {

// Where the tray panel goes: next to `anchor` (the tray icon, or a point-sized
// rectangle at the pointer when the tray host tells no icon geometry), below
// it when the anchor is in the upper half of `available`, else above, and
// moved as little as needed to lie wholly inside `available`.
QPoint panelPosition(const QRect& anchor, const QSize& size, const QRect& available);

} // namespace stellwick
