// The login item as an XDG autostart entry: what counts as enabled, the entry
// that registering writes (its Exec line must give back the program's path
// whatever characters it holds), and the failures a user can meet.

#include "controller/LoginItemManager.h"
#include "platform/PlatformError.h"
#include "platform/linux/XdgAutostart.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;
using test::ScratchFolder;

namespace {

// The Exec value as written in the file, before any unescaping.
QString rawExecValue(const QString& entryPath) {
    for (const QByteArray& line : test::readFile(entryPath).split('\n'))
        if (line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5));
    return {};
}

// What a launcher does with an Exec value: undo the string escapes, turn %%
// into %, then split the command line the way a shell splits double-quoted
// words (the format's quoting is a subset of the shell's).
QStringList launcherArguments(const QString& rawValue) {
    const QString escaped = QStringLiteral("sntr\\"), meant = QStringLiteral(" \n\t\r\\");
    QString value;
    for (qsizetype i = 0; i < rawValue.size(); ++i) {
        const qsizetype kind =
            i + 1 < rawValue.size() && rawValue[i] == QLatin1Char('\\') ? escaped.indexOf(rawValue[++i]) : -2;
        if (kind == -1)
            return {QStringLiteral("<unknown escape>")};
        value += kind == -2 ? rawValue[i] : meant[kind];
    }
    value.replace(QStringLiteral("%%"), QStringLiteral("%"));
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf '%s\\0' ") + value});
    if (!shell.waitForFinished(10'000) || shell.exitCode() != 0)
        return {QStringLiteral("<shell failed>")};
    QStringList arguments;
    for (const QByteArray& argument : shell.readAllStandardOutput().split('\0'))
        arguments << QFile::decodeName(argument);
    arguments.removeLast(); // after the final NUL
    return arguments;
}

} // namespace

class XdgAutostartTest : public QObject {
    Q_OBJECT

private slots:
    void theExecLineGivesBackTheProgramPath() {
        const QString program =
            QStringLiteral("/opt/My Apps/say \"hi\"/it's/100%/a%%b%f/$HOME/`id`/back\\slash\\\\/"
                           "a;b&c|d<e>f~g*h?i#j(k)l/ユーザー/tab\there/new\nline/x\\");
        ScratchFolder folder;
        XdgAutostartLoginItems items(folder.path(QStringLiteral("autostart")), program);
        items.registerItem();
        QCOMPARE(launcherArguments(rawExecValue(items.entryPath())),
                 (QStringList{program, QStringLiteral("--background")}));
    }

    void switchingOnAndOffThroughTheManager() {
        ScratchFolder folder;
        const QString autostart = folder.path(QStringLiteral("config/autostart"));
        XdgAutostartLoginItems items(autostart, QStringLiteral("/usr/bin/stellwick"));
        LoginItemManager manager(items);

        // Entries the desktop's own settings turned off count as off, and are replaced.
        const QByteArray head = "[Desktop Entry]\nExec=/old/path\n";
        test::writeFile(items.entryPath(), head + "[Desktop Action x]\nHidden=true\n");
        QVERIFY(manager.isEnabled());
        test::writeFile(items.entryPath(), head + "Hidden = true\n");
        QVERIFY(!manager.isEnabled());
        manager.setEnabled(true);
        QVERIFY(manager.isEnabled());
        QCOMPARE(rawExecValue(items.entryPath()), QStringLiteral("/usr/bin/stellwick --background"));
        // Nothing but the entry: the atomic write left no temporary file.
        QCOMPARE(QDir(autostart).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);

        manager.setEnabled(false);
        QVERIFY(!manager.isEnabled() && !QFileInfo::exists(items.entryPath()));

        // A file where a parent folder should be (a failure for every user,
        // root included): a readable error, and the switch stays off.
        QDir(folder.path(QStringLiteral("config"))).removeRecursively();
        test::writeFile(folder.path(QStringLiteral("config")), "not a folder");
        QString message;
        try {
            manager.setEnabled(true);
        } catch (const PlatformError& error) {
            message = error.localizedDescription();
        }
        QVERIFY2(message.contains(QStringLiteral("自動起動フォルダー ") + autostart), qPrintable(message));
        QVERIFY(!manager.isEnabled());
    }

    // An entry of an earlier version starts this program without arguments,
    // which would open a window at login: it gets the quiet start option and
    // keeps everything else. Entries that are not plainly ours stay as they are.
    void earlierEntriesOfThisProgramGetTheQuietStartOption() {
        ScratchFolder folder;
        XdgAutostartLoginItems items(folder.path(QStringLiteral("autostart")),
                                     QStringLiteral("/opt/my apps/sw"));
        const QByteArray earlier = "# kept\n[Desktop Entry]\nName=Stellwick\nExec = \"/opt/my apps/sw\"\n"
                                   "X-GNOME-Autostart-Delay=5\n[Desktop Action x]\nExec=other\n";
        test::writeFile(items.entryPath(), earlier);
        items.addQuietStartOption();
        QCOMPARE(test::readFile(items.entryPath()),
                 QByteArray(earlier).replace(" = \"/opt/my apps/sw\"", "=\"/opt/my apps/sw\" --background"));

        for (const QByteArray& other : {QByteArray("[Desktop Entry]\nExec=/usr/bin/sw\n"),
                                        QByteArray("[Desktop Entry]\nExec=\"/opt/my apps/sw\" --apply\n")}) {
            test::writeFile(items.entryPath(), other);
            items.addQuietStartOption();
            QCOMPARE(test::readFile(items.entryPath()), other);
        }
        // A link (a shared entry, say) is not replaced by a file of our own.
        const QString shared = folder.path(QStringLiteral("shared.desktop"));
        test::writeFile(shared, earlier);
        QFile::remove(items.entryPath());
        QVERIFY(QFile::link(shared, items.entryPath()));
        items.addQuietStartOption();
        QVERIFY(QFileInfo(items.entryPath()).isSymLink());
        QCOMPARE(test::readFile(shared), earlier);
    }
};

QTEST_GUILESS_MAIN(XdgAutostartTest)
#include "tst_xdgautostart.moc"
