// Stellwick's entry point: one resident instance per session, reached over
// the session bus; later starts and the command line talk to it.

#include "BuildInfo.h"
#include "CommandLine.h"
#include "RemoteCommands.h"
#include "ResidentApplication.h"
#include "dbus/ControlClient.h"
#include "platform/x11/DisplayProbe.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTextStream>

namespace {

void setIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("stellwick"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(stellwick::build::version));
}

// The resident instance picks its window system before Qt does, so that an
// unset, empty or stale DISPLAY, or a Wayland session without X11, never
// aborts the start: X11 when a display actually opens, else windowless, and
// the permission status and the help page explain what is missing.
void chooseWindowSystem() {
    const QByteArray requested = qgetenv("QT_QPA_PLATFORM");
    if (requested == "offscreen" || requested == "minimal")
        return;
    const stellwick::x11::DisplayProbe display = stellwick::x11::DisplayProbe::run();
    if (display.available) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTextStream(stderr) << "stellwick: running without window access: " << display.reason << "\n";
}

} // namespace

int main(int argc, char** argv) {
    setIdentity();

    // Requests to the running instance (--status, --apply, --profile) and
    // --help/--version are pure session-bus clients: no GUI platform, so they
    // work over SSH, from cron or a user service, and start fast.
    // What is left (none, --background) starts the resident instance.
    bool background = false;
    if (argc > 1) {
        const QCoreApplication client(argc, argv);
        const stellwick::app::CommandLine line =
            stellwick::app::parseCommandLine(QCoreApplication::arguments());
        if (line.isRequest())
            return stellwick::app::runRemoteCommands(line, QDBusConnection::sessionBus());
        background = line.background;
    }

    chooseWindowSystem();
    QApplication app(argc, argv);
    // No display name: Qt would append it to every window title, and the
    // titles already name the application ("Stellwick — 設定").
    QApplication::setDesktopFileName(QString::fromLatin1(stellwick::build::appId));
    QApplication::setQuitOnLastWindowClosed(false);

    QDBusConnection bus = QDBusConnection::sessionBus();
    const stellwick::ControlClient client(bus);
    // A start by the user shows the running instance; a quiet one leaves it be.
    const auto forward = [&] { return background ? 0 : stellwick::app::showRunningInstance(bus); };
    if (client.instanceIsRunning())
        return forward();
    const int status = stellwick::app::runResidentApplication(
        bus, background ? stellwick::app::StartKind::quiet : stellwick::app::StartKind::byUser);
    if (status == -1) // another instance started at the same moment
        return forward();
    return status;
}
