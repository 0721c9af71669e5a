// The small session services of the Linux platform: the defaults file (its
// types come from the text's exact form, and anything else reads as absent,
// so that a hand edit never turns a switch on), the system clock (the boot
// timer handles), and the help page that stands in for the
// permission settings.

#include "BuildInfo.h"
#include "platform/linux/HelpPageSettingsLink.h"
#include "platform/linux/IniUserDefaults.h"
#include "platform/linux/SystemClock.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;
using test::ScratchFolder;

class SessionServicesTest : public QObject {
    Q_OBJECT

private slots:
    void defaultsKeepTheirTypeAndValueAcrossARestart() {
        ScratchFolder folder;
        const QString path = folder.path(QStringLiteral("config/defaults.conf"));
        const double marker = 1764998400.123456789; // a boot marker, seconds since 1970
        IniUserDefaults(path).setBool(QStringLiteral("flag"), false);
        IniUserDefaults(path).setDouble(QStringLiteral("marker"), marker);
        // Hand-written values, and how each reads as a flag and as a number.
        struct Edit {
            const char* text;
            std::optional<bool> flag;
            std::optional<double> number;
        };
        const Edit edits[] = {{"true", true, {}},    {"\"false\"", false, {}},
                              {"True", {}, {}},      {"1", {}, 1},
                              {"12abc", {}, {}},     {"1, 2", {}, {}},
                              {"inf", {}, {}},       {"1e999", {}, {}},
                              {"-2.5e3", {}, -2500}, {"@Variant(\\0\\0\\0\\x1\\x1)", {}, {}}};
        QByteArray file = test::readFile(path);
        for (const Edit& edit : edits)
            file += "\n" + QByteArray(edit.text).toHex() + "=" + edit.text;
        test::writeFile(path, file);

        const IniUserDefaults defaults(path);
        QCOMPARE(defaults.boolValue(QStringLiteral("flag")), std::optional<bool>(false));
        // Bit for bit: the after-login apply compares markers within 2 seconds.
        QCOMPARE(defaults.doubleValue(QStringLiteral("marker")), std::optional<double>(marker));
        QCOMPARE(defaults.doubleValue(QStringLiteral("flag")), std::nullopt);
        QCOMPARE(defaults.boolValue(QStringLiteral("marker")), std::nullopt);
        for (const Edit& edit : edits) {
            const QString key = QString::fromLatin1(QByteArray(edit.text).toHex());
            QCOMPARE(defaults.boolValue(key), edit.flag);
            QCOMPARE(defaults.doubleValue(key), edit.number);
        }
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

    // The help page is found wherever the program runs from, the shipped one
    // among the default folders.
    void theFirstFolderHoldingTheHelpPageWins() {
        ScratchFolder folder;
        const QString page = folder.path(QStringLiteral("first/stellwick/help/window-access.html"));
        test::writeFile(page, "<html/>");
        const QStringList folders{folder.path(QStringLiteral("empty")), folder.path(QStringLiteral("first")),
                                  QString::fromUtf8(build::buildDataDir)};
        QCOMPARE(HelpPageSettingsLink(folders, {}).accessibilitySettingsURL(), QUrl::fromLocalFile(page));
        QCOMPARE(HelpPageSettingsLink(folders.mid(0, 1), {}).accessibilitySettingsURL(), std::nullopt);

        QVERIFY(HelpPageSettingsLink::defaultDataFolders().contains(folders[2]));
        QVERIFY(HelpPageSettingsLink(folders.mid(2), {}).accessibilitySettingsURL());
    }
};

QTEST_GUILESS_MAIN(SessionServicesTest)
#include "tst_sessionservices.moc"
