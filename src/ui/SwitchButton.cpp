#include "ui/SwitchButton.h"

#include "ui/PaneStyle.h"

#include <QPainter>

namespace stellwick {

SwitchButton::SwitchButton(const QString& accessibleName, ControlSize size, QWidget* parent)
    : QAbstractButton(parent)
    , m_size(size) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(accessibleName);
    setToolTip(accessibleName);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SwitchButton::trackSize() const {
    return m_size == ControlSize::small ? QSize(32, 18) : QSize(26, 15);
}

QSize SwitchButton::sizeHint() const {
    // Room around the track for the focus ring.
    return trackSize() + QSize(4, 4);
}

void SwitchButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSize track = trackSize();
    const QRectF trackRect(QPointF((width() - track.width()) / 2.0, (height() - track.height()) / 2.0),
                           QSizeF(track));
    const qreal radius = trackRect.height() / 2;
    const QPalette& p = palette();

    QColor fill =
        isChecked() ? pane_style::accent(p) : pane_style::withOpacity(p.color(QPalette::WindowText), 0.22);
    if (!isEnabled())
        fill = pane_style::withOpacity(fill, 0.45);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(trackRect, radius, radius);

    const qreal inset = 2;
    const qreal knob = trackRect.height() - 2 * inset;
    const qreal knobX = isChecked() ? trackRect.right() - inset - knob : trackRect.left() + inset;
    painter.setBrush(QColor(Qt::white));
    painter.setPen(QPen(pane_style::withOpacity(QColor(Qt::black), 0.15), 0.5));
    painter.drawEllipse(QRectF(knobX, trackRect.top() + inset, knob, knob));

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(pane_style::withOpacity(pane_style::accent(p), 0.6), 2));
        painter.drawRoundedRect(trackRect.adjusted(-1.5, -1.5, 1.5, 1.5), radius + 1.5, radius + 1.5);
    }
}

} // namespace stellwick
