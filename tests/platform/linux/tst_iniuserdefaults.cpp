// The defaults file keeps text; the types come from the text's exact form, and
// anything else reads as absent, so that a hand edit never turns a switch on.

#include "platform/linux/AppcastUpdater.h"
#include "platform/linux/IniUserDefaults.h"
#include "support/TestFiles.h"

#include <QtTest>
#include <limits>

using namespace stellwick::linux_platform;
using stellwick::test::ScratchFolder;

class IniUserDefaultsTest : public QObject {
    Q_OBJECT

private slots:
    void valuesSurviveARestartAndKeepTheirType() {
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

    void aValueOfAnotherFormReadsAsAbsent_data() {
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

    void aValueOfAnotherFormReadsAsAbsent() {
        QFETCH(QByteArray, text);
        QFETCH(std::optional<bool>, asBool);
        QFETCH(std::optional<double>, asDouble);
        ScratchFolder folder;
        const QString path = folder.path(QStringLiteral("defaults.conf"));
        stellwick::test::writeFile(path, "[General]\nkey=" + text + "\n");
        const IniUserDefaults defaults(path);
        QCOMPARE(defaults.boolValue(QStringLiteral("key")), asBool);
        QCOMPARE(defaults.doubleValue(QStringLiteral("key")), asDouble);
    }

    void updateSettingsComeFromTheDefaults() {
        ScratchFolder folder;
        IniUserDefaults defaults(folder.path(QStringLiteral("defaults.conf")));
        QCOMPARE(UpdateSettings::fromDefaults(defaults).checkIntervalSeconds, 86400.0);

        defaults.setString(UpdateSettings::feedURLKey, QStringLiteral(" https://example.org/feed.xml "));
        defaults.setBool(UpdateSettings::automaticChecksKey, false);
        defaults.setDouble(UpdateSettings::checkIntervalKey, 7200);
        UpdateSettings settings = UpdateSettings::fromDefaults(defaults);
        QCOMPARE(settings.feedURL, QUrl(QStringLiteral("https://example.org/feed.xml")));
        QVERIFY(!settings.automaticChecks);
        QCOMPARE(settings.checkIntervalSeconds, 7200.0);

        // An empty feed turns checks off; an interval is at least an hour.
        defaults.setString(UpdateSettings::feedURLKey, QString());
        defaults.setDouble(UpdateSettings::checkIntervalKey, 5);
        settings = UpdateSettings::fromDefaults(defaults);
        QVERIFY(settings.feedURL.isEmpty());
        QCOMPARE(settings.checkIntervalSeconds, 3600.0);
    }
};

QTEST_GUILESS_MAIN(IniUserDefaultsTest)
#include "tst_iniuserdefaults.moc"
