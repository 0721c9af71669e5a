#include "ui/Look.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPalette>
#include <QWidget>

namespace stellwick::look {

namespace {
QFont sized(const QFont& base, qreal delta) {
    QFont font = base;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(qMax(6.0, font.pointSizeF() + delta));
    else
        font.setPixelSize(qMax(8, font.pixelSize() + int(delta * 1.33)));
    return font;
}

QColor mixed(const QColor& a, const QColor& b, qreal amountOfA) {
    return QColor::fromRgbF(float(a.redF() * amountOfA + b.redF() * (1 - amountOfA)),
                            float(a.greenF() * amountOfA + b.greenF() * (1 - amountOfA)),
                            float(a.blueF() * amountOfA + b.blueF() * (1 - amountOfA)));
}
} // namespace

QFont headline(const QFont& base) {
    QFont font = base;
    font.setWeight(QFont::Bold);
    return font;
}

QFont caption(const QFont& base, QFont::Weight weight) {
    QFont font = sized(base, -1);
    font.setWeight(weight);
    return font;
}

QFont smallCaption(const QFont& base) {
    return sized(base, -2);
}

QColor secondaryText(const QPalette& palette) {
    return mixed(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.62);
}

QColor tertiaryText(const QPalette& palette) {
    return mixed(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.45);
}

QColor successGreen() {
    return QColor(0x2e, 0xa0, 0x43);
}
QColor warningOrange() {
    return QColor(0xf0, 0x8c, 0x00);
}
QColor errorRed() {
    return QColor(0xe0, 0x2b, 0x2b);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QWidget* divider(QWidget* parent, int inset) {
    auto* holder = new QWidget(parent);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(inset, 0, inset, 0);
    auto* line = new QFrame(holder);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    line->setFixedHeight(1);
    layout->addWidget(line);
    holder->setFixedHeight(1);
    return holder;
}

} // namespace stellwick::look
