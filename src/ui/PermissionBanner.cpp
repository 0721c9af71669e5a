#include "ui/PermissionBanner.h"

#include "ui/PaneStyle.h"

#include <QPushButton>

namespace stellwick {

PermissionBanner::PermissionBanner(std::function<void()> showPermission, QWidget* parent)
    : QWidget(parent) {
    using namespace pane_style;
    setObjectName(QStringLiteral("permissionBanner"));
    auto* button = new QPushButton(QStringLiteral("権限を確認"));
    button->setObjectName(QStringLiteral("showPermissionButton"));
    connect(button, &QPushButton::clicked, this, [showPermission = std::move(showPermission)] {
        if (showPermission)
            showPermission();
    });
    buildNoticeStrip(this, QStringLiteral("exclamationmark.circle.fill"), orange(),
                     QStringLiteral("アクセシビリティ権限が必要です"),
                     QStringLiteral("権限がないため、配置の保存と復元は実行されません。"), button)
        ->setMinimumHeight(52);
}

} // namespace stellwick
