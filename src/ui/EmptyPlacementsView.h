#pragma once

#include <QWidget>
#include <functional>

namespace stellwick {

// What the applications section shows while the profile has no placements:
// an invitation to register one by clicking a window.
class EmptyPlacementsView : public QWidget {
public:
    EmptyPlacementsView(std::function<void()> selectWindow, QWidget* parent = nullptr);
};

} // namespace stellwick
