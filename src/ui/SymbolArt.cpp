#include "ui/SymbolArt.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>

namespace stellwick {

namespace {

// The drawings use "currentColor" for the symbol and white for cut-outs
// inside filled shapes; both are chosen at paint time.
class SvgSymbolEngine final : public QIconEngine {
public:
    SvgSymbolEngine(QByteArray svg, std::optional<QColor> tint)
        : m_svg(std::move(svg))
        , m_tint(tint) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const auto [ink, knockout] = colours(mode);
        QByteArray svg = m_svg;
        svg.replace("#ffffff", knockout.name().toLatin1());
        svg.replace("currentColor", ink.name().toLatin1());
        QSvgRenderer renderer(svg);
        painter->save();
        if (ink.alphaF() < 1.0)
            painter->setOpacity(painter->opacity() * ink.alphaF());
        renderer.render(painter, QRectF(rect));
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            paint(&painter, QRect(QPoint(0, 0), pixmap.size()), mode, state);
        }
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new SvgSymbolEngine(m_svg, m_tint); }
    QString key() const override { return QStringLiteral("stellwick-symbol"); }

private:
    std::pair<QColor, QColor> colours(QIcon::Mode mode) const {
        const QPalette palette = QApplication::palette();
        if (m_tint) {
            QColor ink = *m_tint;
            if (mode == QIcon::Disabled)
                ink.setAlphaF(ink.alphaF() * 0.45);
            return {ink, QColor(Qt::white)};
        }
        if (mode == QIcon::Selected)
            return {palette.color(QPalette::HighlightedText), palette.color(QPalette::Highlight)};
        if (mode == QIcon::Disabled)
            return {palette.color(QPalette::Disabled, QPalette::WindowText), palette.color(QPalette::Window)};
        return {palette.color(QPalette::WindowText), palette.color(QPalette::Window)};
    }

    QByteArray m_svg;
    std::optional<QColor> m_tint;
};

QByteArray bundledDrawing(QStringView name) {
    QFile file(QStringLiteral(":/stellwick/symbols/%1.svg").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

QIcon bundledSymbolIcon(QStringView name, std::optional<QColor> tint) {
    QByteArray svg = bundledDrawing(name);
    if (svg.isEmpty())
        return {};
    return QIcon(new SvgSymbolEngine(std::move(svg), tint));
}

QIcon menuBarIcon(std::optional<QColor> tint) {
    return bundledSymbolIcon(u"MenuBarIcon", tint);
}

} // namespace stellwick
