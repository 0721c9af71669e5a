// The window list and window access on the real X server and window manager:
// stacking order, what counts as on screen, layers, owners, the attributes of
// a window, frames written and read back through the window manager, and the
// errors of windows that are gone.

#include "X11TestSupport.h"
#include "platform/linux/SystemClock.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11WindowServer.h"
#include "platform/x11/XConnection.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

namespace {

std::vector<WindowServerEntry> entriesOf(const std::vector<WindowServerEntry>& all, std::int32_t pid) {
    std::vector<WindowServerEntry> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out),
                 [pid](const WindowServerEntry& e) { return e.ownerPID == pid; });
    return out;
}

} // namespace

class TestX11Windows : public QObject {
    Q_OBJECT

private:
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;

    Accessibility& ax() { return m_desktop->accessibility(); }
    std::vector<WindowServerEntry> onScreen(unsigned options = WindowListOption::onScreenOnly |
                                                               WindowListOption::excludeDesktopElements) {
        return m_desktop->windowServer().windowList(options).value_or(std::vector<WindowServerEntry>{});
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
    // Position, size, position, then waits for the window manager.
    bool write(const AXElement& window, const Rect& frame) {
        for (const QString& attribute : {AXAttribute::position, AXAttribute::size, AXAttribute::position}) {
            const AXValue value = attribute == AXAttribute::size ? AXValue(AXSizeValue{frame.size()})
                                                                 : AXValue(AXPointValue{frame.origin()});
            if (ax().setAttributeValue(window, attribute, value) != AXErrorCode::success)
                return false;
        }
        test::Waiter settled;
        Cancellable wait = ax().whenWriteSettled(window, [&] { settled.fire(); });
        return settled.wait();
    }

private slots:
    void initTestCase() {
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
        QVERIFY(ax().isProcessTrusted(false));
    }

    void windowListIsFrontToBackWithOuterFrames() {
        test::TestClient client;
        const auto back = client.open(QStringLiteral("x=100 y=100 w=400 h=300"));
        const auto front = client.open(QStringLiteral("x=200 y=150 w=300 h=200"));
        QVERIFY(back && front);

        const auto mine = entriesOf(onScreen(), client.pid());
        QCOMPARE(mine.size(), std::size_t(2));
        // Outer frames (decorations included) as the client itself sees them.
        QCOMPARE(mine[0].bounds, *client.frame(front));
        QCOMPARE(mine[1].bounds, *client.frame(back));
        QVERIFY(mine[0].bounds.width > 300); // the frame adds borders
        QCOMPARE(mine[0].layer, WindowLevel::normal);

        QVERIFY(client.activate(back));
        const auto raised = entriesOf(onScreen(), client.pid());
        QCOMPARE(raised[0].bounds, *client.frame(back));
    }

    void onlyWindowsShownNowAreOnScreen() {
        test::TestClient client;
        const auto shown = client.open(QStringLiteral("x=100 y=100 title=shown"));
        const auto minimized = client.open(QStringLiteral("x=150 y=150 minimized=1"));
        const auto elsewhere = client.open(QStringLiteral("x=200 y=200 desktop=1"));
        const auto sticky = client.open(QStringLiteral("x=250 y=250 desktop=all"));
        QVERIFY(shown && minimized && elsewhere && sticky);

        auto frames = [&] {
            std::vector<Rect> out;
            for (const auto& e : entriesOf(onScreen(), client.pid()))
                out.push_back(e.bounds);
            return out;
        };
        auto listed = frames();
        QCOMPARE(listed.size(), std::size_t(2));
        QVERIFY(std::find(listed.begin(), listed.end(), *client.frame(shown)) != listed.end());
        QVERIFY(std::find(listed.begin(), listed.end(), *client.frame(sticky)) != listed.end());
        // Without the on-screen option every managed window is listed.
        QCOMPARE(entriesOf(onScreen(0), client.pid()).size(), std::size_t(4));

        // Minimized is what the user minimized; another desktop is not that.
        QCOMPARE(read<bool>(test::windowElement(client.pid(), minimized), AXAttribute::minimized), true);
        QCOMPARE(read<bool>(test::windowElement(client.pid(), elsewhere), AXAttribute::minimized), false);
        QCOMPARE(read<bool>(test::windowElement(client.pid(), shown), AXAttribute::minimized), false);

        // On the other desktop, the other window shows and the first does not.
        QVERIFY(client.switchDesktop(1));
        listed = frames();
        QVERIFY(client.switchDesktop(0));
        QCOMPARE(listed.size(), std::size_t(2));
        QVERIFY(std::find(listed.begin(), listed.end(), *client.frame(elsewhere)) != listed.end());
        QVERIFY(std::find(listed.begin(), listed.end(), *client.frame(shown)) == listed.end());
    }

    void panelsDocksAndDesktopsHaveTheirLayers() {
        test::TestClient client;
        QVERIFY(client.open(QStringLiteral("type=dock x=0 y=0 w=1280 h=24")));
        QVERIFY(client.open(QStringLiteral("type=dock x=0 y=1040 w=1280 h=40")));
        QVERIFY(client.open(QStringLiteral("type=desktop x=0 y=0 w=2560 h=1080")));

        auto layers = [&](unsigned options) {
            std::vector<int> out;
            for (const auto& e : entriesOf(onScreen(options), client.pid()))
                out.push_back(e.layer);
            std::sort(out.begin(), out.end());
            return out;
        };
        QCOMPARE(layers(WindowListOption::onScreenOnly),
                 (std::vector<int>{WindowLevel::desktop, dockWindowLevel, WindowLevel::mainMenu}));
        QCOMPARE(layers(WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements),
                 (std::vector<int>{dockWindowLevel, WindowLevel::mainMenu}));
        QCOMPARE(m_desktop->windowServer().windowLevelForKey(WindowLevelKey::mainMenu),
                 WindowLevel::mainMenu);
    }

    void ownersAreFoundWithoutTheirOwnWord() {
        // No _NET_WM_PID: the server knows the process on the other end.
        test::TestClient client;
        const auto window = client.open(QStringLiteral("netpid=0"));
        QVERIFY(window);
        QCOMPARE(entriesOf(onScreen(), client.pid()).size(), std::size_t(1));
        QCOMPARE(ax().pid(test::windowElement(0, window)).pid, client.pid());
    }

    void windowsReadAsAccessibilityElements() {
        test::TestClient client;
        const auto standard =
            client.open(QStringLiteral("title=") + test::encoded(QStringLiteral("日本語のタイトル")));
        const auto dialog = client.open(QStringLiteral("type=dialog title=dialog"));
        const auto transient = client.open(QStringLiteral("title=transient transient=%1").arg(standard));
        const auto utility = client.open(QStringLiteral("type=utility"));
        const auto splash = client.open(QStringLiteral("type=splash"));
        const auto legacy =
            client.open(QStringLiteral("legacy-title=") + test::encoded(QStringLiteral("café")));
        const auto untitled = client.open();
        QVERIFY(standard && dialog && transient && utility && splash && legacy && untitled);

        // The application's windows, front to back, and what they are.
        const AXElement app = ax().applicationElement(client.pid());
        const auto windows = read<std::vector<AXElement>>(app, AXAttribute::windows);
        QCOMPARE(windows.size(), std::size_t(7));
        QCOMPARE(ax().pid(windows.front()).pid, client.pid());
        QCOMPARE(frameOf(windows.front()), *client.frame(untitled));
        QCOMPARE(read<QString>(app, AXAttribute::role), QStringLiteral("AXApplication"));

        const auto subrole = [&](std::uint32_t w) {
            return read<QString>(test::windowElement(client.pid(), w), AXAttribute::subrole);
        };
        QCOMPARE(subrole(standard), AXRoleValue::standardWindow);
        QCOMPARE(subrole(untitled), AXRoleValue::standardWindow);
        QCOMPARE(subrole(dialog), AXRoleValue::dialog);
        QCOMPARE(subrole(transient), AXRoleValue::dialog);
        QCOMPARE(subrole(utility), AXRoleValue::floatingWindow);
        QVERIFY(subrole(splash) != AXRoleValue::standardWindow);
        for (const AXElement& w : windows)
            QCOMPARE(read<QString>(w, AXAttribute::role), AXRoleValue::window);

        const auto title = [&](std::uint32_t w) {
            return ax().copyAttributeValue(test::windowElement(client.pid(), w), AXAttribute::title);
        };
        QCOMPARE(std::get<QString>(title(standard).value), QStringLiteral("日本語のタイトル"));
        QCOMPARE(std::get<QString>(title(legacy).value), QStringLiteral("café"));
        QCOMPARE(title(untitled).error, AXErrorCode::noValue);
        QVERIFY(client.setTitle(untitled, QStringLiteral("renamed")));
        QCOMPARE(std::get<QString>(title(untitled).value), QStringLiteral("renamed"));

        // Parent and window: how a hit element finds its application.
        const AXElement element = test::windowElement(client.pid(), standard);
        const auto parent = read<AXElement>(element, AXAttribute::parent);
        QVERIFY(parent);
        QCOMPARE(ax().pid(parent).pid, client.pid());
        QCOMPARE(read<QString>(parent, AXAttribute::role), QStringLiteral("AXApplication"));
        QVERIFY(read<AXElement>(element, AXAttribute::window));
        QCOMPARE(ax().copyAttributeValue(element, QStringLiteral("AXFocused")).error,
                 AXErrorCode::attributeUnsupported);
    }

    void framesWrittenAreFramesReadBack() {
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300"));
        QVERIFY(window);
        const AXElement element = test::windowElement(client.pid(), window);
        QVERIFY(ax().isAttributeSettable(element, AXAttribute::position).settable);
        QVERIFY(ax().isAttributeSettable(element, AXAttribute::size).settable);

        for (const Rect target :
             {Rect{300, 200, 640, 480}, Rect{1400, 50, 500, 700}, Rect{0, 0, 1280, 1080}}) {
            QVERIFY(write(element, target));
            QCOMPARE(frameOf(element), target);
            QCOMPARE(*client.frame(window), target);
        }
    }

    void framesWrittenToQtWindowsLandExactly() {
        // Qt asks for static gravity, which throws naive moves off by the
        // decorations; the frame must still land where it was asked.
        test::TestWindow qtWindow;
        qtWindow.setGeometry(300, 300, 320, 240);
        QVERIFY(qtWindow.showAndWait());
        const auto window = std::uint32_t(qtWindow.winId());
        const AXElement element =
            test::windowElement(std::int32_t(QCoreApplication::applicationPid()), window);
        test::TestClient observer;
        for (const Rect target : {Rect{100, 80, 500, 400}, Rect{1300, 200, 640, 480}}) {
            QVERIFY(write(element, target));
            QCOMPARE(frameOf(element), target);
            QCOMPARE(*observer.frame(window), target);
        }
    }

    void fixedSizeAndResizeIncrements() {
        test::TestClient client;
        const auto fixed = client.open(QStringLiteral("w=300 h=200 fixed=1"));
        const auto cells = client.open(QStringLiteral("w=484 h=316 incw=6 inch=13 basew=4 baseh=4"));
        const auto plain = client.open(QStringLiteral("w=300 h=200 incw=1 inch=1"));
        QVERIFY(fixed && cells && plain);

        const AXElement f = test::windowElement(client.pid(), fixed);
        QCOMPARE(ax().isAttributeSettable(f, AXAttribute::size).settable, false);
        QCOMPARE(ax().isAttributeSettable(f, AXAttribute::position).settable, true);
        QCOMPARE(ax().isAttributeSettable(f, AXAttribute::title).settable, false);

        const AXElement c = test::windowElement(client.pid(), cells);
        QCOMPARE(ax().sizeIncrements(c), (std::optional<Size>(Size{6, 13})));
        QCOMPARE(ax().sizeIncrements(test::windowElement(client.pid(), plain)), std::nullopt);
        QCOMPARE(ax().sizeIncrements(f), std::nullopt);
    }

    void windowsThatAreGoneAnswerInvalidElement() {
        test::TestClient client;
        const auto window = client.open();
        QVERIFY(window);
        const AXElement element = test::windowElement(client.pid(), window);
        QVERIFY(client.close(window));

        QCOMPARE(ax().copyAttributeValue(element, AXAttribute::role).error, AXErrorCode::invalidUIElement);
        QCOMPARE(ax().copyAttributeValue(element, AXAttribute::position).error,
                 AXErrorCode::invalidUIElement);
        QCOMPARE(ax().copyAttributeValue(element, AXAttribute::title).error, AXErrorCode::invalidUIElement);
        QCOMPARE(ax().setAttributeValue(element, AXAttribute::position, AXPointValue{{1, 1}}),
                 AXErrorCode::invalidUIElement);
        QCOMPARE(ax().isAttributeSettable(element, AXAttribute::size).error, AXErrorCode::invalidUIElement);
        QCOMPARE(ax().pid(element).error, AXErrorCode::invalidUIElement);
        QCOMPARE(ax().sizeIncrements(element), std::nullopt);
        test::Waiter settled;
        Cancellable wait = ax().whenWriteSettled(element, [&] { settled.fire(); });
        QVERIFY(settled.wait());

        // A process killed with its windows open: the same.
        test::TestClient doomed;
        const auto orphan = doomed.open();
        QVERIFY(orphan);
        const AXElement lost = test::windowElement(doomed.pid(), orphan);
        doomed.kill();
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QCOMPARE(ax().copyAttributeValue(lost, AXAttribute::size).error, AXErrorCode::invalidUIElement);
        QVERIFY(read<std::vector<AXElement>>(ax().applicationElement(doomed.pid()), AXAttribute::windows)
                    .empty());
    }

    void settlingWaitsForTheWindowManagerNotForTime() {
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300"));
        const AXElement element = test::windowElement(client.pid(), window);
        QCOMPARE(ax().setAttributeValue(element, AXAttribute::position, AXPointValue{{500, 400}}),
                 AXErrorCode::success);
        bool settled = false;
        test::Waiter waiter;
        Cancellable wait = ax().whenWriteSettled(element, [&] {
            settled = true;
            waiter.fire();
        });
        QVERIFY(!settled); // never inside the call
        QVERIFY(waiter.wait());
        QCOMPARE(frameOf(element).origin(), (Point{500, 400}));

        // Cancelled before it completes: never called.
        QCOMPARE(ax().setAttributeValue(element, AXAttribute::position, AXPointValue{{600, 400}}),
                 AXErrorCode::success);
        bool cancelledCalled = false;
        Cancellable cancelled = ax().whenWriteSettled(element, [&] { cancelledCalled = true; });
        cancelled.cancel();
        QVERIFY(write(element, {700, 400, 400, 300}));
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
        QVERIFY(!m_desktop->windowServer().windowList(WindowListOption::onScreenOnly));
        QCOMPARE(ax().copyAttributeValue(element, AXAttribute::size).error, AXErrorCode::cannotComplete);
        QVERIFY(elapsed.elapsed() < 500);

        xcb_ungrab_server(grabber);
        xcb_disconnect(grabber);
        QTRY_VERIFY(ax().isProcessTrusted(false));
        QCOMPARE(ax().copyAttributeValue(element, AXAttribute::position).error, AXErrorCode::success);
    }

    void hitTestingFindsTheClientUnderThePoint() {
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=600 y=500 w=300 h=200 title=target"));
        QVERIFY(window);
        const Rect frame = *client.frame(window);
        const AXElement systemWide = ax().systemWideElement();

        const AXElementResult hit =
            ax().elementAtPosition(systemWide, float(frame.midX()), float(frame.midY()));
        QCOMPARE(hit.error, AXErrorCode::success);
        QCOMPARE(read<QString>(hit.element, AXAttribute::role), AXRoleValue::window);
        QCOMPARE(ax().pid(hit.element).pid, client.pid());
        QCOMPARE(read<QString>(hit.element, AXAttribute::title), QStringLiteral("target"));
        // The title bar belongs to the window too.
        const AXElementResult onTitleBar =
            ax().elementAtPosition(systemWide, float(frame.midX()), float(frame.y + 5));
        QCOMPARE(ax().pid(onTitleBar.element).pid, client.pid());

        // Nothing there: an element that is no window and has no parent.
        const AXElementResult empty = ax().elementAtPosition(systemWide, 2500, 1050);
        QCOMPARE(empty.error, AXErrorCode::success);
        QVERIFY(read<QString>(empty.element, AXAttribute::role) != AXRoleValue::window);
        QCOMPARE(ax().copyAttributeValue(empty.element, AXAttribute::parent).error, AXErrorCode::noValue);
        QCOMPARE(ax().elementAtPosition(ax().applicationElement(1), 1, 1).error,
                 AXErrorCode::illegalArgument);
    }
};

QTEST_MAIN(TestX11Windows)
#include "tst_x11windows.moc"
