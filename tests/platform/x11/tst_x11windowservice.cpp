// The window service on the real desktop: listing an application's windows,
// restoring frames with verification, arranging several windows, windows that
// refuse or vanish, terminal-like windows that snap to cells, and hit testing
// a click made through XTEST by both of the service's routes.

#include "X11TestSupport.h"
#include "model/ScreenGeometry.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/SimDesktop.h"
#include "platform/x11/X11Desktop.h"
#include "windows/AccessibilityWindowService.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

namespace {

Task<bool> asBool(Task<void> task) {
    co_await std::move(task);
    co_return true;
}

int countLines(const sim::RecordingRestorationLog& log, const QString& prefix) {
    return int(std::count_if(log.lines.begin(), log.lines.end(),
                             [&](const sim::LogLine& line) { return line.text.startsWith(prefix); }));
}

bool xdotool(const QString& arguments) {
    return test::runTool(QStringLiteral("xdotool"), arguments.split(QLatin1Char(' '))) == 0;
}

} // namespace

class TestX11WindowService : public QObject {
    Q_OBJECT

private:
    sim::SimDesktop m_session; // the session services and a log that records
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;
    std::unique_ptr<AccessibilityWindowService> m_service;

    sim::RecordingRestorationLog& log() { return m_session.log(); }
    RunningApplication application(const test::TestClient& client) {
        return m_desktop->applications().runningApplication(client.pid()).value_or(RunningApplication{});
    }
    std::vector<WindowDescriptor> movable(const test::TestClient& client) {
        return m_service->movableWindows(application(client));
    }
    void restore(const AXElement& element, const Rect& target) {
        test::completed(m_clock, asBool(m_service->restoreFrame(element, target)));
    }

private slots:
    void initTestCase() {
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
        m_service = std::make_unique<AccessibilityWindowService>(
            test::desktopPlatform(m_clock, *m_desktop, m_session.platform()));
        QVERIFY(m_service->isTrusted(false));
    }

    void init() { log().lines.clear(); }

    void movableWindowsAreTheStandardOnesShownNow() {
        test::TestClient client;
        QVERIFY(client.open(QStringLiteral("title=Alpha x=100 y=100")));
        QVERIFY(client.open(QStringLiteral("title=Dialog type=dialog")));
        QVERIFY(client.open(QStringLiteral("title=Hidden minimized=1 x=900 y=100")));
        QVERIFY(client.open(QStringLiteral("title=Elsewhere desktop=1 x=700 y=500")));
        QVERIFY(
            client.open(QStringLiteral("title=") + test::encoded(QStringLiteral("ベータ")) + " x=300 y=200"));
        QVERIFY(client.open(QStringLiteral("x=500 y=300"))); // no title

        const std::vector<WindowDescriptor> windows = movable(client);
        QStringList titles;
        for (const WindowDescriptor& w : windows)
            titles << w.title;
        QCOMPARE(titles, (QStringList{QStringLiteral("名称なし"), QStringLiteral("ベータ"),
                                      QStringLiteral("Alpha")}));

        // Ids are positions in the application's full window list.
        const auto all = std::get<std::vector<AXElement>>(
            m_desktop->accessibility()
                .copyAttributeValue(m_desktop->accessibility().applicationElement(client.pid()),
                                    AXAttribute::windows)
                .value);
        QCOMPARE(all.size(), std::size_t(6));
        for (const WindowDescriptor& w : windows) {
            QCOMPARE(m_service->readFrame(all[std::size_t(w.id)]), std::optional(w.frame));
            QCOMPARE(m_service->stringAttribute(AXAttribute::subrole, w.element),
                     AXRoleValue::standardWindow);
        }
    }

    void windowsOnAnotherWorkspaceAreNeverListedNorTouched() {
        // One frame, two windows (as when maximized on both workspaces).
        test::TestClient client;
        const auto shown = client.open(QStringLiteral("title=shown"));
        const auto hidden = client.open(QStringLiteral("title=hidden desktop=1"));
        QVERIFY(shown && hidden);
        const Rect hiddenFrame = *client.frame(hidden);
        restore(movable(client).front().element, hiddenFrame);
        QCOMPARE(*client.frame(shown), hiddenFrame);

        const auto windows = movable(client);
        QCOMPARE(windows.size(), std::size_t(1));
        QCOMPARE(windows[0].title, QStringLiteral("shown"));
        // Not even a direct write reaches it.
        const AXElement element = test::windowElement(client.pid(), hidden);
        QVERIFY(!m_desktop->accessibility().isAttributeSettable(element, AXAttribute::position).settable);
        QVERIFY(m_desktop->accessibility().setAttributeValue(element, AXAttribute::position,
                                                             AXPointValue{{10, 10}}) != AXErrorCode::success);
        QCOMPARE(*client.frame(hidden), hiddenFrame);
    }

    void windowsTheWindowManagerWillNotMoveOrResizeAreLeftAlone() {
        test::TestClient client;
        // Motif hints allowing resize only: the window manager refuses moves.
        const auto pinned = client.open(QStringLiteral("x=100 y=100 w=300 h=200 mwm-functions=2"));
        const auto narrow = client.open(QStringLiteral("x=500 y=100 w=300 h=200 minw=300 maxw=300 minh=50"));
        QVERIFY(pinned && narrow);
        const Rect before = *client.frame(pinned);
        QVERIFY_THROWS_EXCEPTION(WindowServiceError,
                                 restore(test::windowElement(client.pid(), pinned), {600, 500, 400, 300}));
        QCOMPARE(*client.frame(pinned), before);
        QCOMPARE(countLines(log(), QStringLiteral("after ")), 0);

        // Fixed in width only: placed and sized in height, its width kept.
        log().lines.clear();
        const double width = client.frame(narrow)->width;
        restore(test::windowElement(client.pid(), narrow), {600, 150, 500, 400});
        QCOMPARE(*client.frame(narrow), (Rect{600, 150, width, 400}));
        QCOMPARE(countLines(log(), QStringLiteral("after ")), 3);
    }

    void oneProcessHostingTwoApplicationsKeepsThemApart() {
        // A Tk program with two top-level windows of two classes.
        QProcess tk;
        tk.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import tkinter as tk\n"
                            "a = tk.Tk(className='Alphatool'); a.title('Alphatool')\n"
                            "b = tk.Toplevel(a, class_='Betatool'); b.title('Betatool')\n"
                            "a.geometry('300x200+100+600'); b.geometry('300x200+600+600')\n"
                            "def ready():\n"
                            "    if a.winfo_viewable() and b.winfo_viewable(): print('ready', flush=True)\n"
                            "    else: a.after(10, ready)\n"
                            "ready(); a.mainloop()\n")});
        QVERIFY(tk.waitForReadyRead(20000));
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        const auto pid = std::int32_t(tk.processId());

        for (const QString& name : {QStringLiteral("Alphatool"), QStringLiteral("Betatool")}) {
            const auto apps = m_desktop->applications().runningApplications(name);
            QCOMPARE(apps.size(), std::size_t(1));
            QCOMPARE(apps[0].processIdentifier, pid);
            const auto windows = m_service->movableWindows(apps[0]);
            QCOMPARE(windows.size(), std::size_t(1));
            QCOMPARE(windows[0].title, name);
            // A click on it names the application it belongs to.
            const auto hit = m_service->windowAtPoint(windows[0].frame.center());
            QCOMPARE(hit.application.bundleIdentifier, std::optional(name));
            QCOMPARE(hit.window.title, name);
        }
        tk.kill();
        tk.waitForFinished();
    }

    void restoringMovesAndSizesAWindowInOneAttempt() {
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300"));
        QVERIFY(window);
        const WindowDescriptor descriptor = movable(client).front();

        for (const Rect target : {Rect{300, 200, 640, 480}, Rect{1500, 120, 700, 800}}) {
            log().lines.clear();
            restore(descriptor.element, target);
            const Rect landed = *client.frame(window);
            QVERIFY(std::abs(landed.x - target.x) <= 3 && std::abs(landed.y - target.y) <= 3);
            QVERIFY(std::abs(landed.width - target.width) <= 3 &&
                    std::abs(landed.height - target.height) <= 3);
            // The window manager's answer was awaited: no retry was needed.
            QCOMPARE(countLines(log(), QStringLiteral("after ")), 3);
            QCOMPARE(countLines(log(), QStringLiteral("restore succeeded")), 1);
        }
    }

    void terminalsThatSnapToCellsAreAcceptedWhereTheyLand() {
        test::TestClient client;
        const auto window = client.open(QStringLiteral("w=484 h=316 incw=6 inch=13 basew=4 baseh=4"));
        QVERIFY(window);
        // Not a whole number of cells: the window manager rounds the size down.
        const Rect target{150, 120, 503, 407};
        restore(movable(client).front().element, target);
        const Rect landed = *client.frame(window);
        QVERIFY(landed.size() != target.size());
        QCOMPARE(landed.origin(), target.origin());
        QCOMPARE(countLines(log(), QStringLiteral("after ")), 3);
    }

    void arrangingSkipsFixedSizeAndVanishedWindows() {
        test::TestClient client;
        const auto first = client.open(QStringLiteral("title=first x=100 y=100 w=300 h=200"));
        const auto fixed = client.open(QStringLiteral("title=fixed x=150 y=150 w=300 h=200 fixed=1"));
        const Rect fixedBefore = *client.frame(fixed);
        const auto vanishing = client.open(QStringLiteral("title=vanishing x=200 y=200 w=300 h=200"));
        const auto last = client.open(QStringLiteral("title=last x=250 y=250 w=300 h=200"));
        QVERIFY(first && fixed && vanishing && last);
        std::vector<WindowDescriptor> windows = movable(client);
        QCOMPARE(windows.size(), std::size_t(4));
        // Oldest first, as the list was; then one goes between listing and moving.
        std::reverse(windows.begin(), windows.end());
        QVERIFY(client.close(vanishing));

        const Rect area{100, 100, 800, 600};
        const ArrangementResult result = test::completed(m_clock, m_service->arrangeWindows(windows, area));
        QCOMPARE(result.arrangedCount, std::int64_t(2));
        QCOMPARE(result.skippedCount, std::int64_t(2));
        // Cascaded by 36 points; the fixed window untouched.
        QCOMPARE(*client.frame(first), (Rect{100, 100, 692, 492}));
        QCOMPARE(*client.frame(last), (Rect{208, 208, 692, 492}));
        QCOMPARE(*client.frame(fixed), fixedBefore);
    }

    void clicksResolveToWindowsByBothRoutes() {
        test::TestClient client;
        const auto window =
            client.open(QStringLiteral("title=clicked class=ClickedTool x=400 y=300 w=400 h=300"));
        // A window whose process names no application: only the hit-test route finds it.
        test::TestClient anonymous;
        const auto nameless =
            anonymous.open(QStringLiteral("title=nameless class= instance= x=1500 y=300 w=400 h=300"));
        QVERIFY(window && nameless);

        // The click is listened for as the selection does it.
        Point clicked;
        test::Waiter waiter;
        Cancellable monitor = m_desktop->eventMonitors().addGlobalMonitor(
            InputEventMask::leftMouseDown, [&](const InputEvent&) {
                clicked = m_desktop->eventMonitors().mouseLocation();
                waiter.fire();
            });
        const ScreenGeometry geometry(m_desktop->screens(), m_desktop->windowServer());

        QVERIFY(xdotool(QStringLiteral("mousemove 600 450 click 1")));
        QVERIFY(waiter.wait());
        const auto hit = m_service->windowAtPoint(geometry.accessibilityPoint(clicked));
        QCOMPARE(hit.application.processIdentifier, client.pid());
        QCOMPARE(hit.application.bundleIdentifier, std::optional(QStringLiteral("ClickedTool")));
        QCOMPARE(hit.window.title, QStringLiteral("clicked"));
        QCOMPARE(hit.window.frame, *client.frame(window));

        waiter.reset();
        QVERIFY(xdotool(QStringLiteral("mousemove 1700 450 click 1")));
        QVERIFY(waiter.wait());
        const auto byHitTest = m_service->windowAtPoint(geometry.accessibilityPoint(clicked));
        QCOMPARE(byHitTest.application.processIdentifier, anonymous.pid());
        QVERIFY(!byHitTest.application.bundleIdentifier);
        QCOMPARE(byHitTest.window.id, 0);
        QCOMPARE(byHitTest.window.title, QStringLiteral("nameless"));

        // This process's own window is never the answer.
        test::TestWindow own;
        own.setGeometry(1000, 700, 200, 150);
        QVERIFY(own.showAndWait());
        try {
            m_service->windowAtPoint({1100, 775});
            QFAIL("resolved our own window");
        } catch (const WindowServiceError& error) {
            QCOMPARE(error.kind(), WindowServiceError::Kind::noMovableWindows);
        }
    }
};

QTEST_MAIN(TestX11WindowService)
#include "tst_x11windowservice.moc"
