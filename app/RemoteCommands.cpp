#include "RemoteCommands.h"

#include "dbus/ControlClient.h"
#include "dbus/TerminalText.h"
#include "platform/x11/X11Desktop.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>

namespace stellwick::app {
namespace {

constexpr int startTimeoutMs = 15000;
// An apply moves every window with verification; give it time.
constexpr int applyTimeoutMs = 180000;

// Everything printed may carry text that another process set over the bus
// (profile names, window titles): escaped, so it cannot drive the terminal.
int fail(const QString& message) {
    QTextStream(stderr) << "stellwick: " << escapedForTerminal(message) << "\n";
    return 1;
}

bool startInstance(const ControlClient& client) {
    if (client.instanceIsRunning())
        return true;
    // The resident instance must not hold on to this command's terminal or
    // pipes: a caller reading our output would wait for it forever.
    QProcess resident;
    resident.setProgram(QCoreApplication::applicationFilePath());
    // Started for a command, not by the user's hand: no window.
    resident.setArguments({QStringLiteral("--background")});
    resident.setStandardInputFile(QProcess::nullDevice());
    resident.setStandardOutputFile(QProcess::nullDevice());
    resident.setStandardErrorFile(QProcess::nullDevice());
    if (!resident.startDetached())
        return false;
    return client.waitForInstance(startTimeoutMs);
}

int printStatus(const ControlClient& client) {
    const std::optional<QVariant> message = client.property(QStringLiteral("StatusMessage"));
    const std::optional<QVariant> selected = client.property(QStringLiteral("SelectedProfileID"));
    const std::optional<ProfileSummaryList> profiles = client.profiles();
    if (!message || !selected || !profiles)
        return fail(QStringLiteral("Stellwick から状態を取得できませんでした。"));
    QTextStream out(stdout);
    out << escapedForTerminal(message->toString()) << "\n";
    if (const QString notice = x11::X11Desktop::sessionNotice(); !notice.isEmpty())
        out << notice << "\n";
    for (const ProfileSummary& profile : *profiles) {
        const bool isSelected = profile.id == selected->toString();
        out << (isSelected ? "* " : "  ") << escapedForTerminal(profile.name) << "  ("
            << profile.placementCount << "個のアプリ)  " << escapedForTerminal(profile.id) << "\n";
    }
    return 0;
}

} // namespace

int showRunningInstance(QDBusConnection bus) {
    const ControlClient::Reply reply = ControlClient(bus).call(QStringLiteral("Show"));
    return reply.ok ? 0 : fail(reply.error);
}

int runRemoteCommands(const CommandLine& line, QDBusConnection bus) {
    if (!bus.isConnected())
        return fail(QStringLiteral("セッションバスに接続できません。"));
    const ControlClient client(bus);

    if (line.status && !line.apply && !line.profile) {
        if (!client.instanceIsRunning())
            return fail(QStringLiteral("Stellwick は起動していません。"));
        return printStatus(client);
    }

    if (!startInstance(client))
        return fail(QStringLiteral("Stellwick を起動できませんでした。"));

    if (line.profile) {
        const std::optional<ProfileSummaryList> profiles = client.profiles();
        if (!profiles)
            return fail(QStringLiteral("プロファイルの一覧を取得できませんでした。"));
        const ProfileMatch match = matchProfile(*profiles, *line.profile);
        if (!match.profile)
            return fail(match.error);
        const ControlClient::Reply selected =
            client.call(QStringLiteral("SelectProfile"), {match.profile->id});
        if (!selected.ok)
            return fail(selected.error);
        if (!line.apply && !line.status)
            QTextStream(stdout) << "プロファイル「" << escapedForTerminal(match.profile->name)
                                << "」を選択しました。\n";
    }

    int status = 0;
    if (line.apply) {
        const ControlClient::Reply reply =
            client.call(QStringLiteral("RestoreSelectedProfile"), {}, applyTimeoutMs);
        if (!reply.ok || reply.values.size() != 3)
            return fail(reply.ok ? QStringLiteral("Stellwick の応答が不正です。") : reply.error);
        if (!reply.values[0].toBool())
            return fail(QStringLiteral("別の配置の復元が実行中です。終わってからもう一度お試しください。"));
        QTextStream(stdout) << escapedForTerminal(reply.values[2].toString()) << "\n";
        status = reply.values[1].toString() == QLatin1String("success") ? 0 : 1;
    }
    if (line.status) {
        const int printed = printStatus(client);
        if (printed != 0)
            return printed;
    }
    return status;
}

} // namespace stellwick::app
