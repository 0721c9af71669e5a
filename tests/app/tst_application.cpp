// The stellwick executable on a private desktop and session bus: one resident
// instance, its control interface, the command line, and registering and
// restoring a real client's window through the settings window.

#include "AtSpi.h"
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

    // Runs xdotool with these arguments, split by the shell; its exit status.
    static int xdotool(const QString& arguments) {
        return runTool(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("xdotool ") + arguments});
    }

    // The windows `xdotool search` finds with these criteria.
    static QStringList search(const QString& criteria) {
        return shell(QStringLiteral("xdotool search ") + criteria)
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // The client area of a window in root coordinates, if it is viewable.
    static std::optional<QRect> viewableArea(const QString& window, QString* parent = nullptr) {
        const QString info = shell(QStringLiteral("xwininfo -children -stats -id ") + window);
        if (!info.contains(QStringLiteral("IsViewable")))
            return std::nullopt;
        const auto number = [&](const char* label) {
            return QRegularExpression(QLatin1String(label) + QStringLiteral(":\\s+(-?\\d+)"))
                .match(info)
                .captured(1)
                .toInt();
        };
        if (parent)
            *parent =
                QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)")).match(info).captured(1);
        return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                     number("Height"));
    }

    // The tray icon: a small window of ours (pop-ups carry no process id,
    // so by class) that the panel has taken in.
    static std::optional<QRect> embeddedTrayIcon() {
        const QString root = QRegularExpression(QStringLiteral("Window id: (0x[0-9a-f]+)"))
                                 .match(shell(QStringLiteral("xwininfo -root")))
                                 .captured(1);
        for (const QString& window : search(QStringLiteral("--classname '^stellwick$'"))) {
            QString parent;
            const std::optional<QRect> area = viewableArea(window, &parent);
            if (area && area->width() <= 64 && area->height() <= 64 && parent != root)
                return area;
        }
        return std::nullopt;
    }

    static bool panelIsOpen() {
        for (const QString& window : search(QStringLiteral("--classname '^stellwick$'")))
            if (const std::optional<QRect> area = viewableArea(window); area && area->width() == 296)
                return true;
        return false;
    }

    static std::optional<QRect> visibleWindowNamed(const QString& pattern) {
        const QStringList found = search(QStringLiteral("--onlyvisible --name '%1'").arg(pattern));
        return found.isEmpty() ? std::nullopt : viewableArea(found.first());
    }

    static std::optional<QRect> settingsWindow() {
        return visibleWindowNamed(QStringLiteral("^Stellwick — 設定$"));
    }

    static void closeSettingsWindow() {
        if (!settingsWindow())
            return;
        QCOMPARE(
            runTool(QStringLiteral("wmctrl"), {QStringLiteral("-c"), QStringLiteral("Stellwick — 設定")}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!settingsWindow(), 10000);
    }

    static StellwickState seededState() {
        StellwickState state = StellwickState::initialState(Date{});
        state.profiles[0].name = QStringLiteral("作業");
        state.profiles[0].placements.append(
            AppPlacement{editorClass, editorClass, DisplayReference{0, QStringLiteral("LEFT"), std::nullopt},
                         NormalizedFrame{0, 0, 0.5, 1}, false, std::nullopt});
        for (int twice = 0; twice < 2; ++twice)
            state.profiles.append(LayoutProfile::make(QStringLiteral("家"), Date{}));
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

        m_resident.setProcessEnvironment(environment());
        m_resident.setProcessChannelMode(QProcess::ForwardedChannels);
        m_resident.start(QStringLiteral(STELLWICK_BINARY), {});
        QVERIFY(m_resident.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(isRegistered(), 20000);
        QCOMPARE(nameOwnerPid(), uint(m_resident.processId()));
    }

    void aSecondStartForwardsAndExits() {
        const Output second = run({});
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(nameOwnerPid(), uint(m_resident.processId()));
        QCOMPARE(m_resident.state(), QProcess::Running);
        // ...which opens the settings window of the running one.
        QTRY_VERIFY_WITH_TIMEOUT(settingsWindow().has_value(), 10000);
    }

    // The profiles with the selected one marked; under Wayland first the
    // session notice, which says what can be arranged.
    void theStatusListsTheProfilesAndTheSessionNotice() {
        const Output status = run({QStringLiteral("--status")});
        QCOMPARE(status.exitCode, 0);
        const QStringList lines = status.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("準備完了: プロファイルを選択して配置を復元できます。"));
        QVERIFY(lines[1].startsWith(QStringLiteral("* 作業  (1個のアプリ)  ")));
        QVERIFY(lines[2].startsWith(QStringLiteral("  家  (0個のアプリ)  ")));

        QProcessEnvironment wayland = environment();
        wayland.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
        const QStringList notice =
            run({QStringLiteral("--status")}, wayland).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(notice.mid(2), lines.mid(1));
        QCOMPARE(notice[1], x11::X11Desktop::sessionNotice(wayland));
        QVERIFY(notice[1].contains(QStringLiteral("XWayland")));
    }

    void applyMovesTheRegisteredWindowAndPrintsTheStatusLine() {
        const Output applied = run({QStringLiteral("--apply")});
        QCOMPARE(applied.out, QStringLiteral("「作業」を復元しました: 1個を配置・0個をスキップ\n"));
        QCOMPARE(applied.exitCode, 0);
        // The left half of the LEFT monitor, 1280 × 1080 at the origin, below
        // the 30-pixel panel.
        const Rect frame = *m_client.frame(m_window);
        QVERIFY2(qAbs(frame.x) <= 3 && qAbs(frame.y - 30) <= 3 && qAbs(frame.width - 640) <= 3 &&
                     qAbs(frame.height - 1050) <= 3,
                 qPrintable(frame.describe()));
        QCOMPARE(property("StatusKind").toString(), QStringLiteral("success"));
    }

    // The names and texts of the match are the control client's; here, that
    // an ambiguous name changes nothing and an id chooses what is applied.
    void profilesAreChosenByUniqueNameOrId() {
        const Output ambiguous =
            run({QStringLiteral("--profile"), QStringLiteral("家"), QStringLiteral("--apply")});
        QCOMPARE(ambiguous.exitCode, 1);
        QVERIFY2(ambiguous.err.contains(
                     QStringLiteral("「家」という名前のプロファイルが2個あります。IDで指定してください。")),
                 qPrintable(ambiguous.err));
        QVERIFY(ambiguous.out.isEmpty());

        const QString home = canonicalUuidString(decodeState(readFile(settingsPath()))->profiles[1].id);
        const Output chosen = run({QStringLiteral("--profile"), home.toLower(), QStringLiteral("--apply")});
        QCOMPARE(chosen.out, QStringLiteral("「家」を復元しました: 0個を配置・0個をスキップ\n"));
        QCOMPARE(property("SelectedProfileID").toString(), home);
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

    // The tray icon embedded in the panel, the panel it opens, the settings
    // window opened from the panel and over the bus, a profile made there.
    void theTrayOpensThePanelAndTheSettingsWindowManagesProfiles() {
        std::optional<QRect> icon;
        QTRY_VERIFY_WITH_TIMEOUT((icon = embeddedTrayIcon()).has_value(), 20000);
        closeSettingsWindow(); // the second start opened it

        QCOMPARE(
            xdotool(
                QStringLiteral("mousemove %1 %2 click 1").arg(icon->center().x()).arg(icon->center().y())),
            0);
        QTRY_VERIFY_WITH_TIMEOUT(panelIsOpen(), 10000);
        // From the panel's own focus: up to the quit row, then "アップデートを確認…", "設定…".
        QCOMPARE(xdotool(QStringLiteral("key Up Up Up Return")), 0);
        QTRY_VERIFY_WITH_TIMEOUT(settingsWindow().has_value(), 10000);
        QVERIFY(!panelIsOpen());

        // "+" in the sidebar's footer, a name, Return: the file has the profile.
        const QRect window = *settingsWindow();
        QCOMPARE(
            xdotool(
                QStringLiteral("mousemove %1 %2 click 1").arg(window.left() + 22).arg(window.bottom() - 17)),
            0);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindowNamed(QStringLiteral("^新規プロファイル$")).has_value(), 10000);
        QCOMPARE(xdotool(QStringLiteral("type Evening; xdotool key Return")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(decodeState(readFile(settingsPath()))->profiles.last().name,
                                  QStringLiteral("Evening"), 10000);
        QCOMPARE(property("StatusMessage").toString(), QStringLiteral("Eveningを作成しました。"));

        // Closed, the window goes; Show() over the bus brings it back.
        closeSettingsWindow();
        QCOMPARE(control().call(QStringLiteral("Show")).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(settingsWindow().has_value(), 10000);
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
        QVERIFY(QTest::qWaitFor([&] { return press(QStringLiteral("ウィンドウを選択")); }, 15000));
        QTRY_VERIFY(property("StatusMessage").toString().startsWith(QStringLiteral("ウィンドウを選択中")));
        shell(QStringLiteral("xdotool mousemove %1 %2 click 1")
                  .arg(clicked.center().x)
                  .arg(clicked.center().y));
        QVERIFY(QTest::qWaitFor([&] { return press(QStringLiteral("プロファイルに保存")); }, 15000));

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
        // RIGHT's visible frame: its 1280 × 1080 below the panel's work area top.
        const double top =
            shell(QStringLiteral("xprop -root _NET_WORKAREA")).section(QLatin1Char(','), 1, 1).toDouble();
        const NormalizedFrame f = saved->frame;
        const Rect stored{1280 + f.x * 1280, top + f.y * (1080 - top), f.width * 1280,
                          f.height * (1080 - top)};
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

    // A storm of display changes is one burst too: one apply, a second after
    // the last change, and a later change makes another. After the tray tests:
    // a storm can leave the tray icon unembedded.
    void aStormOfDisplayChangesAppliesOnce() {
        FakeNotificationDaemon daemon;
        control().call(QStringLiteral("SetApplyOnDisplayChangeEnabled"), true);
        const QStringList right{QStringLiteral("RIGHT"), QStringLiteral("1280/338x1080/285+1280+0"),
                                QStringLiteral("none")};
        // 50 changes within 2 s (STELLWICK_STORMS=N storms in a row).
        const int storms = qMax(1, qEnvironmentVariableIntValue("STELLWICK_STORMS"));
        const QString storm = QStringLiteral("i=0; while [ $i -lt 25 ]; do xrandr --delmonitor %1 && "
                                             "xrandr --setmonitor %1 %2 %3 || exit 1; i=$((i + 1)); done")
                                  .arg(right[0], right[1], right[2]);
        for (int n = 0; n < storms; ++n) {
            const std::size_t before = daemon.calls.size();
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(runTool(QStringLiteral("sh"), {QStringLiteral("-c"), storm}), 0);
            const qint64 stormEnd = clock.elapsed();
            QVERIFY2(stormEnd < 2000, qPrintable(QString::number(stormEnd)));
            QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), before + 1, 10000);
            const qint64 applied = clock.elapsed() - stormEnd;
            QVERIFY2(applied >= 950 && applied < 3000, qPrintable(QString::number(applied)));
            qInfo("storm %d of 50 monitor changes in %lld ms: one apply, %lld ms after the last change",
                  n + 1, qlonglong(stormEnd), qlonglong(applied));
            QTest::qWait(2500);
            QCOMPARE(daemon.calls.size(), before + 1);
        }
        // A separate change later makes another.
        const std::size_t before = daemon.calls.size();
        QCOMPARE(runTool(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), right[0]}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), before + 1, 10000);
        QCOMPARE(runTool(QStringLiteral("xrandr"), QStringList{QStringLiteral("--setmonitor")} + right), 0);
        QTRY_COMPARE_WITH_TIMEOUT(daemon.calls.size(), before + 2, 10000);
    }

    void terminationIsClean() {
        QVERIFY(::kill(static_cast<pid_t>(m_resident.processId()), SIGTERM) == 0);
        QVERIFY(m_resident.waitForFinished(20000));
        QCOMPARE(m_resident.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_resident.exitCode(), 0);
        QVERIFY(!isRegistered());
    }

    // Wherever it is started, it never aborts: the client modes need no display
    // at all, and a resident instance without a usable X11 display stays useful
    // over the bus, says why it cannot move windows, and ends on Quit().
    void everyEnvironmentStartsWithoutAborting_data() {
        QTest::addColumn<QString>("display"); // "-" for unset
        QTest::addColumn<QString>("wayland"); // WAYLAND_DISPLAY, "" for unset
        QTest::newRow("unset") << "-" << QString();
        QTest::newRow("empty") << "" << QString();
        QTest::newRow("unreachable") << ":65535" << QString();
        QTest::newRow("wayland only") << "-"
                                      << "wayland-0";
    }

    void everyEnvironmentStartsWithoutAborting() {
        QFETCH(QString, display);
        QFETCH(QString, wayland);
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
        QCOMPARE(applied.exitCode, 1);
        QCOMPARE(applied.out, QStringLiteral("アクセシビリティ権限が必要です\n"));
        QVERIFY(isRegistered());
        QVERIFY(!property("IsTrusted").toBool());
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

    // --- Reaching Stellwick: starts that show themselves, quiet starts, a
    // tray host that comes later, notifications named after the application.
    // tst_application_without_tray runs the first of these on a desktop
    // without a panel; on the desktop with one it is skipped.

    static bool panelRuns() { return !search(QStringLiteral("--classname '^tint2$'")).isEmpty(); }

    // The settings window exists, shown or not yet.
    static bool settingsWindowExists() {
        return !search(QStringLiteral("--name '^Stellwick — 設定$'")).isEmpty();
    }

    void withoutATrayTheWindowOpensSaysHowToReturnAndTheIconFollowsAPanel() {
        if (panelRuns())
            QSKIP("needs a desktop without a tray host (tst_application_without_tray)");
        // initTestCase's plain start.
        QTRY_VERIFY_WITH_TIMEOUT(settingsWindow().has_value(), 20000);

        // The first close keeps the window and says how to come back; its button closes.
        const QStringList close{QStringLiteral("-c"), QStringLiteral("Stellwick — 設定")};
        QCOMPARE(runTool(QStringLiteral("wmctrl"), close), 0);
        // Pressed once: QTRY_VERIFY would press again to confirm, on a closed window.
        QVERIFY(QTest::qWaitFor(
            [&] {
                return m_accessibility.press(uint(m_resident.processId()),
                                             QStringLiteral("ウィンドウを閉じる"));
            },
            10000));
        QTRY_VERIFY_WITH_TIMEOUT(!settingsWindow(), 10000);
        // Said once: the next close closes.
        QCOMPARE(control().call(QStringLiteral("Show")).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(settingsWindow().has_value(), 10000);
        QCOMPARE(runTool(QStringLiteral("wmctrl"), close), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!settingsWindow(), 10000);

        // A panel started later gets the icon, and so does the same panel restarted.
        const QString config = m_home.path(QStringLiteral("tint2rc"));
        QCOMPARE(runTool(QStringLiteral("sh"),
                         {QStringLiteral("-c"),
                          QStringLiteral(
                              "sed -e 's/^panel_items = .*/panel_items = TSC/' /etc/xdg/tint2/tint2rc >'%1'")
                              .arg(config)}),
                 0);
        for (int start = 0; start < 2; ++start) {
            QProcess panel;
            panel.start(QStringLiteral("tint2"), {QStringLiteral("-c"), config});
            QVERIFY(panel.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(embeddedTrayIcon().has_value(), 20000);
            panel.terminate();
            QVERIFY(panel.waitForFinished(10000));
            QTRY_VERIFY_WITH_TIMEOUT(!embeddedTrayIcon(), 10000);
        }
    }

    // Starts a resident instance, tells whether it made its settings window
    // by the time it answers on the bus (from its event loop, so after its
    // start-up) and the tray shows its icon, and ends it.
    std::optional<bool> windowAtStart(const QStringList& arguments, const QProcessEnvironment& env) {
        QProcess resident;
        resident.setProcessEnvironment(env);
        resident.start(QStringLiteral(STELLWICK_BINARY), arguments);
        std::optional<bool> made;
        if (QTest::qWaitFor([] { return isRegistered(); }, 20000) && property("StatusKind").isValid() &&
            QTest::qWaitFor([] { return embeddedTrayIcon().has_value(); }, 20000))
            made = settingsWindowExists();
        control().call(QStringLiteral("Quit"));
        if (!resident.waitForFinished(20000))
            resident.kill();
        return made;
    }

    // With a tray host a start by hand stays in the tray once settings exist
    // and opens the window on the very first run; the login item's command
    // (an entry of an earlier version, brought up to date) never opens one.
    void withATrayOnlyTheFirstStartByHandOpensTheWindow() {
        QVERIFY(panelRuns());
        QVERIFY(!isRegistered());
        const QString entry = m_home.path(QStringLiteral("config/autostart/org.stellwick.Stellwick.desktop"));
        writeFile(entry, "[Desktop Entry]\nType=Application\nName=Stellwick\nExec=" STELLWICK_BINARY "\n");
        QCOMPARE(windowAtStart({}, environment()), std::optional(false));
        const QString exec =
            QString::fromUtf8(readFile(entry)).section(QStringLiteral("Exec="), 1).section('\n', 0, 0);
        const QStringList login = exec.split(QLatin1Char(' '));
        QCOMPARE(login, (QStringList{QStringLiteral(STELLWICK_BINARY), QStringLiteral("--background")}));

        ScratchFolder fresh;
        QProcessEnvironment firstRun = environment();
        firstRun.insert(QStringLiteral("XDG_DATA_HOME"), fresh.path(QStringLiteral("a")));
        QCOMPARE(windowAtStart({}, firstRun), std::optional(true));
        firstRun.insert(QStringLiteral("XDG_DATA_HOME"), fresh.path(QStringLiteral("b")));
        QCOMPARE(windowAtStart(login.mid(1), firstRun), std::optional(false));
    }

    void notificationsNameTheirDesktopEntry() {
        FakeNotificationDaemon daemon;
        run({QStringLiteral("--apply")});
        QTRY_VERIFY_WITH_TIMEOUT(!daemon.calls.empty(), 10000);
        QCOMPARE(daemon.calls.back().hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("org.stellwick.Stellwick"));
        control().call(QStringLiteral("Quit"));
        QTRY_VERIFY_WITH_TIMEOUT(!isRegistered(), 20000);
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
