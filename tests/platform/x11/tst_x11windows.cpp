// Windows on the real X server under each window manager: the list, what a
// window answers, frames of windows that ask for static gravity, settling, a
// server grab; the window service (movable windows, other workspaces, windows
// that refuse or vanish, one process hosting two applications, hit testing);
// clicks and Escape desktop-wide; real clients restored, or skipped (never a
// success) where the manager refuses, measured with the X tools. What the
// backend keeps between reads follows changes by other clients (read without
// running the event loop) and inherits nothing when a window id is reused.

#include "X11TestSupport.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/SimDesktop.h"
#include "platform/x11/ClientFactsCache.h"
#include "platform/x11/DesktopSpace.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11WindowServer.h"
#include "platform/x11/XConnection.h"
#include "windows/AccessibilityWindowService.h"

#include <QRegularExpression>
#include <QtTest>
#include <functional>
#include <thread>

using namespace stellwick;
using namespace stellwick::x11;

namespace {

QString shell(const QString& commandLine) {
    QProcess process;
    process.start(QStringLiteral("sh"), {QStringLiteral("-c"), commandLine});
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The visible frame as the X tools see it: the client window widened by the
// manager's frame extents and narrowed by the client's own shadow margins.
Rect visibleFrame(std::uint32_t window) {
    const QString info = shell(
        QStringLiteral("xwininfo -id %1; xprop -id %1 _NET_FRAME_EXTENTS _GTK_FRAME_EXTENTS").arg(window));
    const auto number = [&](const QString& label, int i = 1) {
        return QRegularExpression(label).match(info).captured(i).toDouble();
    };
    const auto margins = [&](const QString& property, int i) {
        return number(property + QStringLiteral(".*= (\\d+), (\\d+), (\\d+), (\\d+)"), i);
    };
    const auto e = [&](int i) { return margins(QStringLiteral("_NET_FRAME_EXTENTS"), i); };
    const auto s = [&](int i) { return margins(QStringLiteral("_GTK_FRAME_EXTENTS"), i); };
    return Rect{number(QStringLiteral("Absolute upper-left X:\\s+(-?\\d+)")) - e(1) + s(1),
                number(QStringLiteral("Absolute upper-left Y:\\s+(-?\\d+)")) - e(3) + s(3),
                number(QStringLiteral("Width:\\s+(\\d+)")) + e(1) + e(2) - s(1) - s(2),
                number(QStringLiteral("Height:\\s+(\\d+)")) + e(3) + e(4) - s(3) - s(4)};
}

} // namespace

class TestX11Windows : public QObject {
    Q_OBJECT

private:
    sim::SimDesktop m_session; // the session services and a log that records
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;
    std::unique_ptr<AccessibilityWindowService> m_service;
    std::unique_ptr<DesktopSpace> m_space;

    Accessibility& ax() { return m_desktop->accessibility(); }
    // The frames (or layers) of one process's windows in the list, front to back.
    static constexpr unsigned shown =
        WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements;
    std::vector<WindowServerEntry> listed(std::int32_t pid, unsigned options = shown,
                                          WindowServer* server = nullptr) {
        std::vector<WindowServerEntry> out;
        for (const WindowServerEntry& e :
             (server ? *server : m_desktop->windowServer()).windowList(options).value_or(out))
            if (e.ownerPID == pid)
                out.push_back(e);
        return out;
    }
    // The same from a backend that keeps nothing between reads.
    std::vector<WindowServerEntry> fresh(std::int32_t pid) {
        ClientFactsCache nothingKept(*m_desktop->connection(), m_clock);
        X11WindowServer server(*m_desktop->connection(), nothingKept, *m_space);
        return listed(pid, shown, &server);
    }
    // Polls without running the event loop until `done` holds (at most 5 s).
    static bool eventually(const std::function<bool()>& done) {
        for (int i = 0; i < 250 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return done();
    }
    template <typename T> T read(const AXElement& element, const QString& attribute) {
        const AXCopyResult result = ax().copyAttributeValue(element, attribute);
        if (result.error != AXErrorCode::success || !std::holds_alternative<T>(result.value))
            return T{};
        return std::get<T>(result.value);
    }
    Rect frameOf(const AXElement& window) {
        return Rect::fromOriginSize(read<AXPointValue>(window, AXAttribute::position).point,
                                    read<AXSizeValue>(window, AXAttribute::size).size);
    }

    std::vector<WindowDescriptor> movable(const test::TestClient& client) {
        return m_service->movableWindows(
            m_desktop->applications().runningApplication(client.pid()).value_or(RunningApplication{}));
    }
    void restore(const AXElement& element, const Rect& target) {
        test::completed(m_clock, [](AccessibilityWindowService& s, AXElement e, Rect t) -> Task<bool> {
            co_await s.restoreFrame(e, t);
            co_return true;
        }(*m_service, element, target));
    }
    EventMonitors& monitors() { return m_desktop->eventMonitors(); }
    bool drain() { return test::deliverPendingEvents(*m_desktop->connection()); }
    static bool xdotool(const QString& arguments) {
        return test::runTool(QStringLiteral("xdotool"), arguments.split(QLatin1Char(' '))) == 0;
    }
    bool click(int x, int y, int button = 1) {
        return xdotool(QStringLiteral("mousemove %1 %2 click %3").arg(x).arg(y).arg(button)) && drain();
    }

private slots:
    void initTestCase() {
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
        // The real desktop's services with the simulated session services.
        const Platform s = m_session.platform();
        X11Desktop& d = *m_desktop;
        m_service = std::make_unique<AccessibilityWindowService>(Platform{
            m_clock, d.screens(), d.windowServer(), d.accessibility(), d.applications(), d.eventMonitors(),
            s.loginItems, s.notifications, s.defaults, s.settingsLink, s.restorationLog});
        QVERIFY(m_service->isTrusted(false));
        m_space = std::make_unique<DesktopSpace>(*m_desktop->connection());
    }

    // One client's windows: listed front to back with their outer frames as
    // the client itself sees them (decorations included); movable are the
    // standard windows shown now; one on another workspace is never touched.
    void listedAndMovableAreTheWindowsShownNow() {
        if (test::windowManagerIs("i3"))
            QSKIP("i3 minimizes nothing and opens every window on the current workspace");
        test::TestClient client;
        // No _NET_WM_PID: the server knows the process on the other end.
        const auto back = client.open(QStringLiteral("x=100 y=100 w=400 h=300 netpid=0 title=") +
                                      test::encoded(QStringLiteral("日本")));
        const auto minimized = client.open(QStringLiteral("title=Hidden x=150 y=150"));
        const auto front = client.open(QStringLiteral("x=250 y=250 w=300 h=200")); // untitled
        QVERIFY(back && minimized && front);
        // Raised by asking: kwin_x11 keeps new windows below the focused one.
        QVERIFY(client.minimize(minimized) && client.activate(front));
        QCOMPARE(ax().pid(test::windowElement(0, back)).pid, client.pid());
        const auto mine = listed(client.pid());
        QCOMPARE(mine.size(), std::size_t(2));
        QCOMPARE(mine[0].bounds, *client.frame(front));
        QCOMPARE(mine[1].bounds, *client.frame(back));
        QCOMPARE(listed(client.pid(), 0).size(), std::size_t(3)); // without the on-screen option: all
        QCOMPARE(read<bool>(test::windowElement(client.pid(), minimized), AXAttribute::minimized), true);
        QVERIFY(client.activate(back));
        QCOMPARE(listed(client.pid())[0].bounds, *client.frame(back));
        // Transient for another: a dialog. Titled the old way only (Latin-1).
        const auto dialog = test::windowElement(
            client.pid(), client.open(QStringLiteral("transient=%1 legacy-title=").arg(back) +
                                      test::encoded(QStringLiteral("café"))));
        QCOMPARE(read<QString>(dialog, AXAttribute::subrole), AXRoleValue::dialog);
        QCOMPARE(read<QString>(dialog, AXAttribute::title), QStringLiteral("café"));

        const std::vector<WindowDescriptor> windows = movable(client);
        QStringList titles;
        for (const WindowDescriptor& w : windows)
            titles << w.title;
        titles.sort();
        QCOMPARE(titles, (QStringList{QStringLiteral("名称なし"), QStringLiteral("日本")}));
        // Ids are positions in the application's full window list.
        const auto all =
            read<std::vector<AXElement>>(ax().applicationElement(client.pid()), AXAttribute::windows);
        QCOMPARE(all.size(), std::size_t(4));
        QCOMPARE(m_service->readFrame(all[std::size_t(windows[1].id)]), std::optional(windows[1].frame));

        if (test::windowManagerIs("kwin_x11"))
            QSKIP("kwin_x11 keeps one virtual desktop on the test desktop");
        const auto elsewhere = client.open(QStringLiteral("title=Elsewhere desktop=1 x=700 y=500"));
        QVERIFY(elsewhere);
        const AXElement element = test::windowElement(client.pid(), elsewhere);
        // Minimized is what the user minimized; another desktop is not that.
        QCOMPARE(read<bool>(element, AXAttribute::minimized), false);
        QCOMPARE(movable(client).size(), std::size_t(2));
        // One frame for a window here and one on the other workspace (as when
        // maximized on both): only the one here moves, not even a direct
        // write reaches the other.
        const Rect frame = *client.frame(elsewhere);
        restore(test::windowElement(client.pid(), back), frame);
        QCOMPARE(*client.frame(back), frame);
        QVERIFY(!ax().isAttributeSettable(element, AXAttribute::position).settable);
        QVERIFY(ax().setAttributeValue(element, AXAttribute::position, AXPointValue{{10, 10}}) !=
                AXErrorCode::success);
        QCOMPARE(*client.frame(elsewhere), frame);
    }

    void changesByOthersReachWhatIsKept_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("moved") << QStringLiteral("windowmove --sync %1 333 222");
        QTest::newRow("resized") << QStringLiteral("windowsize --sync %1 410 290");
        QTest::newRow("minimized") << QStringLiteral("minimize");
        QTest::newRow("on another desktop") << QStringLiteral("set_desktop_for_window %1 1");
    }
    void changesByOthersReachWhatIsKept() {
        QFETCH(QString, change);
        if (change.startsWith(QLatin1String("set_desktop")) &&
            (test::windowManagerIs("i3") || test::windowManagerIs("kwin_x11")))
            QSKIP("this manager keeps one desktop on the test desktop");
        if (change == QLatin1String("minimize") && test::windowManagerIs("i3"))
            QSKIP("i3 minimizes nothing");
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=300 h=200"));
        QVERIFY(window);
        const AXElement element = test::windowElement(client.pid(), window);
        // Some managers still place a window just opened.
        std::vector<WindowServerEntry> before;
        QVERIFY(eventually([&] {
            before = listed(client.pid());
            return before.size() == 1 && frameOf(element) == before.front().bounds &&
                   before == fresh(client.pid());
        }));

        if (change == QLatin1String("minimize"))
            QVERIFY(client.minimize(window));
        else
            QVERIFY(xdotool(change.arg(window)));
        // Each round reads what is kept right after what the server says.
        QVERIFY(eventually([&] {
            const auto now = fresh(client.pid());
            const auto kept = listed(client.pid());
            return now != before && kept == now && (kept.empty() || frameOf(element) == kept.front().bounds);
        }));
        QVERIFY(eventually([&] { return frameOf(element) == *client.frame(window); }));
    }

    void aReusedWindowIdInheritsNothing() {
        std::optional<test::TestClient> first(std::in_place);
        const auto window = first->open(QStringLiteral("x=100 y=100 w=300 h=200 title=first"));
        QVERIFY(window);
        const AXElement byFirst = test::windowElement(first->pid(), window);
        QCOMPARE(ax().pid(byFirst).pid, first->pid());
        QVERIFY(frameOf(byFirst).width > 0);
        // Gone with its process; a new client takes its place on the server
        // and, with it, the same window ids.
        first->kill();
        first.reset();
        test::TestClient second;
        const auto reused = second.open(QStringLiteral("x=600 y=300 w=420 h=260 title=second"));
        QVERIFY(reused);
        if (reused != window)
            QSKIP("the server gave the new client other ids");
        const AXElement bySecond = test::windowElement(second.pid(), reused);
        QCOMPARE(ax().pid(bySecond).pid, second.pid());
        QCOMPARE(read<QString>(bySecond, AXAttribute::title), QStringLiteral("second"));
        QCOMPARE(frameOf(bySecond), *second.frame(reused));
        QCOMPARE(listed(second.pid()), fresh(second.pid()));
    }

    void panelsDocksAndDesktopsHaveTheirLayers() {
        if (test::windowManagerIs("i3"))
            QSKIP("i3 keeps docks out of its client list: they are its bars' business");
        test::TestClient client;
        const auto topdock = client.open(QStringLiteral("type=dock x=0 y=0 w=1280 h=24"));
        QVERIFY(topdock);
        if (client.frame(topdock)->y != 0 && !test::windowManagerIs("openbox"))
            QSKIP("xfwm4 and mutter at times place a new dock themselves, away from the edge it asked for");
        QVERIFY(client.open(QStringLiteral("type=dock x=0 y=1040 w=1280 h=40")));
        QVERIFY(client.open(QStringLiteral("type=desktop x=0 y=0 w=2560 h=1080")));
        auto layers = [&](unsigned options) {
            std::vector<int> out;
            for (const auto& e : listed(client.pid(), options))
                out.push_back(e.layer);
            std::sort(out.begin(), out.end());
            return out;
        };
        QCOMPARE(layers(WindowListOption::onScreenOnly),
                 (std::vector<int>{WindowLevel::desktop, dockWindowLevel, WindowLevel::mainMenu}));
        QCOMPARE(layers(shown), (std::vector<int>{dockWindowLevel, WindowLevel::mainMenu}));
    }

    void framesWrittenToQtWindowsLandExactly() {
        // Qt asks for static gravity, which throws naive moves off by the
        // decorations; the frame must still land where it was asked.
        test::TestWindow qtWindow;
        qtWindow.setGeometry(300, 300, 320, 240);
        QVERIFY(qtWindow.showAndWait());
        const auto window = std::uint32_t(qtWindow.winId());
        // Exposed is not yet framed: kwin publishes its extents a moment later
        // (i3 publishes none), and a restore, unlike this one write, retries.
        if (!test::windowManagerIs("i3"))
            QTRY_VERIFY(shell(QStringLiteral("xprop -id %1 _NET_FRAME_EXTENTS").arg(window)).contains('='));
        const AXElement element =
            test::windowElement(std::int32_t(QCoreApplication::applicationPid()), window);
        const Rect target{100, 80, 500, 400};
        for (const QString& attribute : {AXAttribute::position, AXAttribute::size, AXAttribute::position}) {
            const AXValue value = attribute == AXAttribute::size ? AXValue(AXSizeValue{target.size()})
                                                                 : AXValue(AXPointValue{target.origin()});
            QCOMPARE(ax().setAttributeValue(element, attribute, value), AXErrorCode::success);
        }
        // Settled when the window manager has done it, never inside the call.
        test::Waiter waiter;
        Cancellable wait = ax().whenWriteSettled(element, [&] { waiter.fire(); });
        QCOMPARE(waiter.count(), 0);
        QVERIFY(waiter.wait());
        // The others at times answer after the settling bound (then restores verify and retry).
        if (!test::windowManagerIs("openbox"))
            QTRY_COMPARE(frameOf(element), target);
        QCOMPARE(frameOf(element), target);
        QCOMPARE(*test::TestClient().frame(window), target);

        // A wait cancelled before the write settles is never called.
        QCOMPARE(ax().setAttributeValue(element, AXAttribute::position, AXPointValue{{150, 80}}),
                 AXErrorCode::success);
        bool cancelledCalled = false;
        ax().whenWriteSettled(element, [&] { cancelledCalled = true; }).cancel();
        test::Waiter settled;
        Cancellable after = ax().whenWriteSettled(element, [&] { settled.fire(); });
        QVERIFY(settled.wait());
        QVERIFY(!cancelledCalled);
    }

    void aServerGrabBoundsEveryReadAndTheConnectionWaitsForItsEnd() {
        test::TestClient client;
        const AXElement element = test::windowElement(client.pid(), client.open());
        xcb_connection_t* grabber = xcb_connect(nullptr, nullptr);
        xcb_grab_server(grabber);
        std::free(xcb_get_input_focus_reply(grabber, xcb_get_input_focus(grabber), nullptr));

        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(ax().copyAttributeValue(element, AXAttribute::position).error, AXErrorCode::cannotComplete);
        QVERIFY(elapsed.elapsed() < XConnection::replyTimeoutMs + 1000);
        // Silent still: broken, and nothing waits again.
        elapsed.restart();
        QVERIFY(!ax().isProcessTrusted(false));
        QCOMPARE(ax().copyAttributeValue(element, AXAttribute::size).error, AXErrorCode::cannotComplete);
        QVERIFY(elapsed.elapsed() < 500);

        xcb_ungrab_server(grabber);
        xcb_disconnect(grabber);
        QTRY_VERIFY(ax().isProcessTrusted(false));
        QCOMPARE(ax().copyAttributeValue(element, AXAttribute::position).error, AXErrorCode::success);
    }

    void arrangingSkipsWindowsThatRefuseOrVanishAndGoesOn() {
        if (test::windowManagerIs("i3"))
            QSKIP("i3 ignores Motif hints that forbid moves");
        test::TestClient client;
        const auto first = client.open(QStringLiteral("title=first x=100 y=100 w=300 h=200"));
        const auto fixed = client.open(QStringLiteral("title=fixed x=150 y=150 w=300 h=200 fixed=1"));
        // Motif hints allowing resize only: the window manager refuses moves.
        const auto pinned =
            client.open(QStringLiteral("title=pinned x=200 y=200 w=300 h=200 mwm-functions=2"));
        const auto vanishing = client.open(QStringLiteral("title=vanishing x=250 y=250 w=300 h=200"));
        const auto last = client.open(QStringLiteral("title=last x=300 y=300 w=300 h=200"));
        QVERIFY(first && fixed && pinned && vanishing && last);
        const Rect fixedBefore = *client.frame(fixed);
        const Rect pinnedBefore = *client.frame(pinned);
        std::vector<WindowDescriptor> windows = movable(client);
        QCOMPARE(windows.size(), std::size_t(5));
        // Oldest first, as the list was; then one goes between listing and moving.
        std::reverse(windows.begin(), windows.end());
        QVERIFY(client.close(vanishing));

        const ArrangementResult result =
            test::completed(m_clock, m_service->arrangeWindows(windows, {100, 100, 800, 600}));
        QCOMPARE(result.arrangedCount, std::int64_t(2));
        QCOMPARE(result.skippedCount, std::int64_t(3));
        // Cascaded by 36 points; the refusing windows untouched.
        QCOMPARE(*client.frame(first), (Rect{100, 100, 656, 456}));
        QCOMPARE(*client.frame(last), (Rect{244, 244, 656, 456}));
        QCOMPARE(*client.frame(fixed), fixedBefore);
        QCOMPARE(*client.frame(pinned), pinnedBefore);

        // Fixed in width only: placed and sized in height, its width kept.
        const auto narrow = client.open(QStringLiteral("x=500 y=100 w=300 h=200 minw=300 maxw=300 minh=50"));
        const double width = client.frame(narrow)->width;
        restore(test::windowElement(client.pid(), narrow), {600, 150, 500, 400});
        QCOMPARE(*client.frame(narrow), (Rect{600, 150, width, 400}));
    }

    void oneProcessHostingTwoApplicationsKeepsThemApart() {
        // Two top-level windows of two classes in one process, as a Tk program has.
        const auto clickedOn = [&](const RunningApplication& app) {
            try {
                const auto hit =
                    m_service->windowAtPoint(m_service->movableWindows(app).at(0).frame.center());
                return hit.application.bundleIdentifier.value_or(QString()) + '/' + hit.window.title;
            } catch (const WindowServiceError&) {
                return QString();
            }
        };
        test::TestClient client;
        QVERIFY(client.open(QStringLiteral("class=Alphatool title=Alphatool x=100 y=600 w=300 h=200")) &&
                client.open(QStringLiteral("class=Betatool title=Betatool x=600 y=600 w=300 h=200")));
        for (const QString& name : {QStringLiteral("Alphatool"), QStringLiteral("Betatool")}) {
            QTRY_COMPARE(m_desktop->applications().runningApplications(name).size(), std::size_t(1));
            const auto apps = m_desktop->applications().runningApplications(name);
            QCOMPARE(apps[0].processIdentifier, client.pid());
            QCOMPARE(m_service->movableWindows(apps[0]).size(), std::size_t(1));
            // A click on it names the application it belongs to (mutter may still be placing it).
            QTRY_COMPARE(clickedOn(apps[0]), name + '/' + name);
        }
    }

    // A click on the title bar of a window whose process names no application.
    void clicksResolveNamelessWindowsByTheirFrame() {
        test::TestClient anonymous;
        const auto nameless =
            anonymous.open(QStringLiteral("title=nameless class= instance= x=1500 y=300 w=400 h=300"));
        QVERIFY(nameless);
        const auto titleBar = [&] {
            const Rect frame = *anonymous.frame(nameless);
            return Point{frame.midX(), frame.y + 5};
        };
        // mutter may still be placing the new window.
        QTRY_COMPARE(read<QString>(ax().elementAtPosition(ax().systemWideElement(), float(titleBar().x),
                                                          float(titleBar().y))
                                       .element,
                                   AXAttribute::title),
                     QStringLiteral("nameless"));
        const auto hit = m_service->windowAtPoint(titleBar());
        QCOMPARE(hit.application.processIdentifier, anonymous.pid());
        QVERIFY(!hit.application.bundleIdentifier);
        QCOMPARE(hit.window.id, 0);
        QCOMPARE(hit.window.title, QStringLiteral("nameless"));
    }

    void clicksAndEscapeElsewhereReachTheGlobalMonitor() {
        test::TestWindow own;
        own.setGeometry(1700, 400, 300, 200);
        QVERIFY(own.showAndWait());
        QList<InputEvent> seen;
        std::optional<Point> clicked; // where the pointer was, read in the handler
        Cancellable monitor = monitors().addGlobalMonitor(
            InputEventMask::leftMouseDown | InputEventMask::keyDown, [&](const InputEvent& event) {
                seen << event;
                clicked = monitors().mouseLocation();
            });

        // Other buttons are no left clicks. Bottom-left space: y counts up
        // from the primary's bottom edge (1080).
        QVERIFY(click(1500, 100, 3));
        QVERIFY(click(1500, 100));
        QCOMPARE(clicked, std::optional(Point{1500, 980}));
        // On our own window, or the window manager's frame of it (its title bar): no selection.
        const QPoint inside = own.geometry().center();
        QVERIFY(click(inside.x(), inside.y()));
        QVERIFY(click(inside.x(), own.frameGeometry().y() + 5));
        QCOMPARE(seen.size(), 1);

        // Escape typed into another application.
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300"));
        QVERIFY(window && client.activate(window));
        QVERIFY(xdotool(QStringLiteral("key Escape")) && drain());
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[1], (InputEvent{InputEventType::keyDown, KeyCode::escape}));

        // Removed: no more events, and nothing asked of the server any more.
        monitor.cancel();
        QVERIFY(click(250, 300));
        QCOMPARE(seen.size(), 2);
    }

    // Each real client restored to a target: within tolerance, or skipped
    // (and then not where asked) where the manager refuses. i3 lets floating
    // windows go below their minimum size and keeps tiled ones where they are.
    void restoresRealClientsOrSkipsThem_data() {
        QTest::addColumn<QString>("program"); // or Tk set up by this Python code
        QTest::addColumn<double>("room");
        QTest::addColumn<bool>("refused");
        const bool i3 = test::windowManagerIs("i3");
        QTest::newRow("plain") << QStringLiteral("xclock -geometry 200x200+50+60") << 3.0 << false;
        // Whole character cells.
        QTest::newRow("terminal") << QStringLiteral("xterm -geometry 80x24+50+60") << 64.0 << false;
        QTest::newRow("maximized") << QStringLiteral("r.attributes('-zoomed', 1)") << 3.0 << false;
        QTest::newRow("below its minimum size") << QStringLiteral("r.minsize(700, 600)") << 3.0 << !i3;
        // GTK draws its own decorations, and shadows under a compositor.
        if (test::windowManagerIs("xfwm4") || test::windowManagerIs("mutter") ||
            test::windowManagerIs("kwin_x11"))
            QTest::newRow("own decorations") << QStringLiteral("gtk3-demo") << 3.0 << false;
        if (i3)
            QTest::newRow("tiled") << QStringLiteral("r.title('tiled')") << 3.0 << true;
    }
    void restoresRealClientsOrSkipsThem() {
        QFETCH(QString, program);
        QFETCH(double, room);
        QFETCH(bool, refused);
        QProcess client;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("GTK_CSD"), QStringLiteral("1"));
        env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
        client.setProcessEnvironment(env);
        if (program.startsWith(QLatin1String("r.")))
            client.start(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral("-c"),
                          QStringLiteral("import tkinter as tk\nr = tk.Tk(className='Restored')\n"
                                         "r.geometry('400x300+100+150')\n%1\nr.mainloop()\n")
                              .arg(program)});
        else
            client.start(program.section(' ', 0, 0), program.section(' ', 1).split(' ', Qt::SkipEmptyParts));
        std::vector<WindowDescriptor> windows;
        QVERIFY(QTest::qWaitFor(
            [&] {
                const auto app =
                    m_desktop->applications().runningApplication(std::int32_t(client.processId()));
                windows = app ? m_service->movableWindows(*app) : windows;
                return !windows.empty();
            },
            20000));
        const auto number = m_desktop->accessibility().windowNumber(windows.front().element);

        const Rect target{300, 200, 640, 525};
        bool restored = true;
        try {
            restore(windows.front().element, target);
        } catch (const WindowServiceError&) {
            restored = false;
        }
        // Never a success for a window that is not where it was asked to be.
        const Rect landed = visibleFrame(number);
        const bool near = qAbs(landed.x - target.x) <= 3 && qAbs(landed.y - target.y) <= 3 &&
                          qAbs(landed.width - target.width) <= room &&
                          qAbs(landed.height - target.height) <= room;
        QVERIFY2(near == restored, qPrintable(landed.describe()));
        QCOMPARE(restored, !refused);
        client.kill();
        client.waitForFinished();
    }
};

QTEST_MAIN(TestX11Windows)
#include "tst_x11windows.moc"
