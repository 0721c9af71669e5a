#include "ui/StatusRow.h"

#include "ui/DisplayText.h"
#include "ui/PaneStyle.h"
#include "ui/SymbolArt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace stellwick {

namespace {
struct KindLook {
    QString symbol;
    QColor colour;
};

KindLook lookOf(AppStatusKind kind, const QPalette& palette) {
    switch (kind) {
    case AppStatusKind::success:
        return {QStringLiteral("checkmark.circle.fill"), pane_style::green()};
    case AppStatusKind::warning:
        return {QStringLiteral("exclamationmark.triangle.fill"), pane_style::orange()};
    case AppStatusKind::error:
        return {QStringLiteral("xmark.circle.fill"), pane_style::red()};
    case AppStatusKind::information:
        break;
    }
    return {QStringLiteral("info.circle.fill"), pane_style::toneColor(palette, pane_style::Tone::secondary)};
}
} // namespace

StatusRow::StatusRow(QWidget* parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_title(new QLabel(this))
    , m_detail(new QLabel(this))
    , m_time(new QLabel(this)) {
    m_title->setFont(pane_style::font(pane_style::TextStyle::caption, QFont::DemiBold));
    m_title->setWordWrap(true);
    m_title->setTextFormat(Qt::PlainText);
    // At most two lines.
    m_title->setMaximumHeight(QFontMetrics(m_title->font()).lineSpacing() * 2 + 2);
    m_detail->setFont(pane_style::font(pane_style::TextStyle::caption2));
    m_detail->setWordWrap(true);
    m_detail->setTextFormat(Qt::PlainText);
    pane_style::setTextColor(m_detail, pane_style::toneColor(palette(), pane_style::Tone::secondary));
    m_time->setFont(pane_style::font(pane_style::TextStyle::caption2));
    pane_style::setTextColor(m_time, pane_style::toneColor(palette(), pane_style::Tone::tertiary));
    m_icon->setFixedSize(14, 14);

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(m_title);
    text->addWidget(m_detail);
    text->addWidget(m_time);

    auto* iconColumn = new QVBoxLayout;
    iconColumn->setContentsMargins(0, 2, 0, 0);
    iconColumn->addWidget(m_icon);
    iconColumn->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 0, 14, 0);
    layout->setSpacing(8);
    layout->addLayout(iconColumn);
    layout->addLayout(text, 1);
}

void StatusRow::setStatus(const AppStatus& status) {
    const KindLook kind = lookOf(status.kind, palette());
    m_symbol = kind.symbol;
    m_icon->setPixmap(tintedSymbolIcon(kind.symbol, kind.colour).pixmap(QSize(13, 13)));
    m_title->setText(status.title);
    m_detail->setText(status.detail.value_or(QString()));
    m_detail->setVisible(status.detail.has_value());
    m_time->setText(clockTime(status.timestamp));
    setAccessibleName(status.oneLine());
}

QString StatusRow::titleText() const {
    return m_title->text();
}
QString StatusRow::detailText() const {
    return m_detail->isHidden() ? QString() : m_detail->text();
}
QString StatusRow::timeText() const {
    return m_time->text();
}

} // namespace stellwick
