// The X server going away under the running application: it ends at once with
// status 1 and a message on stderr, without a crash or a core dump, and the
// settings file is left as it was. The test runs its own Xvfb so that it can
// kill it; run it inside a private session bus.

#include "dbus/ControlNames.h"
#include "model/LayoutJson.h"
#include "support/TestFiles.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>
#include <QtTest>
#include <sys/stat.h>

using namespace stellwick;
using namespace stellwick::test;

class XServerLossTest : public QObject {
    Q_OBJECT

    ScratchFolder m_home;

private slots:
    void losingTheServerEndsTheApplicationCleanly() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a private session bus");
        // A server of our own: Xvfb writes its display number once it listens.
        QProcess server;
        server.startCommand(QStringLiteral("Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp"));
        QVERIFY(server.waitForStarted());
        QByteArray number;
        QTRY_VERIFY_WITH_TIMEOUT((number += server.readAllStandardOutput()).endsWith('\n'), 10000);
        const QString display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());

        StellwickState state = StellwickState::initialState(Date{});
        state.profiles[0].name = QStringLiteral("作業");
        const QString settings = m_home.path(QStringLiteral("data/org.stellwick.Stellwick/profiles.json"));
        writeFile(settings, *encodeState(state));
        const QByteArray before = readFile(settings);
        QDir().mkpath(m_home.path(QStringLiteral("runtime")));
        ::chmod(QFile::encodeName(m_home.path(QStringLiteral("runtime"))).constData(), 0700);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path(QStringLiteral("runtime")));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        const auto registered = [] {
            return QDBusConnection::sessionBus()
                .interface()
                ->isServiceRegistered(control::serviceName())
                .value();
        };
        QProcess app;
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(STELLWICK_BINARY), {});
        QVERIFY(app.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(registered() || app.state() != QProcess::Running, 20000);
        QVERIFY2(registered(), app.readAllStandardError().constData());

        const QString lock = QStringLiteral("/tmp/.X%1-lock").arg(display.mid(1));
        const QByteArray serverPid = QByteArray::number(server.processId());
        server.kill();
        QVERIFY(server.waitForFinished(10000));
        // What the killed server left behind, so that no later server trips
        // over a dead socket of that number; unless another server has taken
        // the number since, whose files these are now.
        QFile lockFile(lock);
        if (lockFile.open(QIODevice::ReadOnly) && lockFile.readAll().trimmed() == serverPid) {
            QFile::remove(QStringLiteral("/tmp/.X11-unix/X%1").arg(display.mid(1)));
            QFile::remove(lock);
        }
        QVERIFY2(app.waitForFinished(20000), "still running without its X server");
        const QString err = QString::fromUtf8(app.readAllStandardError());
        qInfo("X server killed under the running application: exit status %d, stderr: %s", app.exitCode(),
              qPrintable(err.trimmed()));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit); // no signal, so no core dump
        QCOMPARE(app.exitCode(), 1);
        QVERIFY2(err.contains(QStringLiteral("X11 connection broke")), qPrintable(err));
        QCOMPARE(readFile(settings), before);
        QVERIFY(QDir(m_home.path(QStringLiteral("data/org.stellwick.Stellwick")))
                    .entryList(QDir::Files | QDir::Hidden)
                    .size() == 1);
    }
};

QTEST_GUILESS_MAIN(XServerLossTest)
#include "tst_xserverloss.moc"
