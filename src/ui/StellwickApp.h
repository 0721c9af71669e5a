#pragma once

#include "ui/SettingsWindow.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

class QMenu;

namespace stellwick {

class ProbeViewModel;
class TrayPanel;
class UpdateController;

// The application's face: the tray icon with its panel and context menu, and
// the settings window. The panel is built on first use; the settings window
// is built when asked for and deleted when closed. An icon shown while no
// tray host runs appears once one starts.
class StellwickApp final : public QObject {
    Q_OBJECT
public:
    // `quit` ends the application (QCoreApplication::quit by default).
    StellwickApp(ProbeViewModel& model, UpdateController& updates, std::function<void()> quit = {});
    ~StellwickApp() override;

    // Opens the settings window, or brings the open one forward.
    void openSettings();
    // At a start by the user: the settings window opens when the icon cannot
    // be shown (no tray host) or on the very first run, so that a start is
    // never met with nothing.
    void appearAtStart(bool firstRun);
    // Whether a tray host runs now; the icon follows hosts that come and go.
    static bool trayHostPresent();
    // Opens the panel next to `anchor`, or closes it when it is open.
    void togglePanel(const QRect& anchor);

    QSystemTrayIcon& trayIcon() { return m_tray; }
    SettingsWindow* settingsWindow() const { return m_settings; }
    // The panel, built on first call.
    TrayPanel& panel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void fillContextMenu();
    void refreshIcon();

    ProbeViewModel& m_model;
    UpdateController& m_updates;
    std::function<void()> m_quit;
    QSystemTrayIcon m_tray;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<TrayPanel> m_panel;
    QPointer<SettingsWindow> m_settings;
    std::optional<QColor> m_ink; // the tray mark's colour, none: the palette's
    bool m_toldHowToReopen = false;
};

} // namespace stellwick
