// The small session services of the Linux platform: the defaults file (its
// types come from the text's exact form, and anything else reads as absent,
// so that a hand edit never turns a switch on), the system clock (the boot
// marker, and timer handles), and the help page that stands in for the
// permission settings.

#include "BuildInfo.h"
#include "platform/linux/HelpPageSettingsLink.h"
#include "platform/linux/IniUserDefaults.h"
#include "platform/linux/SystemClock.h"
#include "support/TestFiles.h"

#include <QtTest>
#include <limits>

using namespace stellwick;
using namespace stellwick::linux_platform;
using test::ScratchFolder;

class SessionServicesTest : public QObject {
    Q_OBJECT

private slots:
    void defaultsSurviveARestartAndKeepTheirType() {
        ScratchFolder folder;
        const QString path = folder.path(QStringLiteral("config/defaults.conf"));
        const double marker = 1764998400.123456789; // a boot marker, seconds since 1970
        {
            IniUserDefaults defaults(path);
            defaults.setBool(QStringLiteral("applyAfterLogin"), false);
            defaults.setDouble(QStringLiteral("lastAppliedBootMarker"), marker);
            defaults.setDouble(QStringLiteral("notANumber"), std::numeric_limits<double>::quiet_NaN());
        }
        const IniUserDefaults defaults(path);
        QCOMPARE(defaults.boolValue(QStringLiteral("applyAfterLogin")), std::optional<bool>(false));
        // Bit for bit: the after-login apply compares markers within 2 seconds.
        QCOMPARE(defaults.doubleValue(QStringLiteral("lastAppliedBootMarker")),
                 std::optional<double>(marker));
        QCOMPARE(defaults.doubleValue(QStringLiteral("applyAfterLogin")), std::nullopt);
        QCOMPARE(defaults.boolValue(QStringLiteral("lastAppliedBootMarker")), std::nullopt);
        QCOMPARE(defaults.doubleValue(QStringLiteral("notANumber")), std::nullopt);
        QCOMPARE(defaults.boolValue(QStringLiteral("missing")), std::nullopt);
    }

    void aDefaultOfAnotherFormReadsAsAbsent_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<bool>>("asBool");
        QTest::addColumn<std::optional<double>>("asDouble");
        const std::optional<bool> noBool;
        const std::optional<double> noDouble;
        QTest::newRow("true") << QByteArray("true") << std::optional<bool>(true) << noDouble;
        QTest::newRow("quoted false") << QByteArray("\"false\"") << std::optional<bool>(false) << noDouble;
        QTest::newRow("capitalised") << QByteArray("True") << noBool << noDouble;
        QTest::newRow("yes") << QByteArray("yes") << noBool << noDouble;
        QTest::newRow("one") << QByteArray("1") << noBool << std::optional<double>(1);
        QTest::newRow("exponent") << QByteArray("-2.5e3") << noBool << std::optional<double>(-2500);
        QTest::newRow("trailing text") << QByteArray("12abc") << noBool << noDouble;
        QTest::newRow("decimal comma") << QByteArray("\"1,5\"") << noBool << noDouble;
        QTest::newRow("list") << QByteArray("1, 2") << noBool << noDouble;
        QTest::newRow("infinity") << QByteArray("inf") << noBool << noDouble;
        QTest::newRow("overflow") << QByteArray("1e999") << noBool << noDouble;
        QTest::newRow("serialised variant")
            << QByteArray("@Variant(\\0\\0\\0\\x1\\x1)") << noBool << noDouble;
    }

    void aDefaultOfAnotherFormReadsAsAbsent() {
        QFETCH(QByteArray, text);
        QFETCH(std::optional<bool>, asBool);
        QFETCH(std::optional<double>, asDouble);
        ScratchFolder folder;
        const QString path = folder.path(QStringLiteral("defaults.conf"));
        test::writeFile(path, "[General]\nkey=" + text + "\n");
        const IniUserDefaults defaults(path);
        QCOMPARE(defaults.boolValue(QStringLiteral("key")), asBool);
        QCOMPARE(defaults.doubleValue(QStringLiteral("key")), asDouble);
    }

    // now − uptime keeps the after-login apply to once per boot: it must be
    // the kernel's boot time, the same for every start within a boot.
    void theBootMarkerIsTheKernelsBootTime() {
        QFile file(QStringLiteral("/proc/stat"));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("/proc/stat is not readable here");
        const QByteArray stat = file.readAll();
        const qsizetype at = stat.indexOf("\nbtime "); // whole seconds since 1970
        QVERIFY(at >= 0);
        const double bootTime = stat.mid(at + 7, stat.indexOf('\n', at + 1) - at - 7).toDouble();
        const SystemClock clock;
        const double marker = clock.now().unixTime() - clock.systemUptime();
        QVERIFY2(std::abs(marker - bootTime) < 1.5,
                 qPrintable(QStringLiteral("%1 vs %2").arg(marker).arg(bootTime)));
    }

    // Qt hands a freed timer id to the next timer: a handle kept after its
    // timer fired must not cancel that next timer.
    void aHandleKeptAfterItsTimerFiredCancelsNothingElse() {
        SystemClock clock;
        int first = 0;
        int second = 0;
        Cancellable firstHandle = clock.schedule(0, [&] { ++first; });
        QTRY_COMPARE(first, 1);
        QVERIFY(!firstHandle);
        Cancellable secondHandle = clock.schedule(0.01, [&] { ++second; });
        firstHandle = Cancellable();
        QTRY_COMPARE(second, 1);
    }

    // The help page must be found wherever the program runs from.
    void theFirstFolderHoldingTheHelpPageWins() {
        ScratchFolder folder;
        const QString page = QStringLiteral("/stellwick/help/window-access.html");
        test::writeFile(folder.path(QStringLiteral("first")) + page, "<html/>");
        test::writeFile(folder.path(QStringLiteral("second")) + page, "<html/>");
        const QStringList folders{QString(), folder.path(QStringLiteral("empty")),
                                  folder.path(QStringLiteral("first")),
                                  folder.path(QStringLiteral("second"))};
        QCOMPARE(HelpPageSettingsLink(folders, {}).accessibilitySettingsURL(),
                 QUrl::fromLocalFile(folder.path(QStringLiteral("first")) + page));
        QCOMPARE(HelpPageSettingsLink(folders.mid(0, 2), {}).accessibilitySettingsURL(), std::nullopt);

        // The shipped page, from the build tree, explains this desktop's
        // requirement and the way out of Wayland, in Japanese.
        const QString buildData = QString::fromUtf8(build::buildDataDir);
        QVERIFY(HelpPageSettingsLink::defaultDataFolders().contains(buildData));
        const std::optional<QUrl> url = HelpPageSettingsLink({buildData}, {}).accessibilitySettingsURL();
        QVERIFY(url && url->isLocalFile());
        const QString shipped = QString::fromUtf8(test::readFile(url->toLocalFile()));
        for (const char* text : {"<html lang=\"ja\">", "X11 セッション", "Wayland"})
            QVERIFY2(shipped.contains(QString::fromUtf8(text)), text);
    }
};

QTEST_GUILESS_MAIN(SessionServicesTest)
#include "tst_sessionservices.moc"
