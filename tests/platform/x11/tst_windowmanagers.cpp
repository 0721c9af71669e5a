// One list of scenarios run under each window manager of the test matrix
// (STELLWICK_TEST_WM, set by scripts/test-desktop.sh --wm): listing real
// clients' windows, restoring a plain window, a terminal with size increments,
// a maximized window and, under a compositor, a window that draws its own
// decorations; hit testing a real click; a whole apply through the running
// application. A window the manager refuses to move must end as skipped,
// never as a success; frames are measured with the X tools, not the backend.

#include "X11TestSupport.h"
#include "dbus/ControlNames.h"
#include "model/LayoutJson.h"
#include "model/ScreenGeometry.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/SimDesktop.h"
#include "platform/x11/X11Desktop.h"
#include "support/TestFiles.h"
#include "windows/AccessibilityWindowService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

namespace {

const QString manager = qEnvironmentVariable("STELLWICK_TEST_WM", QStringLiteral("openbox"));
bool compositing() {
    return manager == QLatin1String("xfwm4") || manager == QLatin1String("mutter") ||
           manager == QLatin1String("kwin_x11");
}

QString shell(const QString& commandLine) {
    QProcess process;
    process.start(QStringLiteral("sh"), {QStringLiteral("-c"), commandLine});
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The visible frame as the X tools see it: the client window widened by the
// manager's frame extents and narrowed by the client's own shadow margins.
std::optional<Rect> visibleFrame(std::uint32_t window) {
    const QString id = QString::number(window);
    const QString info = shell(QStringLiteral("xwininfo -id %1").arg(id));
    const auto number = [&](const QString& label) {
        return QRegularExpression(label + QStringLiteral(":\\s+(-?\\d+)")).match(info).captured(1).toDouble();
    };
    if (!info.contains(QStringLiteral("IsViewable")))
        return std::nullopt;
    const auto extents = [&](const QString& property) {
        const auto m = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
                           .match(shell(QStringLiteral("xprop -id %1 %2").arg(id, property)));
        return m.hasMatch() ? std::array{m.captured(1).toDouble(), m.captured(2).toDouble(),
                                         m.captured(3).toDouble(), m.captured(4).toDouble()}
                            : std::array{0.0, 0.0, 0.0, 0.0};
    };
    const auto e = extents(QStringLiteral("_NET_FRAME_EXTENTS"));
    const auto s = extents(QStringLiteral("_GTK_FRAME_EXTENTS"));
    return Rect{number(QStringLiteral("Absolute upper-left X")) - e[0] + s[0],
                number(QStringLiteral("Absolute upper-left Y")) - e[2] + s[2],
                number(QStringLiteral("Width")) + e[0] + e[1] - s[0] - s[1],
                number(QStringLiteral("Height")) + e[2] + e[3] - s[2] - s[3]};
}

bool near(const Rect& a, const Rect& b, Size room = {3, 3}) {
    return qAbs(a.x - b.x) <= 3 && qAbs(a.y - b.y) <= 3 && qAbs(a.width - b.width) <= room.width &&
           qAbs(a.height - b.height) <= room.height;
}

// A real client program, stopped with the test.
struct Client {
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    ~Client() {
        process->kill();
        process->waitForFinished();
    }
    std::int32_t pid() const { return std::int32_t(process->processId()); }
};

// Tk windows with these titles ("+" before a title: maximized at start).
std::unique_ptr<Client> tk(const QString& className, const QStringList& titles, const QString& more = {}) {
    QString script =
        QStringLiteral("import tkinter as tk\nr = tk.Tk(className='%1')\nws = [r]\n").arg(className);
    for (int i = 1; i < titles.size(); ++i)
        script += QStringLiteral("ws.append(tk.Toplevel(r, class_='%1'))\n").arg(className);
    for (int i = 0; i < titles.size(); ++i) {
        QString title = titles[i];
        const bool zoomed = title.startsWith(QLatin1Char('+'));
        title.remove(0, zoomed ? 1 : 0);
        script += QStringLiteral("ws[%1].title('%2'); ws[%1].geometry('400x300+%3+%4')\n")
                      .arg(i)
                      .arg(title)
                      .arg(100 + 450 * i)
                      .arg(150);
        if (zoomed)
            script += QStringLiteral("ws[%1].attributes('-zoomed', 1)\n").arg(i);
    }
    script += more + QStringLiteral("r.mainloop()\n");
    auto client = std::make_unique<Client>();
    client->process->start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script});
    return client;
}

// GTK programs draw their own decorations (and shadows, under a compositor).
std::unique_ptr<Client> program(const QString& name, const QStringList& arguments = {}) {
    auto client = std::make_unique<Client>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GTK_CSD"), QStringLiteral("1"));
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    client->process->setProcessEnvironment(env);
    client->process->start(name, arguments);
    return client;
}

} // namespace

class TestWindowManagers : public QObject {
    Q_OBJECT

    sim::SimDesktop m_session;
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;
    std::unique_ptr<AccessibilityWindowService> m_service;

    // The client's movable windows once it shows `count` of them.
    std::vector<WindowDescriptor> shown(const Client& client, std::size_t count) {
        std::vector<WindowDescriptor> windows;
        const auto ready = [&] {
            const auto app = m_desktop->applications().runningApplication(client.pid());
            windows = app ? m_service->movableWindows(*app) : std::vector<WindowDescriptor>{};
            return windows.size() >= count;
        };
        (void)QTest::qWaitFor(ready, 20000); // the caller checks the count
        return windows;
    }
    std::uint32_t number(const WindowDescriptor& w) {
        return m_desktop->accessibility().windowNumber(w.element);
    }

private slots:
    void initTestCase() {
        qInfo("window manager: %s", qPrintable(manager));
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
        m_service = std::make_unique<AccessibilityWindowService>(
            test::desktopPlatform(m_clock, *m_desktop, m_session.platform()));
        QVERIFY(m_service->isTrusted(false));
    }

    void listsWindowsWithIdsAndTitles() {
        const auto client =
            tk(QStringLiteral("Listedtool"), {QStringLiteral("Erste"), QStringLiteral("Zweite")});
        const auto windows = shown(*client, 2);
        QCOMPARE(windows.size(), std::size_t(2));
        QStringList titles;
        for (const WindowDescriptor& w : windows) {
            titles << w.title;
            QVERIFY(near(w.frame, *visibleFrame(number(w))));
        }
        titles.sort();
        QCOMPARE(titles, (QStringList{QStringLiteral("Erste"), QStringLiteral("Zweite")}));
        QVERIFY(windows[0].id != windows[1].id);
    }

    // Each real client restored to a target: within tolerance, or skipped
    // (and then not where asked) where the manager refuses.
    void restoresRealClientsOrSkipsThem_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("plain") << QStringLiteral("plain");
        QTest::newRow("terminal") << QStringLiteral("terminal");
        QTest::newRow("maximized") << QStringLiteral("maximized");
        if (compositing())
            QTest::newRow("own decorations") << QStringLiteral("csd");
        QTest::newRow("below its minimum size") << QStringLiteral("minimum");
        if (manager == QLatin1String("i3"))
            QTest::newRow("tiled") << QStringLiteral("tiled");
    }
    void restoresRealClientsOrSkipsThem() {
        QFETCH(QString, kind);
        std::unique_ptr<Client> client;
        Size room{3, 3};
        if (kind == QLatin1String("plain"))
            client = program(QStringLiteral("xclock"),
                             {QStringLiteral("-geometry"), QStringLiteral("200x200+50+60")});
        else if (kind == QLatin1String("terminal")) {
            client = program(QStringLiteral("xterm"),
                             {QStringLiteral("-geometry"), QStringLiteral("80x24+50+60")});
            room = {64, 64}; // whole character cells
        } else if (kind == QLatin1String("maximized"))
            client = tk(QStringLiteral("Zoomedtool"), {QStringLiteral("+zoomed")});
        else if (kind == QLatin1String("minimum"))
            client = tk(QStringLiteral("Minimumtool"), {QStringLiteral("Mindestens")},
                        QStringLiteral("r.minsize(700, 600)\n"));
        else if (kind == QLatin1String("tiled"))
            client = tk(QStringLiteral("Tiledtool"), {QStringLiteral("tiled window")});
        else
            client = program(QStringLiteral("gtk3-demo"));
        const auto windows = shown(*client, 1);
        QVERIFY(!windows.empty());
        const WindowDescriptor window = windows.front();
        if (kind == QLatin1String("csd"))
            QVERIFY2(
                shell(QStringLiteral("xprop -id %1 _GTK_FRAME_EXTENTS").arg(number(window))).contains('='),
                "no shadow margins under a compositor");

        const Rect target{300, 200, 640, 525};
        QElapsedTimer timer;
        timer.start();
        bool restored = true;
        try {
            test::completed(m_clock, [](AccessibilityWindowService& s, AXElement e, Rect t) -> Task<bool> {
                co_await s.restoreFrame(e, t);
                co_return true;
            }(*m_service, window.element, target));
        } catch (const WindowServiceError&) {
            restored = false;
        }
        const Rect landed = *visibleFrame(number(window));
        qInfo("%s: %s in %lld ms, landed %s", qPrintable(kind), restored ? "restored" : "skipped",
              timer.elapsed(), qPrintable(landed.describe()));
        // Never a success for a window that is not where it was asked to be.
        if (restored)
            QVERIFY2(near(landed, target, room), qPrintable(landed.describe()));
        else
            QVERIFY(!near(landed, target, room));
        // What the managers are known to do: i3 lets floating windows go
        // below their minimum size and keeps tiled ones where they are.
        const bool refused = kind == QLatin1String("tiled") ||
                             (kind == QLatin1String("minimum") && manager != QLatin1String("i3"));
        QCOMPARE(restored, !refused);
    }

    void hitTestingFindsTheClickedWindow() {
        const auto client = tk(QStringLiteral("Clickedtool"), {QStringLiteral("Geklickt")});
        const auto windows = shown(*client, 1);
        QVERIFY(!windows.empty());
        Point clicked;
        test::Waiter waiter;
        Cancellable monitor = m_desktop->eventMonitors().addGlobalMonitor(
            InputEventMask::leftMouseDown, [&](const InputEvent&) {
                clicked = m_desktop->eventMonitors().mouseLocation();
                waiter.fire();
            });
        const Point centre = visibleFrame(number(windows.front()))->center();
        QCOMPARE(
            test::runTool(QStringLiteral("xdotool"),
                          {QStringLiteral("mousemove"), QString::number(int(centre.x)),
                           QString::number(int(centre.y)), QStringLiteral("click"), QStringLiteral("1")}),
            0);
        QVERIFY(waiter.wait());
        const ScreenGeometry geometry(m_desktop->screens(), m_desktop->windowServer());
        const auto hit = m_service->windowAtPoint(geometry.accessibilityPoint(clicked));
        QCOMPARE(hit.application.processIdentifier, client->pid());
        QCOMPARE(hit.window.title, QStringLiteral("Geklickt"));
    }

    // Launches under each manager: tst_x11applications, registered per manager.
    void displayChangesAreNoticed() {
        test::Waiter changed;
        Cancellable screens = m_desktop->screens().subscribeScreenParameterChanges([&] { changed.fire(); });
        QVERIFY(test::setMonitors({QStringLiteral("LEFT=1280x1080+0+0")}));
        QVERIFY(changed.wait());
        QCOMPARE(m_desktop->screens().screens().size(), std::size_t(1));
        QVERIFY(test::resetMonitors());
        QVERIFY(changed.wait());
        QCOMPARE(m_desktop->screens().screens().size(), std::size_t(2));
    }

    // The resident application applies a profile with a placement for each
    // kind of client; the counts add up to what there is, and every window
    // counted as arranged is in its area.
    void aWholeApplyThroughTheRunningApplicationAddsUp() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a private session bus");
        std::vector<std::unique_ptr<Client>> clients;
        clients.push_back(program(QStringLiteral("xclock"),
                                  {QStringLiteral("-geometry"), QStringLiteral("200x200+50+60")}));
        clients.push_back(
            program(QStringLiteral("xterm"), {QStringLiteral("-geometry"), QStringLiteral("80x24+300+60")}));
        clients.push_back(tk(QStringLiteral("Appliedtool"), {QStringLiteral("Eins"), QStringLiteral("+Zwei"),
                                                             QStringLiteral("tiled Drei")}));
        if (compositing())
            clients.push_back(program(QStringLiteral("gtk3-demo")));
        const std::size_t counts[] = {1, 1, 3, 1};
        // Quarters of the left monitor (1280 × 1080), each big enough for the
        // GTK program's minimum size. (xfwm4 keeps windows off the right
        // monitor, which the test desktop defines without an output.)
        const auto frame = [](std::size_t i) {
            return NormalizedFrame{0.5 * double(i % 2), 0.1 + 0.4 * double(i / 2), 0.5, 0.4};
        };
        const auto area = [](std::size_t i) {
            return Rect{640.0 * double(i % 2), 108 + 432.0 * double(i / 2), 640, 432};
        };
        StellwickState state = StellwickState::initialState(Date{});
        state.profiles[0].name = QStringLiteral("Matrix");
        std::size_t windowCount = 0;
        for (std::size_t i = 0; i < clients.size(); ++i) {
            QCOMPARE(shown(*clients[i], counts[i]).size(), counts[i]);
            windowCount += counts[i];
            const auto app = m_desktop->applications().runningApplication(clients[i]->pid());
            QVERIFY(app && app->bundleIdentifier);
            state.profiles[0].placements.append(AppPlacement{
                *app->bundleIdentifier, *app->bundleIdentifier,
                DisplayReference{0, QStringLiteral("LEFT"), std::nullopt}, frame(i), false, std::nullopt});
        }
        test::ScratchFolder home;
        test::writeFile(
            home.path(QStringLiteral("data/") + control::serviceName() + QStringLiteral("/profiles.json")),
            *encodeState(state));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path(QStringLiteral("config")));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        QProcess resident;
        resident.setProcessEnvironment(env);
        resident.start(QStringLiteral(STELLWICK_BINARY), {QStringLiteral("--background")});
        QVERIFY(QTest::qWaitFor(
            [] {
                return QDBusConnection::sessionBus()
                    .interface()
                    ->isServiceRegistered(control::serviceName())
                    .value();
            },
            20000));

        QProcess apply;
        apply.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        apply.start(QStringLiteral(STELLWICK_BINARY), {QStringLiteral("--apply")});
        QVERIFY(apply.waitForFinished(60000));
        const qint64 elapsed = timer.elapsed();
        const QString line = QString::fromUtf8(apply.readAllStandardOutput()).trimmed();
        const auto m = QRegularExpression(QStringLiteral("(\\d+)個を配置・(\\d+)個をスキップ")).match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        const std::size_t arranged = m.captured(1).toUInt();
        const std::size_t skipped = m.captured(2).toUInt();
        qInfo("apply under %s: %s; %lld ms, %.1f ms per window", qPrintable(manager), qPrintable(line),
              elapsed, double(elapsed) / double(windowCount));
        QCOMPARE(arranged + skipped, windowCount);
        // Only the tiled window of i3 stays where it is; the others are in
        // their application's area.
        QCOMPARE(skipped, std::size_t(manager == QLatin1String("i3") ? 1 : 0));
        for (std::size_t i = 0; i < clients.size(); ++i) {
            for (const WindowDescriptor& w : shown(*clients[i], counts[i])) {
                if (!w.title.startsWith(QLatin1String("tiled")))
                    QVERIFY2(area(i).contains(visibleFrame(number(w))->center()), qPrintable(w.title));
            }
        }
        resident.terminate();
        resident.waitForFinished();
    }
};

QTEST_MAIN(TestWindowManagers)
#include "tst_windowmanagers.moc"
