// Desktop-wide click and key listening on the real X server, driven through
// XTEST with xdotool: clicks anywhere with their position, Escape from
// another application, and this application's own windows left to the local
// monitors.

#include "X11TestSupport.h"
#include "platform/linux/SystemClock.h"
#include "platform/x11/X11Desktop.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

namespace {

bool xdotool(const QString& arguments) {
    return test::runTool(QStringLiteral("xdotool"), arguments.split(QLatin1Char(' '))) == 0;
}

} // namespace

class TestX11Events : public QObject {
    Q_OBJECT

private:
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;

    EventMonitors& monitors() { return m_desktop->eventMonitors(); }
    bool drain() { return test::deliverPendingEvents(*m_desktop->connection()); }
    bool click(int x, int y, int button = 1) {
        return xdotool(QStringLiteral("mousemove %1 %2 click %3").arg(x).arg(y).arg(button)) && drain();
    }

private slots:
    void initTestCase() {
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
    }

    void clicksAndEscapeElsewhereReachTheGlobalMonitor() {
        test::TestWindow own;
        own.setGeometry(1700, 400, 300, 200);
        QVERIFY(own.showAndWait());
        QList<InputEvent> seen;
        QList<Point> clicks; // where the pointer was, read in the handler
        Cancellable monitor = monitors().addGlobalMonitor(
            InputEventMask::leftMouseDown | InputEventMask::keyDown, [&](const InputEvent& event) {
                seen << event;
                if (event.type == InputEventType::leftMouseDown)
                    clicks << monitors().mouseLocation();
            });

        // Bottom-left space: y counts up from the primary's bottom edge (1080).
        QVERIFY(click(250, 300));
        QCOMPARE(clicks, QList<Point>{(Point{250, 780})});
        // Other buttons are no left clicks; on the second monitor as well.
        QVERIFY(click(1500, 100, 3));
        QVERIFY(click(1500, 100));
        QCOMPARE(clicks, (QList<Point>{{250, 780}, {1500, 980}}));
        // On our own window, or the window manager's frame of it (its title bar): no selection.
        const QPoint inside = own.geometry().center();
        QVERIFY(click(inside.x(), inside.y()));
        QVERIFY(click(inside.x(), own.frameGeometry().y() + 5));
        QCOMPARE(seen.size(), 2);

        // Escape typed into another application, and another key.
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300"));
        QVERIFY(window && client.activate(window));
        QVERIFY(xdotool(QStringLiteral("key Escape")) && xdotool(QStringLiteral("key x")) && drain());
        QCOMPARE(seen.size(), 4);
        QCOMPARE(seen[2], (InputEvent{InputEventType::keyDown, KeyCode::escape}));
        QCOMPARE(seen[3].type, InputEventType::keyDown);
        QVERIFY(seen[3].keyCode != KeyCode::escape);

        // Removed: no more events, and nothing asked of the server any more.
        monitor.cancel();
        QVERIFY(click(250, 300));
        QCOMPARE(seen.size(), 4);
    }

    void escapeInOwnWindowGoesToTheLocalMonitorOnly() {
        test::TestWindow own;
        own.setGeometry(1700, 400, 300, 200);
        QVERIFY(own.showAndWait());
        QSignalSpy activated(&own, &QWindow::activeChanged);
        own.requestActivate();
        if (!own.isActive())
            QVERIFY(activated.wait(5000));

        QList<InputEvent> global;
        QList<InputEvent> local;
        test::Waiter localSeen;
        Cancellable globalMonitor = monitors().addGlobalMonitor(
            InputEventMask::keyDown, [&](const InputEvent& event) { global << event; });
        Cancellable localMonitor = monitors().addLocalMonitor(
            InputEventMask::keyDown, [&](const InputEvent& event) -> std::optional<InputEvent> {
                local << event;
                localSeen.fire();
                return event.keyCode == KeyCode::escape ? std::nullopt : std::optional(event);
            });

        QVERIFY(xdotool(QStringLiteral("key Escape")));
        QVERIFY(localSeen.wait());
        QVERIFY(xdotool(QStringLiteral("key a")));
        QVERIFY(drain());
        QTRY_COMPARE(local.size(), 2);
        QCOMPARE(local[0], (InputEvent{InputEventType::keyDown, KeyCode::escape}));
        QCOMPARE(own.keys, QList<int>{Qt::Key_A}); // Escape swallowed, the other passed on
        QVERIFY(global.isEmpty());
    }
};

QTEST_MAIN(TestX11Events)
#include "tst_x11events.moc"
