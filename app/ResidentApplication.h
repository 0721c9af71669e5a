#pragma once

#include <QDBusConnection>

namespace stellwick::app {

// The resident process: the one controller on the real desktop, the one update
// controller, and the control interface on the session bus under the
// application id. Returns the exit status, or -1 when another instance took
// the bus name first (the caller then forwards its request instead).
int runResidentApplication(QDBusConnection bus);

} // namespace stellwick::app
