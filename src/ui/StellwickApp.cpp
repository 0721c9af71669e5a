#include "ui/StellwickApp.h"

#include "controller/ProbeViewModel.h"
#include "controller/UpdateController.h"
#include "ui/FreedMemory.h"
#include "ui/SettingsWindow.h"
#include "ui/SymbolArt.h"
#include "ui/Symbols.h"
#include "ui/TrayIconInk.h"
#include "ui/TrayPanel.h"

#include <QActionGroup>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScreen>
#include <QTimer>

namespace stellwick {

StellwickApp::StellwickApp(ProbeViewModel& model, UpdateController& updates, std::function<void()> quit)
    : m_model(model)
    , m_updates(updates)
    , m_quit(std::move(quit))
    , m_menu(std::make_unique<QMenu>()) {
    if (!m_quit)
        m_quit = [] { QCoreApplication::quit(); };
    // Hosts that show only a context menu get the panel's choices there.
    // Filled each time it opens, so it shows the current profiles and costs
    // nothing while idle.
    connect(m_menu.get(), &QMenu::aboutToShow, this, &StellwickApp::fillContextMenu);
    m_tray.setContextMenu(m_menu.get());
    m_tray.setToolTip(QStringLiteral("Stellwick"));
    refreshIcon();
    qApp->installEventFilter(this);
    connect(&m_tray, &QSystemTrayIcon::activated, this, &StellwickApp::activated);
    m_tray.show();
    // Once the tray has embedded the icon, match the panel; again on each click.
    QTimer::singleShot(1500, this, &StellwickApp::refreshIcon);
}

StellwickApp::~StellwickApp() {
    delete m_settings.data();
}

bool StellwickApp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        refreshIcon();
    return QObject::eventFilter(watched, event);
}

void StellwickApp::refreshIcon() {
    // On an embedding tray the panel behind the icon can be seen: take the
    // ink from it. Elsewhere (no geometry) the palette's text colour serves.
    std::optional<QColor> ink;
    const QRect area = m_tray.geometry();
    if (QScreen* screen = area.isEmpty() ? nullptr : QGuiApplication::screenAt(area.center()))
        ink = trayInkFor(screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage());
    if (m_tray.icon().isNull() || ink != m_ink) {
        m_ink = ink;
        QIcon icon;
        for (int side : {16, 18, 22, 24, 32, 48})
            icon.addPixmap(menuBarIcon(ink).pixmap(QSize(side, side)));
        m_tray.setIcon(icon);
    }
}

TrayPanel& StellwickApp::panel() {
    if (!m_panel)
        m_panel = std::make_unique<TrayPanel>(m_model, m_updates,
                                              MenuBarView::Actions{[this] { openSettings(); }, m_quit});
    return *m_panel;
}

void StellwickApp::activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::MiddleClick)
        return;
    refreshIcon();
    // StatusNotifierItem hosts tell no icon geometry: open at the pointer.
    const QRect icon = m_tray.geometry();
    togglePanel(icon.isValid() && !icon.isEmpty() ? icon : QRect(QCursor::pos(), QSize(1, 1)));
}

void StellwickApp::togglePanel(const QRect& anchor) {
    TrayPanel& tray = panel();
    if (tray.isVisible())
        tray.hide();
    else if (!tray.justClosed())
        tray.popUp(anchor);
}

void StellwickApp::openSettings() {
    if (!m_settings) {
        // Closing the window without a tray would leave nothing to see:
        // the first time, the window says how to open it again.
        m_settings = new SettingsWindow(m_model, [this] {
            if (m_toldHowToReopen || trayHostPresent())
                return false;
            m_toldHowToReopen = true;
            return true;
        });
        // Closed, it is deleted; what it held goes back once it is gone.
        connect(m_settings, &QObject::destroyed, this,
                [] { QTimer::singleShot(0, [] { releaseFreedMemory(); }); });
    }
    m_settings->present();
}

void StellwickApp::appearAtStart(bool firstRun) {
    if (firstRun || !trayHostPresent())
        openSettings();
}

bool StellwickApp::trayHostPresent() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void StellwickApp::fillContextMenu() {
    m_menu->clear();
    auto* profiles = new QActionGroup(m_menu.get());
    const StellwickState& state = m_model.state();
    for (const LayoutProfile& profile : state.profiles) {
        QAction* action = m_menu->addAction(profile.name);
        action->setCheckable(true);
        action->setChecked(profile.id == state.selectedProfileID);
        action->setActionGroup(profiles);
        const QUuid id = profile.id;
        connect(action, &QAction::triggered, this, [this, id] { m_model.selectProfile(id); });
    }
    m_menu->addSeparator();
    QAction* apply = m_menu->addAction(symbolIcon(u"arrow.clockwise"), QStringLiteral("配置を復元"), this,
                                       [this] { m_model.applySelectedProfile(); });
    apply->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    QAction* settings = m_menu->addAction(symbolIcon(u"slider.horizontal.3"), QStringLiteral("設定…"), this,
                                          [this] { openSettings(); });
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_menu->addAction(symbolIcon(u"arrow.triangle.2.circlepath"), QStringLiteral("アップデートを確認…"), this,
                      [this] { m_updates.checkForUpdates(); });
    m_menu->addSeparator();
    QAction* quit = m_menu->addAction(symbolIcon(u"power"), QStringLiteral("Stellwickを終了"), this,
                                      [this] { m_quit(); });
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

} // namespace stellwick
