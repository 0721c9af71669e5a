// The defaults file keeps text; the types come from the text's exact form, and
// anything else reads as absent, so that a hand edit never turns a switch on.

#include "platform/linux/AppcastUpdater.h"
#include "platform/linux/IniUserDefaults.h"
#include "support/TestFiles.h"

#include <QtTest>
#include <cmath>
#include <limits>

using namespace stellwick::linux_platform;
using stellwick::test::ScratchFolder;

class IniUserDefaultsTest : public QObject {
    Q_OBJECT

private slots:
    void valuesOfEveryTypeSurviveARestart() {
        ScratchFolder folder;
        const QString path = folder.path(QStringLiteral("config/defaults.conf"));
        const double marker = 1764998400.123456789; // a boot marker, seconds since 1970
        {
            IniUserDefaults defaults(path);
            defaults.setBool(QStringLiteral("applyAfterLogin"), false);
            defaults.setBool(QStringLiteral("applyOnDisplayChange"), true);
            defaults.setDouble(QStringLiteral("lastAppliedBootMarker"), marker);
            defaults.setDouble(QStringLiteral("tiny"), 5e-324);
            defaults.setString(QStringLiteral("updateFeedURL"),
                               QStringLiteral("https://example.org/a,b feed"));
        }
        const IniUserDefaults defaults(path);
        QCOMPARE(defaults.boolValue(QStringLiteral("applyAfterLogin")), std::optional<bool>(false));
        QCOMPARE(defaults.boolValue(QStringLiteral("applyOnDisplayChange")), std::optional<bool>(true));
        // Bit for bit: the after-login apply compares markers within 2 seconds.
        QCOMPARE(defaults.doubleValue(QStringLiteral("lastAppliedBootMarker")),
                 std::optional<double>(marker));
        QCOMPARE(defaults.doubleValue(QStringLiteral("tiny")), std::optional<double>(5e-324));
        QCOMPARE(defaults.stringValue(QStringLiteral("updateFeedURL")),
                 std::optional<QString>(QStringLiteral("https://example.org/a,b feed")));
        QCOMPARE(defaults.boolValue(QStringLiteral("missing")), std::nullopt);
        QCOMPARE(defaults.doubleValue(QStringLiteral("missing")), std::nullopt);
    }

    void aValueOfAnotherFormReadsAsAbsent_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<std::optional<bool>>("asBool");
        QTest::addColumn<std::optional<double>>("asDouble");
        const std::optional<bool> noBool;
        const std::optional<double> noDouble;
        QTest::newRow("true") << QByteArray("true") << std::optional<bool>(true) << noDouble;
        QTest::newRow("false") << QByteArray("false") << std::optional<bool>(false) << noDouble;
        QTest::newRow("capitalised") << QByteArray("True") << noBool << noDouble;
        QTest::newRow("one") << QByteArray("1") << noBool << std::optional<double>(1);
        QTest::newRow("zero") << QByteArray("0") << noBool << std::optional<double>(0);
        QTest::newRow("yes") << QByteArray("yes") << noBool << noDouble;
        QTest::newRow("on") << QByteArray("on") << noBool << noDouble;
        QTest::newRow("quoted true") << QByteArray("\"true\"") << std::optional<bool>(true) << noDouble;
        QTest::newRow("empty") << QByteArray("") << noBool << noDouble;
        QTest::newRow("negative") << QByteArray("-2.5e3") << noBool << std::optional<double>(-2500);
        QTest::newRow("trailing text") << QByteArray("12abc") << noBool << noDouble;
        QTest::newRow("decimal comma") << QByteArray("\"1,5\"") << noBool << noDouble;
        QTest::newRow("group separator") << QByteArray("\"1,000\"") << noBool << noDouble;
        QTest::newRow("list") << QByteArray("1, 2") << noBool << noDouble;
        QTest::newRow("infinity") << QByteArray("inf") << noBool << noDouble;
        QTest::newRow("not a number") << QByteArray("nan") << noBool << noDouble;
        QTest::newRow("overflow") << QByteArray("1e999") << noBool << noDouble;
        QTest::newRow("hexadecimal") << QByteArray("0x10") << noBool << noDouble;
        QTest::newRow("a serialised variant")
            << QByteArray("@Variant(\\0\\0\\0\\x1\\x1)") << noBool << noDouble;
    }

    void aValueOfAnotherFormReadsAsAbsent() {
        QFETCH(QByteArray, line);
        QFETCH(std::optional<bool>, asBool);
        QFETCH(std::optional<double>, asDouble);
        ScratchFolder folder;
        const QString path = folder.path(QStringLiteral("defaults.conf"));
        stellwick::test::writeFile(path, "[General]\nkey=" + line + "\n");
        const IniUserDefaults defaults(path);
        QCOMPARE(defaults.boolValue(QStringLiteral("key")), asBool);
        QCOMPARE(defaults.doubleValue(QStringLiteral("key")), asDouble);
    }

    void aWriteOfOneTypeIsAbsentAsTheOther() {
        ScratchFolder folder;
        IniUserDefaults defaults(folder.path(QStringLiteral("defaults.conf")));
        defaults.setBool(QStringLiteral("flag"), true);
        defaults.setDouble(QStringLiteral("number"), 1);
        QCOMPARE(defaults.doubleValue(QStringLiteral("flag")), std::nullopt);
        QCOMPARE(defaults.boolValue(QStringLiteral("number")), std::nullopt);
        // A non-finite number cannot be read back as one: it reads as never written.
        defaults.setDouble(QStringLiteral("number"), std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(defaults.doubleValue(QStringLiteral("number")), std::nullopt);
    }

    void theDefaultFileIsNamedAfterTheApplication() {
        ScratchFolder folder;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
        const QString path = IniUserDefaults::defaultFilePath();
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(path, folder.path(QStringLiteral("org.stellwick.Stellwick.conf")));
    }

    void updateSettingsComeFromTheDefaults() {
        ScratchFolder folder;
        IniUserDefaults defaults(folder.path(QStringLiteral("defaults.conf")));
        const UpdateSettings built = UpdateSettings::fromDefaults(defaults);
        QVERIFY(built.automaticChecks);
        QCOMPARE(built.checkIntervalSeconds, 86400.0);

        defaults.setString(UpdateSettings::feedURLKey, QStringLiteral(" https://example.org/feed.xml "));
        defaults.setBool(UpdateSettings::automaticChecksKey, false);
        defaults.setDouble(UpdateSettings::checkIntervalKey, 7200);
        UpdateSettings settings = UpdateSettings::fromDefaults(defaults);
        QCOMPARE(settings.feedURL, QUrl(QStringLiteral("https://example.org/feed.xml")));
        QVERIFY(!settings.automaticChecks);
        QCOMPARE(settings.checkIntervalSeconds, 7200.0);

        // An empty override turns checks off; intervals are at least an hour.
        defaults.setString(UpdateSettings::feedURLKey, QString());
        defaults.setDouble(UpdateSettings::checkIntervalKey, 5);
        settings = UpdateSettings::fromDefaults(defaults);
        QVERIFY(settings.feedURL.isEmpty());
        QCOMPARE(settings.checkIntervalSeconds, 3600.0);
        defaults.setDouble(UpdateSettings::checkIntervalKey, -1);
        QCOMPARE(UpdateSettings::fromDefaults(defaults).checkIntervalSeconds, 86400.0);
    }
};

QTEST_GUILESS_MAIN(IniUserDefaultsTest)
#include "tst_iniuserdefaults.moc"
