// The window list and window reads that are kept between calls stay true to
// the server: after changes made by other clients (read without running the
// event loop, so the backend must take in the events itself), and when a new
// window gets the id of a destroyed one.

#include "X11TestSupport.h"
#include "platform/linux/SystemClock.h"
#include "platform/x11/ClientFactsCache.h"
#include "platform/x11/DesktopSpace.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11WindowServer.h"
#include "platform/x11/XConnection.h"

#include <QtTest>
#include <functional>
#include <thread>

using namespace stellwick;
using namespace stellwick::x11;

class TestX11WindowList : public QObject {
    Q_OBJECT

private:
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;
    std::unique_ptr<DesktopSpace> m_space;

    static constexpr unsigned shown =
        WindowListOption::onScreenOnly | WindowListOption::excludeDesktopElements;

    Accessibility& ax() { return m_desktop->accessibility(); }
    std::vector<WindowServerEntry> mine(std::vector<WindowServerEntry> all, std::int32_t pid) {
        std::erase_if(all, [pid](const WindowServerEntry& e) { return e.ownerPID != pid; });
        return all;
    }
    // The list as the backend keeps it, and as a backend that keeps nothing reads it.
    std::vector<WindowServerEntry> kept(std::int32_t pid) {
        return mine(m_desktop->windowServer().windowList(shown).value_or(std::vector<WindowServerEntry>{}),
                    pid);
    }
    std::vector<WindowServerEntry> fresh(std::int32_t pid) {
        ClientFactsCache nothingKept(*m_desktop->connection(), m_clock);
        X11WindowServer server(*m_desktop->connection(), nothingKept, *m_space);
        return mine(server.windowList(shown).value_or(std::vector<WindowServerEntry>{}), pid);
    }
    Rect frameOf(const AXElement& window) {
        const AXCopyResult position = ax().copyAttributeValue(window, AXAttribute::position);
        const AXCopyResult size = ax().copyAttributeValue(window, AXAttribute::size);
        if (position.error != AXErrorCode::success || size.error != AXErrorCode::success)
            return {};
        return Rect::fromOriginSize(std::get<AXPointValue>(position.value).point,
                                    std::get<AXSizeValue>(size.value).size);
    }
    // Polls without running the event loop until `done` holds (at most 5 s).
    static bool eventually(const std::function<bool()>& done) {
        for (int i = 0; i < 250; ++i) {
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return done();
    }

private slots:
    void initTestCase() {
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
        m_space = std::make_unique<DesktopSpace>(*m_desktop->connection());
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
            before = kept(client.pid());
            return before.size() == 1 && frameOf(element) == before.front().bounds &&
                   before == fresh(client.pid());
        }));

        if (change == QLatin1String("minimize"))
            QVERIFY(client.minimize(window));
        else
            QCOMPARE(test::runTool(QStringLiteral("xdotool"), change.arg(window).split(QLatin1Char(' '))), 0);
        // Each round reads what is kept right after what the server says.
        QVERIFY(eventually([&] {
            const auto now = fresh(client.pid());
            const auto listed = kept(client.pid());
            return now != before && listed == now &&
                   (listed.empty() || frameOf(element) == listed.front().bounds);
        }));
        QVERIFY(eventually([&] { return frameOf(element) == *client.frame(window); }));
    }

    void aReusedWindowIdInheritsNothing() {
        std::optional<test::TestClient> first(std::in_place);
        const auto window = first->open(QStringLiteral("x=100 y=100 w=300 h=200 title=first"));
        QVERIFY(window);
        const std::int32_t firstPid = first->pid();
        const AXElement byFirst = test::windowElement(firstPid, window);
        QCOMPARE(ax().pid(byFirst).pid, firstPid);
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
        QCOMPARE(std::get<QString>(ax().copyAttributeValue(bySecond, AXAttribute::title).value),
                 QStringLiteral("second"));
        QCOMPARE(frameOf(bySecond), *second.frame(reused));
        QCOMPARE(kept(second.pid()), fresh(second.pid()));
    }
};

QTEST_MAIN(TestX11WindowList)
#include "tst_x11windowlist.moc"
