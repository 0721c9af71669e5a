// The login item as an XDG autostart entry: what counts as enabled, the entry
// that registering writes (its Exec line must give back the program's path
// whatever characters it holds), and the failures a user can meet.

#include "BuildInfo.h"
#include "controller/LoginItemManager.h"
#include "platform/PlatformError.h"
#include "platform/linux/XdgAutostart.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;
using test::ScratchFolder;

namespace {

const QString entryName = QLatin1String(build::appId) + QStringLiteral(".desktop");

// The Exec value as written in the file, before any unescaping.
QString rawExecValue(const QByteArray& contents) {
    for (const QByteArray& line : contents.split('\n'))
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
        return {
            QStringLiteral("<shell failed: %1>").arg(QString::fromLocal8Bit(shell.readAllStandardError()))};
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
    void theExecLineGivesBackTheProgramPath_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/stellwick");
        QTest::newRow("spaces and quotes") << QStringLiteral("/opt/My Apps/say \"hi\"/it's");
        QTest::newRow("percent") << QStringLiteral("/tmp/100%/a%%b%f");
        QTest::newRow("dollar and backtick") << QStringLiteral("/tmp/$HOME/${x}/`id`");
        QTest::newRow("backslash") << QStringLiteral("/tmp/back\\slash\\\\/x\\");
        QTest::newRow("shell characters") << QStringLiteral("/tmp/a;b&c|d<e>f~g*h?i#j(k)l");
        QTest::newRow("tab and newline") << QStringLiteral("/tmp/tab\there/new\nline");
        QTest::newRow("japanese") << QStringLiteral("/home/ユーザー/アプリ/stellwick");
        QTest::newRow("everything") << QStringLiteral("/tmp/%$\\\"`' \\$%%");
    }

    void theExecLineGivesBackTheProgramPath() {
        QFETCH(QString, program);
        ScratchFolder folder;
        XdgAutostartLoginItems items(folder.path(QStringLiteral("autostart")), program);
        items.registerItem();

        QCOMPARE(items.status(), LoginItemStatus::enabled);
        const QString exec = rawExecValue(test::readFile(items.entryPath()));
        QCOMPARE(launcherArguments(exec), (QStringList{program, QStringLiteral("--background")}));

        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
        QProcess validate;
        validate.start(validator, {items.entryPath()});
        QVERIFY(validate.waitForFinished(10'000));
        const QByteArray output = validate.readAllStandardOutput() + validate.readAllStandardError();
        QVERIFY2(validate.exitCode() == 0 && !output.contains("error"), output.constData());
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
        test::writeFile(items.entryPath(), head + "X-GNOME-Autostart-enabled=false\n");
        QVERIFY(!manager.isEnabled());
        manager.setEnabled(true);
        QVERIFY(manager.isEnabled());
        QCOMPARE(rawExecValue(test::readFile(items.entryPath())),
                 QStringLiteral("/usr/bin/stellwick --background"));
        // Nothing but the entry: the atomic write left no temporary file.
        QCOMPARE(QDir(autostart).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{entryName});

        manager.setEnabled(false);
        QVERIFY(!manager.isEnabled());
        QVERIFY(!QFileInfo::exists(items.entryPath()));
        items.unregisterItem(); // nothing left to remove

        // The folders are created when missing.
        QDir(folder.path(QStringLiteral("config"))).removeRecursively();
        manager.setEnabled(true);
        QVERIFY(manager.isEnabled());
    }

    // An entry of an earlier version starts this program without arguments,
    // which would open a window at login: it gets the quiet start option and
    // keeps everything else. Entries that are not plainly ours stay as they are.
    void earlierEntriesOfThisProgramGetTheQuietStartOption() {
        ScratchFolder folder;
        const QString program = QStringLiteral("/opt/my apps/stellwick");
        XdgAutostartLoginItems items(folder.path(QStringLiteral("autostart")), program);
        const QByteArray earlier =
            "# kept\n[Desktop Entry]\nName=Stellwick\nExec = \"/opt/my apps/stellwick\"\n"
            "X-GNOME-Autostart-Delay=5\n[Desktop Action x]\nExec=other\n";
        test::writeFile(items.entryPath(), earlier);
        items.addQuietStartOption();
        const QByteArray upgraded = test::readFile(items.entryPath());
        QCOMPARE(launcherArguments(rawExecValue(upgraded)),
                 (QStringList{program, QStringLiteral("--background")}));
        QCOMPARE(QByteArray(upgraded).replace(rawExecValue(upgraded).toUtf8(), "x"),
                 QByteArray(earlier).replace(" = \"/opt/my apps/stellwick\"", "=x"));
        QCOMPARE(items.status(), LoginItemStatus::enabled);

        for (const QByteArray& other :
             {QByteArray("[Desktop Entry]\nExec=/usr/bin/stellwick\n"),
              QByteArray("[Desktop Entry]\nExec=\"/opt/my apps/stellwick\" --apply\n")}) {
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

    void aFolderThatCannotBeMadeIsAReadableErrorAndLeavesTheSwitchOff() {
        ScratchFolder folder;
        // A file stands where the folder (or a parent of it) should be; this
        // fails for every user, root included.
        test::writeFile(folder.path(QStringLiteral("config")), "not a folder");
        for (const QString& autostart :
             {folder.path(QStringLiteral("config")), folder.path(QStringLiteral("config/autostart"))}) {
            XdgAutostartLoginItems items(autostart, QStringLiteral("/usr/bin/stellwick"));
            LoginItemManager manager(items);
            try {
                manager.setEnabled(true);
                QFAIL("registering succeeded");
            } catch (const PlatformError& error) {
                QVERIFY2(error.localizedDescription().contains(QStringLiteral("自動起動")),
                         qPrintable(error.localizedDescription()));
                QVERIFY(error.localizedDescription().contains(autostart));
            }
            QVERIFY(!manager.isEnabled());
        }
        QCOMPARE(test::readFile(folder.path(QStringLiteral("config"))), QByteArray("not a folder"));
    }
};

QTEST_GUILESS_MAIN(XdgAutostartTest)
#include "tst_xdgautostart.moc"
