#include "ui/SymbolView.h"

#include "ui/Symbols.h"

#include <QPainter>

namespace stellwick {

QPixmap tintedPixmap(const QIcon& icon, int size, qreal devicePixelRatio, const std::optional<QColor>& tint) {
    QPixmap pixmap = icon.pixmap(QSize(size, size), devicePixelRatio);
    if (pixmap.isNull() || !tint)
        return pixmap;
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), *tint);
    return pixmap;
}

SymbolView::SymbolView(const QString& name, int size, std::optional<QColor> tint, QWidget* parent)
    : QWidget(parent)
    , m_name(name)
    , m_size(size)
    , m_tint(tint) {
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setObjectName(QStringLiteral("symbol:") + name);
}

void SymbolView::setName(const QString& name) {
    m_name = name;
    setObjectName(QStringLiteral("symbol:") + name);
    update();
}

void SymbolView::setTint(const std::optional<QColor>& tint) {
    m_tint = tint;
    update();
}

void SymbolView::paintEvent(QPaintEvent*) {
    const QPixmap pixmap = tintedPixmap(symbolIcon(m_name), m_size, devicePixelRatioF(), m_tint);
    if (pixmap.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), pixmap);
}

} // namespace stellwick
