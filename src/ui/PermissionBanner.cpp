#include "ui/PermissionBanner.h"

#include "ui/PaneStyle.h"
#include "ui/SymbolView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

PermissionBanner::PermissionBanner(std::function<void()> showPermission, QWidget* parent)
    : QWidget(parent) {
    using namespace pane_style;
    setObjectName(QStringLiteral("permissionBanner"));
    auto* strip = new QWidget(this);
    fillBackground(strip, withOpacity(orange(), 0.11));
    strip->setMinimumHeight(52);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(label(QStringLiteral("アクセシビリティ権限が必要です"), TextStyle::callout,
                           Tone::primary, strip, QFont::DemiBold));
    texts->addWidget(label(QStringLiteral("権限がないため、配置の保存と復元は実行されません。"),
                           TextStyle::caption, Tone::secondary, strip));
    auto* button = new QPushButton(QStringLiteral("権限を確認"), strip);
    button->setObjectName(QStringLiteral("showPermissionButton"));
    connect(button, &QPushButton::clicked, this, [showPermission = std::move(showPermission)] {
        if (showPermission)
            showPermission();
    });
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(10);
    row->addWidget(new SymbolView(QStringLiteral("exclamationmark.circle.fill"), 18, orange(), strip));
    row->addLayout(texts, 1);
    row->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip);
    layout->addWidget(divider(this));
}

} // namespace stellwick
