// The stellwick executable on a private desktop and session bus: one resident
// instance, its control interface, and the command line.

#include "X11TestSupport.h"
#include "dbus/ControlNames.h"
#include "model/LayoutJson.h"
#include "model/Uuid.h"
#include "platform/x11/X11Desktop.h"
#include "support/FakeNotificationDaemon.h"
#include "support/TestFiles.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const QString editorClass = QStringLiteral("StellwickTestEditor");

struct Output {
    int exitCode = -1;
    QString out;
    QString err;
};

// Collects the control object's PropertiesChanged announcements.
class Announcements : public QObject {
    Q_OBJECT
public:
    Announcements() {
        QDBusConnection::sessionBus().connect(
            control::serviceName(), control::objectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"), this, SLOT(changed(QString, QVariantMap, QStringList)));
    }
    QVariantMap last;
    Waiter arrived;

public slots:
    void changed(const QString&, const QVariantMap& properties, const QStringList&) {
        last = properties;
        arrived.fire();
    }
};

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

    ScratchFolder m_home;
    QProcess m_resident;
    TestClient m_client;
    std::uint32_t m_window = 0;

    QString settingsPath() const {
        return m_home.path(QStringLiteral("data/org.stellwick.Stellwick/profiles.json"));
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path(QStringLiteral("runtime")));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return env;
    }

    Output run(const QStringList& arguments) { return run(arguments, environment()); }

    // Exit code -1: the process died of a signal (an abort, a crash).
    Output run(const QStringList& arguments, const QProcessEnvironment& env) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(STELLWICK_BINARY), arguments);
        if (!process.waitForFinished(60000))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QDBusInterface control() const {
        return QDBusInterface(control::serviceName(), control::objectPath(), control::interfaceName(),
                              QDBusConnection::sessionBus());
    }

    QVariant property(const char* name) const { return control().property(name); }

    static bool isRegistered() {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(control::serviceName()).value();
    }

    uint nameOwnerPid() const {
        return QDBusConnection::sessionBus().interface()->servicePid(control::serviceName()).value();
    }

    static StellwickState seededState() {
        StellwickState state = StellwickState::initialState(Date{});
        state.profiles[0].name = QStringLiteral("作業");
        state.profiles[0].placements.append(
            AppPlacement{editorClass, editorClass, DisplayReference{0, QStringLiteral("LEFT"), std::nullopt},
                         NormalizedFrame{0, 0, 0.5, 1}, false, std::nullopt});
        LayoutProfile home1 = LayoutProfile::make(QStringLiteral("家"), Date{});
        LayoutProfile home2 = LayoutProfile::make(QStringLiteral("家"), Date{});
        state.profiles.append(home1);
        state.profiles.append(home2);
        return state;
    }

private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a private session bus");
        QDir().mkpath(m_home.path(QStringLiteral("runtime")));
        ::chmod(QFile::encodeName(m_home.path(QStringLiteral("runtime"))).constData(), 0700);
        writeFile(settingsPath(), *encodeState(seededState()));

        m_window = m_client.open(QStringLiteral("class=%1 x=700 y=500 w=400 h=300 title=%2")
                                     .arg(editorClass, encoded(QStringLiteral("メモ"))));
        QVERIFY(m_window != 0);

        QDBusServiceWatcher watcher(control::serviceName(), QDBusConnection::sessionBus(),
                                    QDBusServiceWatcher::WatchForRegistration);
        Waiter registered;
        connect(&watcher, &QDBusServiceWatcher::serviceRegistered, this, [&] { registered.fire(); });
        m_resident.setProcessEnvironment(environment());
        m_resident.setProcessChannelMode(QProcess::ForwardedChannels);
        m_resident.start(QStringLiteral(STELLWICK_BINARY), {});
        QVERIFY(m_resident.waitForStarted());
        QVERIFY(registered.wait(20000));
        QCOMPARE(nameOwnerPid(), uint(m_resident.processId()));
    }

    void aSecondStartForwardsAndExits() {
        const Output second = run({});
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(nameOwnerPid(), uint(m_resident.processId()));
        QCOMPARE(m_resident.state(), QProcess::Running);
    }

    void theStatusListsTheProfilesAndMarksTheSelectedOne() {
        const Output status = run({QStringLiteral("--status")});
        QCOMPARE(status.exitCode, 0);
        const QStringList lines = status.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("準備完了: プロファイルを選択して配置を復元できます。"));
        QVERIFY(lines[1].startsWith(QStringLiteral("* 作業  (1個のアプリ)  ")));
        QVERIFY(lines[2].startsWith(QStringLiteral("  家  (0個のアプリ)  ")));
    }

    void underWaylandTheStatusSaysWhatItCanArrange() {
        QProcessEnvironment wayland = environment();
        wayland.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
        const QStringList lines =
            run({QStringLiteral("--status")}, wayland).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[1], x11::X11Desktop::sessionNotice(wayland));
        QVERIFY(lines[1].contains(QStringLiteral("XWayland")));
    }

    void applyMovesTheRegisteredWindowAndPrintsTheStatusLine() {
        const Output applied = run({QStringLiteral("--apply")});
        QCOMPARE(applied.out, QStringLiteral("「作業」を復元しました: 1個を配置・0個をスキップ\n"));
        QCOMPARE(applied.exitCode, 0);
        // The left half of the LEFT monitor, 1280 × 1080 at the origin.
        const Rect frame = *m_client.frame(m_window);
        QVERIFY2(qAbs(frame.x) <= 3 && qAbs(frame.y) <= 3 && qAbs(frame.width - 640) <= 3 &&
                     qAbs(frame.height - 1080) <= 3,
                 qPrintable(frame.describe()));
        QCOMPARE(property("StatusKind").toString(), QStringLiteral("success"));
    }

    // Unplugging a monitor and plugging it back are two bursts of display
    // changes, each applied once (every apply posts one notification).
    void everyBurstOfDisplayChangesApplies() {
        FakeNotificationDaemon daemon;
        control().call(QStringLiteral("SetApplyOnDisplayChangeEnabled"), true);
        const QStringList right{QStringLiteral("RIGHT"), QStringLiteral("1280/338x1080/285+1280+0"),
                                QStringLiteral("none")};
        QCOMPARE(runTool(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), right[0]}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), std::size_t(1), 10000);
        QCOMPARE(runTool(QStringLiteral("xrandr"), QStringList{QStringLiteral("--setmonitor")} + right), 0);
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), std::size_t(2), 10000);
        QCOMPARE(daemon.calls.back().summary, QStringLiteral("「作業」を復元しました"));
    }

    void profilesAreChosenByUniqueNameOrId() {
        const Output ambiguous =
            run({QStringLiteral("--profile"), QStringLiteral("家"), QStringLiteral("--apply")});
        QCOMPARE(ambiguous.exitCode, 1);
        QVERIFY2(ambiguous.err.contains(
                     QStringLiteral("「家」という名前のプロファイルが2個あります。IDで指定してください。")),
                 qPrintable(ambiguous.err));
        QVERIFY(ambiguous.out.isEmpty());

        const Output unknown = run({QStringLiteral("--profile"), QStringLiteral("旅")});
        QCOMPARE(unknown.exitCode, 1);
        QVERIFY(unknown.err.contains(QStringLiteral("プロファイル「旅」が見つかりません。")));

        const QString home = canonicalUuidString(decodeState(readFile(settingsPath()))->profiles[1].id);
        const Output chosen = run({QStringLiteral("--profile"), home.toLower(), QStringLiteral("--apply")});
        QCOMPARE(chosen.out, QStringLiteral("「家」を復元しました: 0個を配置・0個をスキップ\n"));
        QCOMPARE(property("SelectedProfileID").toString(), home);
        QCOMPARE(decodeState(readFile(settingsPath()))->selectedProfileID, *parseCanonicalUuid(home));
    }

    void methodsReachTheControllerAndRefuseBadIds() {
        QDBusInterface c = control();
        QCOMPARE(c.call(QStringLiteral("CreateProfile"), QStringLiteral("夜")).type(),
                 QDBusMessage::ReplyMessage);
        QCOMPARE(decodeState(readFile(settingsPath()))->profiles.last().name, QStringLiteral("夜"));
        QCOMPARE(property("StatusMessage").toString(), QStringLiteral("夜を作成しました。"));

        const QByteArray before = readFile(settingsPath());
        const QDBusMessage malformed = c.call(QStringLiteral("DeleteProfile"), QStringLiteral("夜"));
        QCOMPARE(malformed.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(malformed.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        QVERIFY(!malformed.errorMessage().isEmpty());
        const QDBusMessage unknown =
            c.call(QStringLiteral("SelectProfile"), canonicalUuidString(QUuid::createUuid()));
        QCOMPARE(unknown.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(readFile(settingsPath()), before);

        // Down to the last profile, which cannot go.
        const StellwickState current = *decodeState(readFile(settingsPath()));
        for (const LayoutProfile& profile : current.profiles)
            c.call(QStringLiteral("DeleteProfile"), canonicalUuidString(profile.id));
        QCOMPARE(decodeState(readFile(settingsPath()))->profiles.size(), 1);
        QCOMPARE(property("StatusMessage").toString(),
                 QStringLiteral("最後のプロファイルは削除できません。"));
    }

    // Any session process can name a profile: its escapes must not reach the terminal.
    void theStatusPrintsControlCharactersEscaped() {
        control().call(QStringLiteral("CreateProfile"), QStringLiteral("\x1b]0;owned\x07赤\u202eい"));
        const Output status = run({QStringLiteral("--status")});
        QCOMPARE(status.exitCode, 0);
        QVERIFY2(status.out.contains(QStringLiteral("* \\x1b]0;owned\\x07赤\\u202eい  (0個のアプリ)")),
                 qPrintable(status.out));
        QVERIFY(!status.out.contains(QChar(0x1b)) && !status.out.contains(QChar(0x202e)));
    }

    void propertiesAnnounceTheirChanges() {
        Announcements announcements;
        QDBusInterface c = control();
        const bool before = property("ApplyOnDisplayChangeEnabled").toBool();
        c.call(QStringLiteral("SetApplyOnDisplayChangeEnabled"), !before);
        QVERIFY(announcements.arrived.wait(10000));
        QCOMPARE(announcements.last.value(QStringLiteral("ApplyOnDisplayChangeEnabled")), QVariant(!before));
        QVERIFY(announcements.last.value(QStringLiteral("StatusMessage"))
                    .toString()
                    .startsWith(QStringLiteral("ディスプレイ変更時の自動適用を")));
        QCOMPARE(property("ApplyOnDisplayChangeEnabled").toBool(), !before);
    }

    void terminationIsClean() {
        QVERIFY(::kill(static_cast<pid_t>(m_resident.processId()), SIGTERM) == 0);
        QVERIFY(m_resident.waitForFinished(20000));
        QCOMPARE(m_resident.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_resident.exitCode(), 0);
        QVERIFY(
            !QDBusConnection::sessionBus().interface()->isServiceRegistered(control::serviceName()).value());

        const Output status = run({QStringLiteral("--status")});
        QCOMPARE(status.exitCode, 1);
        QVERIFY(status.err.contains(QStringLiteral("Stellwick は起動していません。")));
    }

    // Wherever it is started, it never aborts: the client modes need no display
    // at all, and a resident instance without a usable X11 display stays useful
    // over the bus, says why it cannot move windows, and ends on Quit().
    void everyEnvironmentStartsWithoutAborting_data() {
        QTest::addColumn<QString>("display"); // "-" for unset
        QTest::addColumn<QString>("wayland"); // WAYLAND_DISPLAY, "" for unset
        QTest::addColumn<bool>("trusted");
        QTest::newRow("unset") << "-"
                               << "" << false;
        QTest::newRow("empty") << ""
                               << "" << false;
        QTest::newRow("unreachable") << ":77"
                                     << "" << false;
        QTest::newRow("wayland only") << "-"
                                      << "wayland-0" << false;
        QTest::newRow("live display") << QString::fromLocal8Bit(qgetenv("DISPLAY")) << "" << true;
    }

    void everyEnvironmentStartsWithoutAborting() {
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QFETCH(bool, trusted);
        QProcessEnvironment env = environment();
        if (display == QLatin1String("-"))
            env.remove(QStringLiteral("DISPLAY"));
        else
            env.insert(QStringLiteral("DISPLAY"), display);
        if (!wayland.isEmpty())
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland);
        QVERIFY(!isRegistered());

        const Output status = run({QStringLiteral("--status")}, env);
        QCOMPARE(status.exitCode, 1);
        QCOMPARE(status.err, QStringLiteral("stellwick: Stellwick は起動していません。\n"));

        // Starts the resident instance, which answers with its status line.
        const Output applied = run({QStringLiteral("--apply")}, env);
        QVERIFY2(applied.exitCode == 0 || applied.exitCode == 1, qPrintable(applied.err));
        QVERIFY(isRegistered());
        QCOMPARE(property("IsTrusted").toBool(), trusted);
        if (!trusted) {
            QCOMPARE(applied.exitCode, 1);
            QCOMPARE(applied.out, QStringLiteral("アクセシビリティ権限が必要です\n"));
        }
        QCOMPARE(run({QStringLiteral("--status")}, env).exitCode, 0);
        QCOMPARE(run({}, env).exitCode, 0); // a plain start shows the running instance

        control().call(QStringLiteral("Quit"));
        QTRY_VERIFY_WITH_TIMEOUT(!isRegistered(), 20000);
    }

    void theCommandLineHelpsAndTellsItsVersion() {
        const Output help = run({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        for (const char* option : {"--apply", "--profile", "--status", "--version", "--help"})
            QVERIFY2(help.out.contains(QLatin1String(option)), option);
        const Output version = run({QStringLiteral("--version")});
        QCOMPARE(version.out.trimmed(), QStringLiteral("stellwick " STELLWICK_VERSION));
        QCOMPARE(run({QStringLiteral("--bogus")}).exitCode, 2);
    }

    void cleanupTestCase() {
        if (m_resident.state() == QProcess::Running) {
            m_resident.terminate();
            m_resident.waitForFinished(10000);
        }
    }
};

QTEST_MAIN(ApplicationTest)
#include "tst_application.moc"
