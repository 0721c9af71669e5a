#include "ui/PaneStyle.h"

#include "ui/SymbolView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace stellwick::pane_style {

QFont font(TextStyle style, QFont::Weight weight) {
    QFont f = QApplication::font();
    const double base = f.pointSizeF() > 0 ? f.pointSizeF() : 10.0;
    double scale = 1.0;
    switch (style) {
    case TextStyle::body:
        break;
    case TextStyle::callout:
        scale = 0.94;
        break;
    case TextStyle::caption:
        scale = 0.86;
        break;
    case TextStyle::caption2:
        scale = 0.8;
        break;
    case TextStyle::headline:
        if (weight == QFont::Normal)
            weight = QFont::DemiBold;
        break;
    case TextStyle::title2:
        scale = 1.45;
        break;
    case TextStyle::title3:
        scale = 1.25;
        break;
    }
    f.setPointSizeF(base * scale);
    f.setWeight(weight);
    return f;
}

QColor toneColor(const QPalette& palette, Tone tone) {
    const QColor text = palette.color(QPalette::WindowText);
    switch (tone) {
    case Tone::primary:
        return text;
    case Tone::secondary:
        return withOpacity(text, 0.62);
    case Tone::tertiary:
        return withOpacity(text, 0.42);
    }
    return text;
}

QColor accent(const QPalette& palette) {
    return palette.color(QPalette::Highlight);
}

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

QColor orange() {
    return QColor(0xf0, 0x8c, 0x00);
}

QColor green() {
    return QColor(0x2e, 0xa8, 0x4a);
}

QColor red() {
    return QColor(0xd7, 0x26, 0x1e);
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    widget->setPalette(p);
}

QLabel* label(const QString& text, TextStyle style, Tone tone, QWidget* parent, QFont::Weight weight) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(font(style, weight));
    if (tone != Tone::primary)
        setTextColor(l, toneColor(l->palette(), tone));
    return l;
}

QWidget* divider(QWidget* parent, int inset) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::NoFrame);
    line->setFixedHeight(1);
    fillBackground(line, withOpacity(line->palette().color(QPalette::WindowText), 0.12));
    if (inset == 0)
        return line;
    auto* holder = new QWidget(parent);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(inset, 0, inset, 0);
    line->setParent(holder);
    layout->addWidget(line);
    holder->setFixedHeight(1);
    return holder;
}

void fillBackground(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, color);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

QPushButton* namedButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    return button;
}

void makeProminent(QPushButton* button) {
    QPalette p = button->palette();
    p.setColor(QPalette::Button, p.color(QPalette::Highlight));
    p.setColor(QPalette::ButtonText, p.color(QPalette::HighlightedText));
    button->setPalette(p);
}

void makeDestructive(QPushButton* button) {
    QPalette p = button->palette();
    p.setColor(QPalette::ButtonText, red());
    button->setPalette(p);
}

QWidget* buildNoticeStrip(QWidget* owner, const QString& symbol, const QColor& tint, const QString& heading,
                          const QString& detail, QPushButton* button) {
    auto* strip = new QWidget(owner);
    fillBackground(strip, withOpacity(tint, 0.11));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    QLabel* headingLabel = label(heading, TextStyle::callout, Tone::primary, strip, QFont::DemiBold);
    headingLabel->setAccessibleName(heading);
    QLabel* detailLabel = label(detail, TextStyle::caption, Tone::secondary, strip);
    detailLabel->setWordWrap(true);
    detailLabel->setAccessibleName(detail);
    texts->addWidget(headingLabel);
    texts->addWidget(detailLabel);
    button->setParent(strip);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(16, 8, 16, 8);
    row->setSpacing(10);
    row->addWidget(new SymbolView(symbol, 18, tint, strip));
    row->addLayout(texts, 1);
    row->addWidget(button);

    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip);
    layout->addWidget(divider(owner));
    return strip;
}

Card::Card(QWidget* parent)
    : QFrame(parent) {}

void Card::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 9, 9);
    painter.fillPath(path, palette().color(QPalette::Base));
    painter.setPen(QPen(withOpacity(palette().color(QPalette::WindowText), 0.08), 1));
    painter.drawPath(path);
}

} // namespace stellwick::pane_style
