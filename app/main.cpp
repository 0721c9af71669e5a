// Stellwick's entry point: one resident instance per session, reached over
// the session bus; later starts and the command line talk to it.

#include "BuildInfo.h"
#include "CommandLine.h"
#include "RemoteCommands.h"
#include "ResidentApplication.h"
#include "dbus/ControlClient.h"

#include <QApplication>
#include <QDBusConnection>

namespace {

// Without a display (a server, a CI machine) Qt would abort: run windowless.
void chooseWindowSystem() {
    const bool haveDisplay =
        qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (!haveDisplay && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace

int main(int argc, char** argv) {
    chooseWindowSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("stellwick"));
    // No display name: Qt would append it to every window title, and the
    // titles already name the application ("Stellwick — 設定").
    QApplication::setApplicationVersion(QString::fromLatin1(stellwick::build::version));
    QApplication::setDesktopFileName(QString::fromLatin1(stellwick::build::appId));
    QApplication::setQuitOnLastWindowClosed(false);

    const stellwick::app::CommandLine line = stellwick::app::parseCommandLine(QApplication::arguments());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (line.isRequest())
        return stellwick::app::runRemoteCommands(line, bus);

    const stellwick::ControlClient client(bus);
    if (client.instanceIsRunning())
        return stellwick::app::showRunningInstance(bus);
    const int status = stellwick::app::runResidentApplication(bus);
    if (status == -1) // another instance started at the same moment
        return stellwick::app::showRunningInstance(bus);
    return status;
}
