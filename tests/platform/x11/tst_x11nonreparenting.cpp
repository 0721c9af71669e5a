// Window access under a window manager that does not reparent: clients keep
// their X border, which belongs to the outer frame when a frame is read and
// when one is written.

#include "X11TestSupport.h"
#include "platform/linux/SystemClock.h"
#include "platform/x11/X11Desktop.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

class TestX11NonReparenting : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QProcess> m_windowManager;
    linux_platform::SystemClock m_clock;
    std::unique_ptr<X11Desktop> m_desktop;

    Accessibility& ax() { return m_desktop->accessibility(); }
    Rect frameOf(const AXElement& window) {
        const auto position = ax().copyAttributeValue(window, AXAttribute::position).value;
        const auto size = ax().copyAttributeValue(window, AXAttribute::size).value;
        return Rect::fromOriginSize(std::get<AXPointValue>(position).point, std::get<AXSizeValue>(size).size);
    }

private slots:
    void initTestCase() {
        m_windowManager = test::startBareWindowManager();
        QVERIFY(m_windowManager);
        m_desktop = X11Desktop::open(m_clock);
        QVERIFY(ax().isProcessTrusted(false));
    }

    void borderedFramesLandWhereTheyAreWritten() {
        test::TestClient client;
        const auto window = client.open(QStringLiteral("x=100 y=100 w=400 h=300 border=4"));
        QVERIFY(window);
        const AXElement element = test::windowElement(client.pid(), window);
        QCOMPARE(frameOf(element), (Rect{100, 100, 408, 308}));

        const Rect target{300, 200, 640, 480};
        for (const QString& attribute : {AXAttribute::position, AXAttribute::size, AXAttribute::position}) {
            const AXValue value = attribute == AXAttribute::size ? AXValue(AXSizeValue{target.size()})
                                                                 : AXValue(AXPointValue{target.origin()});
            QCOMPARE(ax().setAttributeValue(element, attribute, value), AXErrorCode::success);
        }
        test::Waiter settled;
        Cancellable wait = ax().whenWriteSettled(element, [&] { settled.fire(); });
        QVERIFY(settled.wait());
        QCOMPARE(frameOf(element), target);
        QCOMPARE(*client.frame(window), target);
    }
};

QTEST_MAIN(TestX11NonReparenting)
#include "tst_x11nonreparenting.moc"
