// The boot marker (now − uptime) keeps the after-login apply to once per boot:
// it must be the kernel's boot time, the same for every start within a boot.

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
};

QTEST_GUILESS_MAIN(SystemClockTest)
#include "tst_systemclock.moc"
