// The stellwick executable on a private desktop and session bus: one resident
// instance, its control interface, the command line, and registering and
// restoring a real client's window through the settings window.

#include "AtSpi.h"
#include "X11TestSupport.h"
#include "dbus/ControlNames.h"
#include "model/LayoutJson.h"
#include "model/Uuid.h"
#include "support/TestFiles.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QProcess>
#include <QRegularExpression>
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

// The output of a shell command line run to its end.
QString shell(const QString& commandLine) {
    QProcess process;
    process.start(QStringLiteral("sh"), {QStringLiteral("-c"), commandLine});
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The outer frame of a client window, measured with the X tools: the client
// area from xwininfo widened by the window manager's frame extents.
std::optional<Rect> outerFrame(const QString& window) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("X: +(-?\\d+).*?Y: +(-?\\d+).*?Width: (\\d+).*?Height: (\\d+).*?"
                                          "IsViewable.*= (\\d+), (\\d+), (\\d+), (\\d+)"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(shell(QStringLiteral("xwininfo -id %1; xprop -id %1 _NET_FRAME_EXTENTS").arg(window)));
    const auto n = [&](int i) { return m.captured(i).toDouble(); };
    return m.hasMatch()
               ? std::optional(Rect{n(1) - n(5), n(2) - n(7), n(3) + n(5) + n(6), n(4) + n(7) + n(8)})
               : std::nullopt;
}

bool near(const Rect& a, const Rect& b, double tolerance) {
    return qAbs(a.x - b.x) <= tolerance && qAbs(a.y - b.y) <= tolerance &&
           qAbs(a.width - b.width) <= tolerance && qAbs(a.height - b.height) <= tolerance;
}

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

    ScratchFolder m_home;
    QProcess m_resident;
    TestClient m_client;
    std::uint32_t m_window = 0;
    AtSpi m_accessibility;

    QString settingsPath() const {
        return m_home.path(QStringLiteral("data/org.stellwick.Stellwick/profiles.json"));
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path(QStringLiteral("runtime")));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // Its widgets on the accessibility bus, where the test finds its controls.
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        return env;
    }

    Output run(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment());
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
        QVERIFY2(m_accessibility.start(), "needs at-spi2-core");
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

    void propertiesAnnounceTheirChanges() {
        Announcements announcements;
        QDBusInterface c = control();
        const bool before = property("ApplyOnDisplayChangeEnabled").toBool();
        c.call(QStringLiteral("SetApplyOnDisplayChangeEnabled"), !before);
        // An announcement of the previous test's changes may still be on its way.
        QTRY_VERIFY_WITH_TIMEOUT(announcements.last.contains(QStringLiteral("ApplyOnDisplayChangeEnabled")),
                                 10000);
        QCOMPARE(announcements.last.value(QStringLiteral("ApplyOnDisplayChangeEnabled")), QVariant(!before));
        QVERIFY(announcements.last.value(QStringLiteral("StatusMessage"))
                    .toString()
                    .startsWith(QStringLiteral("ディスプレイ変更時の自動適用を")));
        QCOMPARE(property("ApplyOnDisplayChangeEnabled").toBool(), !before);
    }

    void aClickedWindowIsRegisteredAndRestoredThroughTheSettingsWindow() {
        // A client this project did not write, on the RIGHT monitor.
        QProcess clock;
        clock.start(QStringLiteral("xclock"),
                    {QStringLiteral("-geometry"), QStringLiteral("240x200+1700+300")});
        QVERIFY(clock.waitForStarted());
        const QString window = shell(QStringLiteral("xdotool search --sync --class XClock | head -n 1"));
        QTRY_VERIFY_WITH_TIMEOUT(outerFrame(window), 10000);
        const Rect clicked = *outerFrame(window);
        const auto press = [&](const QString& button) {
            return m_accessibility.press(uint(m_resident.processId()), button);
        };

        QCOMPARE(control().call(QStringLiteral("Show")).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(press(QStringLiteral("ウィンドウを選択")), 15000);
        QTRY_VERIFY(property("StatusMessage").toString().startsWith(QStringLiteral("ウィンドウを選択中")));
        shell(QStringLiteral("xdotool mousemove %1 %2 click 1")
                  .arg(clicked.center().x)
                  .arg(clicked.center().y));
        QTRY_VERIFY_WITH_TIMEOUT(press(QStringLiteral("プロファイルに保存")), 15000);

        // The placement holds the clock's identity and its frame as fractions of RIGHT.
        std::optional<AppPlacement> saved;
        QTRY_VERIFY([&] {
            const std::optional<LayoutProfile> profile =
                decodeState(readFile(settingsPath()))->selectedProfile();
            for (const AppPlacement& p : profile->placements)
                if (p.bundleIdentifier == QStringLiteral("XClock"))
                    saved = p;
            return saved.has_value();
        }());
        QCOMPARE(saved->display.name, std::optional(QStringLiteral("RIGHT")));
        const NormalizedFrame f = saved->frame;
        const Rect stored{1280 + f.x * 1280, f.y * 1080, f.width * 1280, f.height * 1080};
        QVERIFY2(near(stored, clicked, 0.01),
                 qPrintable(stored.describe() + QStringLiteral(" / ") + clicked.describe()));

        // Moved away, then back with "今すぐ復元".
        shell(QStringLiteral("xdotool windowmove %1 200 600").arg(window));
        QTRY_VERIFY(outerFrame(window) && !near(*outerFrame(window), clicked, 100));
        QVERIFY(press(QStringLiteral("今すぐ復元")));
        QTRY_VERIFY2(near(*outerFrame(window), clicked, 3), qPrintable(outerFrame(window)->describe()));
        clock.terminate();
        clock.waitForFinished(5000);
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

    void withoutADisplayItStartsAndSaysWhyItCannotWork() {
        QProcessEnvironment headless = environment();
        headless.remove(QStringLiteral("DISPLAY"));
        QDBusServiceWatcher watcher(control::serviceName(), QDBusConnection::sessionBus(),
                                    QDBusServiceWatcher::WatchForRegistration);
        Waiter registered;
        connect(&watcher, &QDBusServiceWatcher::serviceRegistered, this, [&] { registered.fire(); });
        QProcess resident;
        resident.setProcessEnvironment(headless);
        resident.start(QStringLiteral(STELLWICK_BINARY), {});
        QVERIFY(registered.wait(20000));

        QCOMPARE(property("IsTrusted"), QVariant(false));
        QCOMPARE(property("StatusMessage").toString(),
                 QStringLiteral(
                     "アクセシビリティ権限が必要です: 保存と復元を利用するには権限を許可してください。"));
        control().call(QStringLiteral("Quit"));
        QVERIFY(resident.waitForFinished(20000));
        QCOMPARE(resident.exitCode(), 0);
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
