#include "ResidentApplication.h"

#include "QuitOnSignals.h"
#include "controller/ProbeViewModel.h"
#include "controller/UpdateController.h"
#include "dbus/ControlNames.h"
#include "dbus/ControlService.h"
#include "platform/linux/AppcastUpdater.h"
#include "platform/linux/FreedesktopNotifications.h"
#include "platform/linux/HelpPageSettingsLink.h"
#include "platform/linux/IniUserDefaults.h"
#include "platform/linux/QtRestorationLog.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/x11/X11Desktop.h"
#include "ui/StellwickApp.h"
#include "ui/UpdateWindow.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QTextStream>

namespace stellwick::app {

int runResidentApplication(QDBusConnection bus, StartKind start) {
    // First, so that a stop asked for while starting ends as cleanly as a
    // later one: the loop handles it as soon as it runs.
    QuitOnSignals quitOnSignals;
    // Read before anything can write it.
    const bool firstRun = !QFileInfo::exists(ProfileStore::defaultFilePath());
    linux_platform::SystemClock clock;
    const std::unique_ptr<x11::X11Desktop> desktop = x11::X11Desktop::open(clock);
    linux_platform::XdgAutostartLoginItems loginItems;
    // Entries written before the quiet start existed would open a window at login.
    loginItems.addQuietStartOption();
    linux_platform::FreedesktopNotifications notifications(bus);
    linux_platform::IniUserDefaults defaults;
    linux_platform::HelpPageSettingsLink settingsLink;
    linux_platform::QtRestorationLog restorationLog;
    const Platform platform{clock,
                            desktop->screens(),
                            desktop->windowServer(),
                            desktop->accessibility(),
                            desktop->applications(),
                            desktop->eventMonitors(),
                            loginItems,
                            notifications,
                            defaults,
                            settingsLink,
                            restorationLog};

    ProbeViewModel controller(ProfileStore(ProfileStore::defaultFilePath()), platform);
    UpdateWindowOnDemand updateWindow;
    linux_platform::AppcastUpdater updater(clock, updateWindow,
                                           linux_platform::UpdateSettings::fromDefaults(defaults));
    UpdateController updates(updater);

    ControlService control(controller, clock);
    QObject::connect(&control, &ControlService::quitRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    // The tray icon and its panel; the settings window on demand.
    StellwickApp face(controller, updates);
    QObject::connect(&control, &ControlService::showRequested, &face, &StellwickApp::openSettings);
    if (bus.isConnected()) {
        // The object first, so that whoever sees the name finds it.
        if (!control.registerOn(bus) || !bus.registerService(control::serviceName()))
            return -1;
    } else {
        QTextStream(stderr) << "stellwick: no session bus: running without the control interface\n";
    }

    // Without a display there is nothing to show.
    if (start == StartKind::byUser && QGuiApplication::platformName() != QLatin1String("offscreen"))
        face.appearAtStart(firstRun);

    const int status = QApplication::exec();
    if (bus.isConnected())
        bus.unregisterService(control::serviceName());
    return status;
}

} // namespace stellwick::app
