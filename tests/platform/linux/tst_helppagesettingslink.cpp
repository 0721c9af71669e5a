// The permission "settings" on Linux are a help page shipped with the program:
// it must be found wherever the program runs from, and opened through the
// desktop.

#include "BuildInfo.h"
#include "platform/linux/HelpPageSettingsLink.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace stellwick::linux_platform;
using stellwick::test::ScratchFolder;

class HelpPageSettingsLinkTest : public QObject {
    Q_OBJECT

private slots:
    void theFirstFolderHoldingThePageWins() {
        ScratchFolder folder;
        const QString empty = folder.path(QStringLiteral("empty"));
        const QString first = folder.path(QStringLiteral("first"));
        const QString second = folder.path(QStringLiteral("second"));
        stellwick::test::writeFile(first + QStringLiteral("/stellwick/help/window-access.html"), "<html/>");
        stellwick::test::writeFile(second + QStringLiteral("/stellwick/help/window-access.html"), "<html/>");

        const HelpPageSettingsLink link({QString(), empty, first, second}, [](const QUrl&) { return true; });
        QCOMPARE(link.accessibilitySettingsURL(),
                 QUrl::fromLocalFile(first + QStringLiteral("/stellwick/help/window-access.html")));
        QCOMPARE(HelpPageSettingsLink({empty}, {}).accessibilitySettingsURL(), std::nullopt);
    }

    void theShippedPageIsFoundFromTheBuildTree() {
        const QString buildData = QString::fromUtf8(stellwick::build::buildDataDir);
        QVERIFY(HelpPageSettingsLink::defaultDataFolders().contains(buildData));
        const std::optional<QUrl> url = HelpPageSettingsLink({buildData}, {}).accessibilitySettingsURL();
        QVERIFY(url);
        QVERIFY(url->isLocalFile());
        // The page explains this desktop's requirement and the way out of Wayland, in Japanese.
        const QString page = QString::fromUtf8(stellwick::test::readFile(url->toLocalFile()));
        QVERIFY(page.contains(QStringLiteral("<html lang=\"ja\">")));
        QVERIFY(page.contains(QStringLiteral("X11 セッション")));
        QVERIFY(page.contains(QStringLiteral("Wayland")));
        QVERIFY(HelpPageSettingsLink().accessibilitySettingsURL());
    }
};

QTEST_GUILESS_MAIN(HelpPageSettingsLinkTest)
#include "tst_helppagesettingslink.moc"
