#include "ui/TrayPanel.h"

#include "ui/PanelPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace stellwick {

TrayPanel::TrayPanel(ProbeViewModel& model, UpdateController& updates, MenuBarView::Actions actions)
    : QFrame(nullptr, Qt::Popup | Qt::FramelessWindowHint)
    , m_view(nullptr) {
    // Leaving the panel for the settings window or quitting closes it first.
    auto openSettings = [this, open = std::move(actions.openSettings)] {
        hide();
        open();
    };
    auto quit = [this, quit = std::move(actions.quit)] {
        hide();
        quit();
    };
    m_view = new MenuBarView(model, updates, {openSettings, quit}, this);
    setObjectName(QStringLiteral("trayPanel"));
    setAccessibleName(QStringLiteral("Stellwick"));
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_view);
    connect(m_view, &MenuBarView::closeRequested, this, &QWidget::hide);
}

void TrayPanel::popUp(const QRect& anchor) {
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    adjustSize();
    if (screen)
        move(panelPosition(anchor, size(), screen->availableGeometry()));
    show();
    raise();
    activateWindow();
    m_view->setFocus(Qt::PopupFocusReason);
}

} // namespace stellwick
