#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace stellwick::app {

// What the command line asks for.
struct CommandLine {
    bool apply = false;
    std::optional<QString> profile; // name or id
    bool status = false;
    // A quiet start (the login item, a start for a command): no window opens.
    bool background = false;

    // Something to ask of the running instance rather than a plain start.
    bool isRequest() const { return apply || profile || status; }
};

// Parses the arguments; --help and --version print and exit here, and so does
// a usage error (with status 2 and the reason on stderr).
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace stellwick::app
