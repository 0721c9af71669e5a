#include "ui/SymbolView.h"

#include "ui/SymbolArt.h"
#include "ui/Symbols.h"

#include <QPainter>

namespace stellwick {

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
    const QIcon icon = m_tint ? tintedSymbolIcon(m_name, *m_tint) : symbolIcon(m_name);
    const QPixmap pixmap = icon.pixmap(QSize(m_size, m_size), devicePixelRatioF());
    if (pixmap.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), pixmap);
}

} // namespace stellwick
