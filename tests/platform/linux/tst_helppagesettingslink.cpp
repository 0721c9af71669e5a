// On Linux the permission "settings" are a help page shipped with the program;
// it must be found wherever the program runs from.

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
        const QString page = QStringLiteral("/stellwick/help/window-access.html");
        stellwick::test::writeFile(folder.path(QStringLiteral("first")) + page, "<html/>");
        stellwick::test::writeFile(folder.path(QStringLiteral("second")) + page, "<html/>");
        const QStringList folders{QString(), folder.path(QStringLiteral("empty")),
                                  folder.path(QStringLiteral("first")),
                                  folder.path(QStringLiteral("second"))};
        QCOMPARE(HelpPageSettingsLink(folders, {}).accessibilitySettingsURL(),
                 QUrl::fromLocalFile(folder.path(QStringLiteral("first")) + page));
        QCOMPARE(HelpPageSettingsLink(folders.mid(0, 2), {}).accessibilitySettingsURL(), std::nullopt);
    }

    void theShippedPageIsFoundFromTheBuildTree() {
        const QString buildData = QString::fromUtf8(stellwick::build::buildDataDir);
        QVERIFY(HelpPageSettingsLink::defaultDataFolders().contains(buildData));
        const std::optional<QUrl> url = HelpPageSettingsLink({buildData}, {}).accessibilitySettingsURL();
        QVERIFY(url && url->isLocalFile());
        // It explains this desktop's requirement and the way out of Wayland, in Japanese.
        const QString page = QString::fromUtf8(stellwick::test::readFile(url->toLocalFile()));
        QVERIFY(page.contains(QStringLiteral("<html lang=\"ja\">")));
        QVERIFY(page.contains(QStringLiteral("X11 セッション")));
        QVERIFY(page.contains(QStringLiteral("Wayland")));
    }
};

QTEST_GUILESS_MAIN(HelpPageSettingsLinkTest)
#include "tst_helppagesettingslink.moc"
