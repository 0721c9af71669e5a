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

struct Seen {
    InputEvent event;
    Point location; // read in the handler
};

} // namespace

class TestX11Events : public QObject {
    Q_OBJECT

private:
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;

    EventMonitors& monitors() { return m_desktop->eventMonitors(); }
    bool drain() { return test::deliverPendingEvents(*m_desktop->connection()); }

private slots:
    void initTestCase() {
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
    }

    void clicksAnywhereComeWithThePointerPosition() {
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300"));
        QVERIFY(window);
        QList<Seen> seen;
        test::Waiter waiter;
        Cancellable monitor = monitors().addGlobalMonitor(
            InputEventMask::leftMouseDown | InputEventMask::keyDown, [&](const InputEvent& event) {
                seen << Seen{event, monitors().mouseLocation()};
                waiter.fire();
            });

        QVERIFY(xdotool(QStringLiteral("mousemove 250 300 click 1")));
        QVERIFY(waiter.wait());
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].event.type, InputEventType::leftMouseDown);
        // Bottom-left space: y counts up from the primary's bottom edge (1080).
        QCOMPARE(seen[0].location, (Point{250, 780}));

        // Other buttons are no left clicks; on the second monitor as well.
        QVERIFY(xdotool(QStringLiteral("mousemove 1500 100 click 3")));
        QVERIFY(xdotool(QStringLiteral("mousemove 1500 100 click 1")));
        QVERIFY(drain());
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[1].location, (Point{1500, 980}));

        // Removed: no more events, and nothing asked of the server any more.
        monitor.cancel();
        QVERIFY(xdotool(QStringLiteral("click 1")));
        QVERIFY(drain());
        QCOMPARE(seen.size(), 2);
    }

    void clicksOnOwnWindowsAreNoSelections() {
        test::TestWindow own;
        own.setGeometry(1700, 400, 300, 200);
        QVERIFY(own.showAndWait());
        QList<InputEvent> seen;
        Cancellable monitor = monitors().addGlobalMonitor(InputEventMask::leftMouseDown,
                                                          [&](const InputEvent& event) { seen << event; });

        const QPoint inside = own.geometry().center();
        QVERIFY(xdotool(QStringLiteral("mousemove %1 %2 click 1").arg(inside.x()).arg(inside.y())));
        QVERIFY(drain());
        QCOMPARE(seen.size(), 0);
        // On the window manager's frame of our window (its title bar): ours too.
        QVERIFY(xdotool(
            QStringLiteral("mousemove %1 %2 click 1").arg(inside.x()).arg(own.frameGeometry().y() + 5)));
        QVERIFY(drain());
        QCOMPARE(seen.size(), 0);

        QVERIFY(xdotool(QStringLiteral("mousemove 50 1000 click 1")));
        QVERIFY(drain());
        QCOMPARE(seen.size(), 1);
    }

    void escapeFromAnotherApplicationReachesTheGlobalMonitor() {
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300"));
        QVERIFY(window && client.activate(window));
        QList<InputEvent> seen;
        Cancellable monitor = monitors().addGlobalMonitor(InputEventMask::keyDown,
                                                          [&](const InputEvent& event) { seen << event; });
        QVERIFY(xdotool(QStringLiteral("key Escape")));
        QVERIFY(xdotool(QStringLiteral("key x")));
        QVERIFY(xdotool(QStringLiteral("click 1"))); // not asked for
        QVERIFY(drain());
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0], (InputEvent{InputEventType::keyDown, KeyCode::escape}));
        QCOMPARE(seen[1].type, InputEventType::keyDown);
        QVERIFY(seen[1].keyCode != KeyCode::escape);
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
        QVERIFY(drain());
        QCOMPARE(local, (QList<InputEvent>{{InputEventType::keyDown, KeyCode::escape}}));
        QVERIFY(global.isEmpty());
        QVERIFY(own.keys.isEmpty()); // swallowed

        QVERIFY(xdotool(QStringLiteral("key a")));
        QVERIFY(drain());
        localSeen.reset();
        if (local.size() < 2)
            QVERIFY(localSeen.wait());
        QCOMPARE(local.size(), 2);
        QCOMPARE(own.keys, QList<int>{Qt::Key_A}); // passed on
        QVERIFY(global.isEmpty());
    }
};

QTEST_MAIN(TestX11Events)
#include "tst_x11events.moc"
