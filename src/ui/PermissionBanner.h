#pragma once

#include <QWidget>
#include <functional>

namespace stellwick {

// The warning strip above the other sections while access is missing; its
// button leads to the "権限" section.
class PermissionBanner : public QWidget {
public:
    PermissionBanner(std::function<void()> showPermission, QWidget* parent = nullptr);
};

} // namespace stellwick
