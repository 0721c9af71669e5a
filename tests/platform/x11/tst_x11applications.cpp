// Running applications seen through their windows on the real desktop: who is
// an application, what it is called, its icon, when it counts as launched
// (a launch as such is checked under every window manager), and bringing
// this application's own window to the front.

#include "X11TestSupport.h"
#include "platform/linux/SystemClock.h"
#include "platform/x11/X11Desktop.h"
#include "support/TestFiles.h"

#include <QGuiApplication>
#include <QtTest>
#include <cstdlib>
#include <xcb/xcb.h>

using namespace stellwick;
using namespace stellwick::x11;

class TestX11Applications : public QObject {
    Q_OBJECT

private:
    test::ScratchFolder m_folder;
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;

    Applications& apps() { return m_desktop->applications(); }

private slots:
    void initTestCase() {
        // The installed applications and the user's language, as the backend reads them at start.
        const QString data = m_folder.path(QStringLiteral("data"));
        test::writeFile(data + "/applications/org.stellwick.Sample.desktop",
                        "[Desktop Entry]\nType=Application\nName=Sample\nName[ja]=サンプル\nExec=true\n"
                        "StartupWMClass=StellwickSample\nIcon=" +
                            m_folder.path(QStringLiteral("sample.png")).toUtf8() + "\n");
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::blue);
        QVERIFY(icon.save(m_folder.path(QStringLiteral("sample.png"))));
        qputenv("XDG_DATA_HOME", data.toUtf8());
        qputenv("XDG_DATA_DIRS", m_folder.path(QStringLiteral("none")).toUtf8());
        qputenv("LC_ALL", "ja_JP.UTF-8");
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
    }

    void applicationsAreNamedByTheirDesktopEntry() {
        test::TestClient sample;
        QVERIFY(sample.open(QStringLiteral("class=StellwickSample instance=sample")));
        const auto app = apps().runningApplication(sample.pid());
        QVERIFY(app);
        QCOMPARE(app->bundleIdentifier, std::optional(QStringLiteral("org.stellwick.Sample")));
        QCOMPARE(app->localizedName, std::optional(QStringLiteral("サンプル")));
        QCOMPARE(app->activationPolicy, ActivationPolicy::regular);

        // Instances of one application, oldest first.
        test::TestClient second;
        QVERIFY(second.open(QStringLiteral("class=StellwickSample")));
        const auto found = apps().runningApplications(QStringLiteral("org.stellwick.Sample"));
        QCOMPARE(found.size(), std::size_t(2));
        QCOMPARE(found[0].processIdentifier, sample.pid());
        QCOMPARE(found[1].processIdentifier, second.pid());
        QVERIFY(apps().runningApplications(QStringLiteral("org.example.Missing")).empty());
    }

    void onlyProcessesWithNormalWindowsAreRegular() {
        test::TestClient panel;
        // i3 keeps docks out of its client list: they are its bars' business.
        QVERIFY(test::windowManagerIs("i3") ||
                panel.open(QStringLiteral("type=dock x=0 y=1050 w=1280 h=30")));
        QVERIFY(panel.open(QStringLiteral("type=notification")));
        QCOMPARE(apps().runningApplication(panel.pid())->activationPolicy, ActivationPolicy::accessory);

        // A process without windows is no application; a process that ended is none.
        test::TestClient gone;
        const std::int32_t pid = gone.pid();
        gone.kill();
        QVERIFY(!apps().runningApplication(pid));
    }

    void namesFollowWindowsThatChangeOrAppearAfterBeingListed() {
        test::TestClient client;
        const std::uint32_t window = client.open(QStringLiteral("class=FirstName"));
        QVERIFY(window);
        // Some managers list a new window a moment after showing it.
        QTRY_COMPARE(apps().runningApplications(QStringLiteral("FirstName")).size(), std::size_t(1));

        // Another client renames the window; no event is delivered before the next look.
        xcb_connection_t* other = xcb_connect(nullptr, nullptr);
        const char wmClass[] = "second\0SecondName";
        xcb_change_property(other, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            sizeof wmClass, wmClass);
        std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
        xcb_disconnect(other);
        QVERIFY(apps().runningApplications(QStringLiteral("FirstName")).empty());
        QCOMPARE(apps().runningApplications(QStringLiteral("SecondName")).size(), std::size_t(1));

        test::TestClient later;
        QVERIFY(later.open(QStringLiteral("class=SecondName")));
        QTRY_COMPARE(apps().runningApplications(QStringLiteral("SecondName")).size(), std::size_t(2));
    }

    void aLaunchIsAProcessShowingItsFirstNormalWindow() {
        QList<RunningApplication> launched;
        test::Waiter waiter;
        Cancellable subscription = apps().subscribeApplicationLaunches([&](const RunningApplication& app) {
            launched << app;
            waiter.fire();
        });

        test::TestClient client;
        // A splash screen first: not yet an application.
        QVERIFY(client.open(QStringLiteral("type=splash")));
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QVERIFY(launched.isEmpty());

        const auto window = client.open(QStringLiteral("class=StellwickSample"));
        QVERIFY(waiter.wait());
        QCOMPARE(launched.size(), 1);
        QCOMPARE(launched[0].processIdentifier, client.pid());
        QCOMPARE(launched[0].bundleIdentifier, std::optional(QStringLiteral("org.stellwick.Sample")));

        // More windows, or all closed and one opened again: the same launch.
        QVERIFY(client.open(QStringLiteral("class=StellwickSample")));
        QVERIFY(client.close(window));
        QVERIFY(client.open(QStringLiteral("class=StellwickSample")));
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QCOMPARE(launched.size(), 1);
        // A window of another application in the same process launches that one.
        QVERIFY(client.open(QStringLiteral("class=OtherTool")));
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QCOMPARE(launched.size(), 2);
        QCOMPARE(launched[1].bundleIdentifier, std::optional(QStringLiteral("OtherTool")));

        subscription.cancel();
        QVERIFY(client.open(QStringLiteral("class=ThirdTool")));
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QCOMPARE(launched.size(), 2);
    }

    void iconsComeFromTheEntryOrFromTheWindow() {
        const auto fromEntry = apps().applicationIcon(QStringLiteral("org.stellwick.Sample"));
        QVERIFY(fromEntry);
        QCOMPARE(fromEntry->pixelColor(8, 8), QColor(Qt::blue));

        test::TestClient client;
        QVERIFY(client.open(QStringLiteral("class=IconTool icon=1")));
        const auto fromWindow = apps().applicationIcon(QStringLiteral("IconTool"));
        QVERIFY(fromWindow);
        QCOMPARE(fromWindow->size(), QSize(4, 4)); // the larger of the two it carries
    }

    void activatingBringsOurOwnWindowForward() {
        test::TestWindow own;
        own.resize(300, 200);
        QVERIFY(own.showAndWait());

        test::TestClient client;
        const auto other = client.open(QStringLiteral("x=50 y=50 w=500 h=400"));
        QSignalSpy deactivated(&own, &QWindow::activeChanged);
        QVERIFY(client.activate(other));
        if (own.isActive())
            QVERIFY(deactivated.wait(5000));
        QVERIFY(!own.isActive());

        QSignalSpy activated(&own, &QWindow::activeChanged);
        apps().activateCurrentApplication();
        QVERIFY(activated.wait(5000));
        QVERIFY(own.isActive());
    }
};

QTEST_MAIN(TestX11Applications)
#include "tst_x11applications.moc"
