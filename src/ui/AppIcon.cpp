#include "ui/AppIcon.h"

#include "controller/ProbeViewModel.h"
#include "ui/PaneStyle.h"
#include "ui/SymbolArt.h"

#include <QPainter>
#include <QShowEvent>

namespace stellwick {

AppIcon::AppIcon(ProbeViewModel& model, const QString& bundleIdentifier, int size, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_bundleIdentifier(bundleIdentifier)
    , m_size(size) {
    setFixedSize(size, size);
    setObjectName(QStringLiteral("appIcon"));
}

void AppIcon::setBundleIdentifier(const QString& bundleIdentifier) {
    if (bundleIdentifier == m_bundleIdentifier)
        return;
    m_bundleIdentifier = bundleIdentifier;
    m_stale = true;
    update();
}

void AppIcon::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        m_stale = true;
    QWidget::showEvent(event);
}

bool AppIcon::showsFallback() {
    lookUpIfStale();
    return !m_image;
}

void AppIcon::lookUpIfStale() {
    if (!m_stale)
        return;
    m_stale = false;
    m_image = m_model.appIcon(m_bundleIdentifier);
    if (m_image && m_image->isNull())
        m_image.reset();
}

void AppIcon::paintEvent(QPaintEvent*) {
    lookUpIfStale();
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_image) {
        painter.drawImage(rect(), *m_image);
        return;
    }
    const QColor secondary = pane_style::toneColor(palette(), pane_style::Tone::secondary);
    const QPixmap symbol =
        tintedSymbolIcon(u"app.fill", secondary).pixmap(QSize(m_size, m_size), devicePixelRatioF());
    if (!symbol.isNull()) {
        painter.drawPixmap(rect(), symbol);
        return;
    }
    // No symbol either: a plain rounded square keeps the column aligned.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(pane_style::withOpacity(secondary, 0.5));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), m_size / 5.0, m_size / 5.0);
}

} // namespace stellwick
