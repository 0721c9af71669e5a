#include "ui/PanelPlacement.h"

#include <algorithm>

namespace stellwick {

QPoint panelPosition(const QRect& anchor, const QSize& size, const QRect& available) {
    constexpr int gap = 4;
    const bool below = anchor.center().y() < available.center().y();
    int x = anchor.left();
    int y = below ? anchor.bottom() + 1 + gap : anchor.top() - gap - size.height();
    // Clamp into the available area; a panel larger than it keeps its top-left inside.
    x = std::max(available.left(), std::min(x, available.right() + 1 - size.width()));
    y = std::max(available.top(), std::min(y, available.bottom() + 1 - size.height()));
    return {x, y};
}

} // namespace stellwick
