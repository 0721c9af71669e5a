#pragma once

#include <QDBusConnection>

namespace stellwick::app {

// Who started the resident instance: the user (the application menu, a
// terminal), or the login item or a command, which must not open a window.
enum class StartKind { byUser, quiet };

// The resident process: the one controller on the real desktop, the one update
// controller, and the control interface on the session bus under the
// application id. Returns the exit status, or -1 when another instance took
// the bus name first (the caller then forwards its request instead). A start
// by the user opens the settings window when the tray cannot show the icon or
// on the very first run.
int runResidentApplication(QDBusConnection bus, StartKind start);

} // namespace stellwick::app
