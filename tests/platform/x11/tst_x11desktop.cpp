// The real desktop's screens and applications. Screens: RandR monitors in
// order, frames relative to the primary, display identity from EDID and output numbers, the main screen, and
// which changes are notified. Applications, seen through their windows: who is an application, what it is
// called, and when it counts as launched.

#include "X11TestSupport.h"
#include "model/ScreenGeometry.h"
#include "platform/linux/SystemClock.h"
#include "platform/x11/EdidIdentity.h"
#include "platform/x11/X11Desktop.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <QtTest>
#include <xcb/randr.h>
#include <xcb/xcb.h>

using namespace stellwick;
using namespace stellwick::x11;

namespace {

// Replaces the monitors with NAME=WxH+X+Y entries, the first one primary and
// bound to Xvfb's output (its automatic monitor goes then), the others to none.
bool setMonitors(const QStringList& monitors) {
    QProcess listing;
    listing.start(QStringLiteral("xrandr"), {QStringLiteral("--listmonitors")});
    listing.waitForFinished(30000);
    // " 0: *LEFT 1280/338x1080/285+0+0  screen"
    for (const QString& line : QString::fromUtf8(listing.readAllStandardOutput()).split('\n').mid(1)) {
        if (QStringList parts = line.simplified().split(' '); parts.size() >= 2)
            test::runTool(QStringLiteral("xrandr"),
                          {QStringLiteral("--delmonitor"), parts[1].remove('*').remove('+')});
    }
    for (const QString& monitor : monitors) {
        // In millimetres too: any size will do.
        const QString placement = monitor.section('=', 1).replace(
            QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)")), QStringLiteral("\\1/300x\\2/300"));
        const bool primary = monitor == monitors.front();
        if (test::runTool(QStringLiteral("xrandr"),
                          {QStringLiteral("--setmonitor"), (primary ? "*" : "") + monitor.section('=', 0, 0),
                           placement, primary ? QStringLiteral("screen") : QStringLiteral("none")}) != 0)
            return false;
    }
    return true;
}

bool resetMonitors() {
    return setMonitors({QStringLiteral("LEFT=1280x1080+0+0"), QStringLiteral("RIGHT=1280x1080+1280+0")});
}

// Gives Xvfb's one output (which has none) this EDID block; an empty block
// deletes it.
bool setOutputEdid(const QByteArray& edid) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 4, "EDID"), nullptr);
    auto* resources = xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, root), nullptr);
    bool ok = false;
    if (atom && resources && xcb_randr_get_screen_resources_current_outputs_length(resources) > 0) {
        const auto output = xcb_randr_get_screen_resources_current_outputs(resources)[0];
        xcb_generic_error_t* error = xcb_request_check(
            c, edid.isEmpty() ? xcb_randr_delete_output_property_checked(c, output, atom->atom)
                              : xcb_randr_change_output_property_checked(
                                    c, output, atom->atom, XCB_ATOM_INTEGER, 8, XCB_PROP_MODE_REPLACE,
                                    std::uint32_t(edid.size()), edid.data()));
        ok = !error;
        std::free(error);
    }
    std::free(atom);
    std::free(resources);
    xcb_disconnect(c);
    return ok;
}

} // namespace

class TestX11Desktop : public QObject {
    Q_OBJECT

private:
    test::ScratchFolder m_folder;
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;

    Screens& screens() { return m_desktop->screens(); }
    Applications& apps() { return m_desktop->applications(); }
    bool xrandr(const QString& arguments) {
        return test::runTool(QStringLiteral("xrandr"), arguments.split(QLatin1Char(' '))) == 0 &&
               test::deliverPendingEvents(*m_desktop->connection());
    }

private slots:
    void initTestCase() {
        // The installed applications and the user's language, as the backend reads them at start.
        const QString data = m_folder.path(QStringLiteral("data"));
        test::writeFile(data + "/applications/org.stellwick.Sample.desktop",
                        "[Desktop Entry]\nType=Application\nName=Sample\nName[ja]=サンプル\nExec=true\n"
                        "StartupWMClass=StellwickSample\n");
        qputenv("XDG_DATA_HOME", data.toUtf8());
        qputenv("XDG_DATA_DIRS", m_folder.path(QStringLiteral("none")).toUtf8());
        qputenv("LC_ALL", "ja_JP.UTF-8");
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(m_desktop->isConnected());
    }

    void init() {
        QVERIFY(resetMonitors());
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
    }

    void primaryAwayFromTheRootOriginMovesTheOrigin() {
        // The primary on the right, another monitor left of it and one above.
        QVERIFY(setMonitors({QStringLiteral("MAIN=1280x1080+1280+600"),
                             QStringLiteral("SIDE=1280x1080+0+600"), QStringLiteral("TOP=1280x600+1280+0")}));

        // A window at root (1380, 700) is at (100, 100) of the desktop space,
        // and a frame written there lands there.
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=1380 y=700 w=300 h=200"));
        QVERIFY(window);
        Accessibility& ax = m_desktop->accessibility();
        const AXElement element = test::windowElement(client.pid(), window);
        const Rect root = *client.frame(window);
        const auto position =
            std::get<AXPointValue>(ax.copyAttributeValue(element, AXAttribute::position).value);
        QCOMPARE(position.point, (Point{root.x - 1280, root.y - 600}));

        QCOMPARE(ax.setAttributeValue(element, AXAttribute::position, AXPointValue{{-1000, 100}}),
                 AXErrorCode::success);
        QTRY_COMPARE(*client.frame(window), (Rect{280, 700, root.width, root.height}));
    }

    // Monitors come primary first; the primary is bound to Xvfb's output and
    // numbered, and matched by the UUID of an EDID once it has one, also
    // after it moved to another place, connector name and number.
    void monitorsAreFoundByOutputNumberOrEdid() {
        auto all = screens().screens();
        QCOMPARE(all.size(), std::size_t(2));
        QCOMPARE(all[0].localizedName, QStringLiteral("LEFT"));
        QCOMPARE(all[1].frame, (Rect{1280, 0, 1280, 1080}));
        QVERIFY(all[0].displayNumber && !all[1].displayNumber && !all[0].displayUUID);

        const QByteArray edid = test::makeEdid("DEL", 0x4321, 777);
        QVERIFY(setOutputEdid(edid));
        const QString expected = displayUuid(*parseEdid(edid));
        all = screens().screens();
        QCOMPARE(all[0].displayUUID, std::optional(expected));
        QVERIFY(!all[1].displayUUID);
        QVERIFY(
            setMonitors({QStringLiteral("OTHER=1280x1080+1280+0"), QStringLiteral("LEFT=1280x1080+0+0")}));
        const auto region = ScreenGeometry(screens(), m_desktop->windowServer())
                                .regionForDisplay({9999, QStringLiteral("LEFT"), expected});
        QVERIFY(region && !region->usedFallback);
        QCOMPARE(region->reference.name, std::optional(QStringLiteral("OTHER")));
        QVERIFY(setOutputEdid({}));
        QVERIFY(!screens().screens()[0].displayUUID);
    }

    void mainScreenHoldsTheActiveWindow() {
        if (test::windowManagerIs("xfwm4") || test::windowManagerIs("i3"))
            QSKIP("xfwm4 keeps windows off an output-less monitor; i3 places new floating windows itself");
        test::TestClient client;
        const auto left = client.open(QStringLiteral("x=100 y=100 w=300 h=200"));
        const auto right = client.open(QStringLiteral("x=1500 y=100 w=300 h=200"));
        QVERIFY(left && right);
        QVERIFY(client.activate(right));
        QCOMPARE(screens().mainScreen()->localizedName, QStringLiteral("RIGHT"));
        QVERIFY(client.activate(left));
        QCOMPARE(screens().mainScreen()->localizedName, QStringLiteral("LEFT"));
    }

    // Monitors removed and added, and a real output change (another mode:
    // RandR events), are notified; windows coming and going are not.
    void displayChangesAreNotifiedWindowsAreNot() {
        int changes = 0;
        Cancellable subscription = screens().subscribeScreenParameterChanges([&] { ++changes; });
        {
            test::TestClient client;
            QVERIFY(client.open());
        }
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QCOMPARE(changes, 0);
        const auto notified = [&](const auto& change) {
            changes = 0;
            return change() && QTest::qWaitFor([&] { return changes > 0; });
        };
        QVERIFY(notified([] { return setMonitors({QStringLiteral("LEFT=1280x1080+0+0")}); }));
        QCOMPARE(screens().screens().size(), std::size_t(1));
        QVERIFY(notified([] { return resetMonitors(); }));
        QCOMPARE(screens().screens().size(), std::size_t(2));
        QVERIFY(xrandr(QStringLiteral("--newmode half 100 1280 1300 1400 1500 1080 1090 1100 1110")));
        QVERIFY(xrandr(QStringLiteral("--addmode screen half")));
        QVERIFY(notified([&] { return xrandr(QStringLiteral("--output screen --mode half")); }));
        QVERIFY(xrandr(QStringLiteral("--output screen --mode 2560x1080")));

        subscription.cancel();
        changes = 0;
        QVERIFY(setMonitors({QStringLiteral("ONE=2560x1080+0+0")}));
        QVERIFY(test::deliverPendingEvents(*m_desktop->connection()));
        QCOMPARE(changes, 0);
    }

    void applicationsAreProcessesNamedByTheirDesktopEntry() {
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

        // Only processes with normal windows are regular.
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
};

QTEST_MAIN(TestX11Desktop)
#include "tst_x11desktop.moc"
