#include "ui/AppListHeader.h"

#include "ui/PaneStyle.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

namespace stellwick {

AppListHeader::AppListHeader(QWidget* parent)
    : QWidget(parent) {
    using namespace pane_style;
    setObjectName(QStringLiteral("appListHeader"));
    fillBackground(this, withOpacity(palette().color(QPalette::Base), 0.6));
    const auto title = [this](const QString& text, int width, Qt::Alignment alignment) {
        QLabel* l = label(text, TextStyle::caption2, Tone::secondary, this, QFont::DemiBold);
        l->setAlignment(alignment | Qt::AlignVCenter);
        if (width > 0)
            l->setFixedWidth(width);
        return l;
    };
    auto* columns = new QHBoxLayout;
    // The rows below leave room for the list's scroll bar.
    columns->setContentsMargins(16, 0, 16 + style()->pixelMetric(QStyle::PM_ScrollBarExtent), 0);
    columns->setSpacing(0);
    columns->addWidget(title(QStringLiteral("アプリ"), 0, Qt::AlignLeft), 1);
    columns->addWidget(title(QStringLiteral("保存先ディスプレイ"), 160, Qt::AlignLeft));
    columns->addWidget(title(QStringLiteral("領域"), 145, Qt::AlignLeft));
    columns->addWidget(title(QStringLiteral("起動時"), 70, Qt::AlignHCenter));
    columns->addWidget(title(QString(), 22, Qt::AlignLeft));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(columns, 1);
    layout->addWidget(divider(this));
    setFixedHeight(30);
}

} // namespace stellwick
