#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdlib>

namespace stellwick::app {

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stellwick puts every application's windows back where they belong.\n"
                       "Without options it starts (or shows the running instance)."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption applyOption(
        QStringLiteral("apply"),
        QStringLiteral("Apply the selected profile in the running instance (starting one when none runs) and "
                       "print the resulting status line. Exit status 0 when it succeeded."));
    const QCommandLineOption profileOption(
        QStringLiteral("profile"),
        QStringLiteral("Select the profile with this name (it must be the only one so named) or id first."),
        QStringLiteral("name-or-id"));
    const QCommandLineOption statusOption(
        QStringLiteral("status"),
        QStringLiteral("Print the current status line and the profiles, * marking the "
                       "selected one."));
    const QCommandLineOption backgroundOption(
        QStringLiteral("background"),
        QStringLiteral("Start without opening any window (as at login); does nothing when Stellwick is "
                       "already running."));
    parser.addOptions({applyOption, profileOption, statusOption, backgroundOption});

    if (!parser.parse(arguments)) {
        QTextStream(stderr) << parser.errorText() << "\n" << parser.helpText();
        std::exit(2);
    }
    if (parser.isSet(helpOption))
        parser.showHelp(0);
    if (parser.isSet(versionOption))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        QTextStream(stderr) << "stellwick: unexpected argument: " << parser.positionalArguments().first()
                            << "\n";
        std::exit(2);
    }

    CommandLine line;
    line.apply = parser.isSet(applyOption);
    line.status = parser.isSet(statusOption);
    line.background = parser.isSet(backgroundOption);
    if (parser.isSet(profileOption))
        line.profile = parser.value(profileOption);
    return line;
}

} // namespace stellwick::app
