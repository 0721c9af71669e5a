// Window access under a window manager that does not reparent: clients keep
// their X border, which belongs to the outer frame when a frame is read and
// when one is written.

#include "X11TestSupport.h"
#include "platform/linux/SystemClock.h"
#include "platform/x11/X11Desktop.h"

#include <QtTest>

using namespace stellwick;

class TestX11NonReparenting : public QObject {
    Q_OBJECT

private slots:
    void borderedFramesLandWhereTheyAreWritten() {
        // The test client as a minimal non-reparenting window manager.
        QProcess windowManager;
        windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        windowManager.start(QStringLiteral(STELLWICK_TESTCLIENT), {QStringLiteral("wm")});
        QVERIFY(windowManager.waitForReadyRead(10000));
        QCOMPARE(windowManager.readLine().trimmed(), "ready");
        linux_platform::SystemClock clock;
        const auto desktop = x11::X11Desktop::open(clock);
        Accessibility& ax = desktop->accessibility();
        QVERIFY(ax.isProcessTrusted(false));

        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300 border=4"));
        const AXElement element = test::windowElement(client.pid(), window);
        QCOMPARE(std::get<AXSizeValue>(ax.copyAttributeValue(element, AXAttribute::size).value).size,
                 (Size{408, 308}));

        const Rect target{300, 200, 640, 480};
        QCOMPARE(ax.setAttributeValue(element, AXAttribute::position, AXPointValue{target.origin()}), 0);
        QCOMPARE(ax.setAttributeValue(element, AXAttribute::size, AXSizeValue{target.size()}), 0);
        test::Waiter settled;
        Cancellable wait = ax.whenWriteSettled(element, [&] { settled.fire(); });
        QVERIFY(settled.wait());
        QCOMPARE(*client.frame(window), target);
    }
};

QTEST_MAIN(TestX11NonReparenting)
#include "tst_x11nonreparenting.moc"
