// The real clock: the boot marker (now − uptime) that keeps the after-login
// apply to once per boot must not drift between starts of the application,
// and timers must keep their promises about when callbacks run.

#include "platform/linux/SystemClock.h"

#include <QFile>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;

namespace {

double bootMarker(const Clock& clock) {
    return clock.now().unixTime() - clock.systemUptime();
}

} // namespace

class SystemClockTest : public QObject {
    Q_OBJECT

private slots:
    void theBootMarkerIsTheKernelsBootTime() {
        // The kernel's own boot time in whole seconds, the same for every
        // start of the application within one boot, suspends included.
        QFile file(QStringLiteral("/proc/stat"));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            QSKIP("/proc/stat is not readable here");
        double bootTime = 0;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith("btime "))
                bootTime = line.mid(6).trimmed().toDouble();
        }
        QVERIFY(bootTime > 0);
        const double first = bootMarker(SystemClock());
        const double second = bootMarker(SystemClock());
        QVERIFY2(std::abs(first - bootTime) < 1.5,
                 qPrintable(QStringLiteral("%1 vs %2").arg(first).arg(bootTime)));
        QVERIFY(std::abs(first - second) < 0.01);
    }

    void uptimeAgreesWithTheKernel() {
        QFile file(QStringLiteral("/proc/uptime"));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("/proc/uptime is not readable here");
        const double kernel = file.readAll().split(' ').value(0).toDouble();
        const double ours = SystemClock().systemUptime();
        QVERIFY2(std::abs(kernel - ours) < 1.0, qPrintable(QStringLiteral("%1 vs %2").arg(kernel).arg(ours)));
    }

    void callbacksRunLaterAndNotAfterCancelling() {
        SystemClock clock;
        int ran = 0;
        Cancellable soon = clock.schedule(0, [&] { ++ran; });
        Cancellable cancelled = clock.schedule(0, [&] { ran += 100; });
        QCOMPARE(ran, 0); // never inside the call
        cancelled.cancel();
        QTRY_COMPARE_WITH_TIMEOUT(ran, 1, 5000);
        Cancellable afterClockGone;
        {
            SystemClock shortLived;
            afterClockGone = shortLived.schedule(0, [&] { ran += 1000; });
        }
        afterClockGone.cancel(); // harmless once the clock is gone
        QCOMPARE(ran, 1);
    }
};

QTEST_GUILESS_MAIN(SystemClockTest)
#include "tst_systemclock.moc"
