#include "ui/TrayIconInk.h"

namespace stellwick {

std::optional<QColor> trayInkFor(const QImage& sample) {
    if (sample.width() < 2 || sample.height() < 2)
        return std::nullopt;
    const int right = sample.width() - 1;
    const int bottom = sample.height() - 1;
    double lightness = 0;
    for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
        lightness += sample.pixelColor(corner).lightnessF();
    return lightness / 4 < 0.5 ? QColor(Qt::white) : QColor(0x20, 0x20, 0x20);
}

} // namespace stellwick
