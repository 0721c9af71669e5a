#pragma once

#include "CommandLine.h"

#include <QDBusConnection>

namespace stellwick::app {

// Carries out the command line's request in the running instance, starting
// one for --apply and --profile when none runs. Returns the exit status.
int runRemoteCommands(const CommandLine& line, QDBusConnection bus);

// Asks the running instance to show itself. Returns the exit status.
int showRunningInstance(QDBusConnection bus);

} // namespace stellwick::app
