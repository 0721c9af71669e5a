#pragma once

#include <QWidget>

namespace stellwick {

// The column titles above the registered applications; it stays put while
// the list scrolls.
class AppListHeader : public QWidget {
public:
    explicit AppListHeader(QWidget* parent = nullptr);
};

} // namespace stellwick
