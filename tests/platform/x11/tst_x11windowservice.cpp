// The window service on the real desktop, for what the window manager matrix
// does not walk: which windows are movable, windows on another workspace,
// arranging past windows that refuse or vanish, one process hosting two
// applications, and clicks on windows without an application name or of
// this process.

#include "X11TestSupport.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/SimDesktop.h"
#include "platform/x11/X11Desktop.h"
#include "windows/AccessibilityWindowService.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

class TestX11WindowService : public QObject {
    Q_OBJECT

private:
    sim::SimDesktop m_session; // the session services and a log that records
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;
    std::unique_ptr<AccessibilityWindowService> m_service;

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

private slots:
    void initTestCase() {
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
        m_service = std::make_unique<AccessibilityWindowService>(
            test::desktopPlatform(m_clock, *m_desktop, m_session.platform()));
        QVERIFY(m_service->isTrusted(false));
    }

    void onlyStandardWindowsShownNowAreMovableAndOthersAreNeverTouched() {
        if (test::windowManagerIs("i3") || test::windowManagerIs("kwin_x11"))
            QSKIP("i3 opens every window on the current workspace; kwin_x11 keeps one desktop here");
        test::TestClient client;
        const auto shown = client.open(QStringLiteral("title=Alpha x=100 y=100"));
        QVERIFY(client.open(QStringLiteral("title=Dialog type=dialog")));
        const auto hidden = client.open(QStringLiteral("title=Hidden x=900 y=100"));
        QVERIFY(hidden && client.minimize(hidden));
        const auto elsewhere = client.open(QStringLiteral("title=Elsewhere desktop=1 x=700 y=500"));
        QVERIFY(client.open(QStringLiteral("x=500 y=300"))); // no title
        QVERIFY(shown && elsewhere);

        const std::vector<WindowDescriptor> windows = movable(client);
        QStringList titles;
        for (const WindowDescriptor& w : windows)
            titles << w.title;
        QCOMPARE(titles, (QStringList{QStringLiteral("名称なし"), QStringLiteral("Alpha")}));
        // Ids are positions in the application's full window list.
        Accessibility& ax = m_desktop->accessibility();
        const auto all = std::get<std::vector<AXElement>>(
            ax.copyAttributeValue(ax.applicationElement(client.pid()), AXAttribute::windows).value);
        QCOMPARE(all.size(), std::size_t(5));
        QCOMPARE(m_service->readFrame(all[std::size_t(windows[1].id)]), std::optional(windows[1].frame));

        // One frame for a window here and one on the other workspace (as when
        // maximized on both): only the one here moves, not even a direct
        // write reaches the other.
        const Rect hiddenFrame = *client.frame(elsewhere);
        restore(windows[1].element, hiddenFrame);
        QCOMPARE(*client.frame(shown), hiddenFrame);
        const AXElement element = test::windowElement(client.pid(), elsewhere);
        QVERIFY(!ax.isAttributeSettable(element, AXAttribute::position).settable);
        QVERIFY(ax.setAttributeValue(element, AXAttribute::position, AXPointValue{{10, 10}}) !=
                AXErrorCode::success);
        QCOMPARE(*client.frame(elsewhere), hiddenFrame);
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
            // kwin_x11 lists a window a moment after it shows it.
            QTRY_COMPARE(m_desktop->applications().runningApplications(name).size(), std::size_t(1));
            const auto apps = m_desktop->applications().runningApplications(name);
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

    void clicksOnNamelessAndOwnWindows() {
        // A window whose process names no application: only the hit-test route finds it.
        test::TestClient anonymous;
        const auto nameless =
            anonymous.open(QStringLiteral("title=nameless class= instance= x=1500 y=300 w=400 h=300"));
        QVERIFY(nameless);
        const auto hit = m_service->windowAtPoint(anonymous.frame(nameless)->center());
        QCOMPARE(hit.application.processIdentifier, anonymous.pid());
        QVERIFY(!hit.application.bundleIdentifier);
        QCOMPARE(hit.window.id, 0);
        QCOMPARE(hit.window.title, QStringLiteral("nameless"));

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
