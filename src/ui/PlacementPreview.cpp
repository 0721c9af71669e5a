#include "ui/PlacementPreview.h"

#include "ui/PaneStyle.h"

#include <QPainter>

namespace stellwick {

PlacementPreview::PlacementPreview(const NormalizedFrame& frame, QWidget* parent)
    : QWidget(parent)
    , m_frame(frame) {
    setObjectName(QStringLiteral("placementPreview"));
    setAccessibleName(QStringLiteral("保存する配置のプレビュー"));
}

void PlacementPreview::setFrame(const NormalizedFrame& frame) {
    m_frame = frame;
    update();
}

QRectF PlacementPreview::areaRect() const {
    const double w = width();
    const double h = height();
    return QRectF(w * m_frame.x, h * m_frame.y, w * m_frame.width, h * m_frame.height);
}

void PlacementPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(rect());
    const QColor secondary = pane_style::toneColor(palette(), pane_style::Tone::secondary);
    const QColor accent = pane_style::accent(palette());

    painter.setPen(QPen(pane_style::withOpacity(secondary, 0.35), 1));
    painter.setBrush(pane_style::withOpacity(secondary, 0.09));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);

    painter.setPen(QPen(accent, 1.2));
    painter.setBrush(pane_style::withOpacity(accent, 0.36));
    painter.drawRoundedRect(areaRect(), 3, 3);
}

} // namespace stellwick
