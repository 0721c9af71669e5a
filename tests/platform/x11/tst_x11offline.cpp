// The desktop without a usable X11 session (no display, or a Wayland session
// without X11): the application still starts, sees nothing, is not trusted and
// never crashes; its own windows' keys still reach the local monitors.

#include "X11TestSupport.h"
#include "platform/sim/VirtualClock.h"
#include "platform/x11/LocalEventFilter.h"
#include "platform/x11/X11Desktop.h"

#include <QWindow>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

class TestX11Offline : public QObject {
    Q_OBJECT

    sim::VirtualClock clock;
    // A display that no server answers.
    std::unique_ptr<X11Desktop> desktop = X11Desktop::open(clock, QByteArrayLiteral("unix:4095"));

private slots:
    // What the application does at start without one is run by the application suite.
    void withoutAnXServerEverythingIsEmptyAndUntrusted() {
        QVERIFY(desktop && !desktop->isConnected());
        QVERIFY(!desktop->windowServer().windowList(WindowListOption::onScreenOnly));

        Accessibility& ax = desktop->accessibility();
        QVERIFY(!ax.isProcessTrusted(true));
        const AXElement app = ax.applicationElement(1234);
        QCOMPARE(ax.copyAttributeValue(app, AXAttribute::windows).error, AXErrorCode::apiDisabled);
        QCOMPARE(ax.setAttributeValue(app, AXAttribute::position, AXPointValue{{1, 2}}),
                 AXErrorCode::apiDisabled);
        bool settled = false;
        Cancellable wait = ax.whenWriteSettled(app, [&] { settled = true; });
        clock.runPending();
        QVERIFY(settled);

        desktop->applications().activateCurrentApplication();
        Cancellable global = desktop->eventMonitors().addGlobalMonitor(InputEventMask::leftMouseDown,
                                                                       [](const InputEvent&) {});
    }

    void escapeToOwnWindowsReachesTheLocalMonitorAndIsSwallowed() {
        test::TestWindow window;
        window.resize(200, 100);
        QVERIFY(window.showAndWait());

        QList<InputEvent> seen;
        Cancellable monitor = desktop->eventMonitors().addLocalMonitor(
            InputEventMask::keyDown, [&](const InputEvent& event) -> std::optional<InputEvent> {
                seen << event;
                return event.keyCode == KeyCode::escape ? std::nullopt : std::optional(event);
            });

        QTest::keyClick(&window, Qt::Key_Escape);
        QTest::keyClick(&window, Qt::Key_A);
        // Each key once, Escape as 53 and swallowed, the other passed on.
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0], (InputEvent{InputEventType::keyDown, KeyCode::escape}));
        QCOMPARE(window.keys, QList<int>{Qt::Key_A});

        // Removed: keys reach the window untouched.
        monitor.cancel();
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(seen.size(), 2);
        QCOMPARE(window.keys, (QList<int>{Qt::Key_A, Qt::Key_Escape}));
        // X key code 53 is a letter on common layouts: it must not read as Escape.
        QVERIFY(keyCodeFor(Qt::Key_X, 53) != KeyCode::escape);
    }

    // Named by its session type too (the application suite starts one by its display).
    void aWaylandSessionIsNamedWithWhatWorks() {
        QProcessEnvironment env;
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        QVERIFY(X11Desktop::sessionNotice(env).contains(QStringLiteral("XWayland")));
    }
};

QTEST_MAIN(TestX11Offline)
#include "tst_x11offline.moc"
