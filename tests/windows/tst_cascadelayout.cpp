// Cascading several windows inside one area.

#include "windows/CascadeLayout.h"
#include "windows/WindowTestSupport.h"

#include <QtTest>

using namespace stellwick;

Q_DECLARE_METATYPE(stellwick::Rect)

class CascadeLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void frames_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<Rect>("area");
        QTest::addColumn<double>("step");
        QTest::addColumn<Rect>("last");
        QTest::newRow("3 windows") << 3 << Rect{100, 50, 800, 600} << 36.0 << Rect{172, 122, 728, 528};
        QTest::newRow("11 windows: spread capped")
            << 11 << Rect{0, 0, 800, 600} << 18.0 << Rect{180, 180, 620, 420};
        QTest::newRow("small area: minimum size") << 3 << Rect{10, 10, 50, 50} << 24.5 << Rect{59, 59, 1, 1};
        QTest::newRow("area narrower than a point")
            << 2 << Rect{10, 20, 0.5, 300} << 0.0 << Rect{10, 20, 1, 300};
        QTest::newRow("one window: the area itself") << 1 << Rect{5, 6, 7, 8} << 0.0 << Rect{5, 6, 7, 8};
    }
    void frames() {
        QFETCH(int, count);
        QFETCH(Rect, area);
        QFETCH(double, step);
        QFETCH(Rect, last);
        const auto frames = CascadeLayout::frames(count, area, CascadeLayout::cascadeStep,
                                                  CascadeLayout::cascadeMaximumOffset);
        QCOMPARE(frames.size(), std::size_t(count));
        QCOMPARE(frames.front().origin(), area.origin());
        QCOMPARE(frames.back(), last);
        for (std::size_t i = 1; i < frames.size(); ++i) {
            QCOMPARE(frames[i].x - frames[i - 1].x, step);
            QCOMPARE(frames[i].size(), frames[0].size());
        }
    }

    void noWindowsNoFrames() { QVERIFY(CascadeLayout::frames(-3, {0, 0, 800, 600}, 36, 180).empty()); }
};

QTEST_GUILESS_MAIN(CascadeLayoutTest)
#include "tst_cascadelayout.moc"
