#pragma once

#include "ui/MenuBarView.h"

#include <QFrame>

namespace stellwick {

// The frameless pop-up that holds the tray panel's content. It closes on a
// click outside, on Escape, and when it opens the settings window or quits.
class TrayPanel final : public QFrame {
    Q_OBJECT
public:
    TrayPanel(ProbeViewModel& model, UpdateController& updates, MenuBarView::Actions actions);

    MenuBarView* view() const { return m_view; }

    // Opens next to `anchor` (see panelPosition), on the screen holding it.
    void popUp(const QRect& anchor);

private:
    MenuBarView* m_view;
};

} // namespace stellwick
