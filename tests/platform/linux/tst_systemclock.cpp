// The boot marker (now − uptime) keeps the after-login apply to once per boot:
// it must be the kernel's boot time, the same for every start within a boot.
// Qt hands a freed timer id to the next timer: a handle kept after its timer
// fired must not cancel that next timer.

#include "platform/linux/SystemClock.h"

#include <QFile>
#include <QtTest>

using namespace stellwick::linux_platform;

class SystemClockTest : public QObject {
    Q_OBJECT

private slots:
    void theBootMarkerIsTheKernelsBootTime() {
        QFile file(QStringLiteral("/proc/stat"));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            QSKIP("/proc/stat is not readable here");
        double bootTime = 0; // whole seconds since 1970
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith("btime "))
                bootTime = line.mid(6).trimmed().toDouble();
        }
        QVERIFY(bootTime > 0);
        const SystemClock clock;
        const double marker = clock.now().unixTime() - clock.systemUptime();
        QVERIFY2(std::abs(marker - bootTime) < 1.5,
                 qPrintable(QStringLiteral("%1 vs %2").arg(marker).arg(bootTime)));
    }

    void aHandleKeptAfterItsTimerFiredCancelsNothingElse() {
        SystemClock clock;
        int first = 0;
        int second = 0;
        stellwick::Cancellable firstHandle = clock.schedule(0, [&] { ++first; });
        QTRY_COMPARE(first, 1);
        // Fired: the handle is disarmed, and the next timer gets the freed id.
        QVERIFY(!firstHandle);
        stellwick::Cancellable secondHandle = clock.schedule(0.01, [&] { ++second; });
        firstHandle = stellwick::Cancellable();
        QTRY_COMPARE(second, 1);
    }
};

QTEST_GUILESS_MAIN(SystemClockTest)
#include "tst_systemclock.moc"
