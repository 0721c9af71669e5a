// How the X11 backend names applications: desktop entries (ids, precedence,
// hidden entries, localized names) and the identity rule that turns a
// window's hints into a bundle identifier.

#include "platform/x11/ApplicationIdentity.h"
#include "platform/x11/DesktopEntries.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

namespace {

QByteArray entry(const QByteArray& name, const QByteArray& extra = {}) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extra;
}

} // namespace

class TestX11Identity : public QObject {
    Q_OBJECT

private slots:
    void entriesAreFoundByIdWithPrecedenceAndSubfolders() {
        test::ScratchFolder folder;
        const QString home = folder.path(QStringLiteral("home"));
        const QString system = folder.path(QStringLiteral("system"));
        test::writeFile(system + "/applications/org.example.Editor.desktop", entry("System Editor"));
        test::writeFile(home + "/applications/org.example.Editor.desktop", entry("My Editor"));
        test::writeFile(system + "/applications/kde/konsole.desktop", entry("Konsole"));
        test::writeFile(system + "/applications/gone.desktop", entry("Gone"));
        test::writeFile(home + "/applications/gone.desktop", entry("Gone", "Hidden=true\n"));
        test::writeFile(system + "/applications/link.desktop",
                        "[Desktop Entry]\nType=Link\nName=Link\nURL=x\n");
        test::writeFile(system + "/applications/other-group.desktop",
                        "[Desktop Action new]\nName=Wrong\n[Desktop Entry]\nType=Application\nName=Right\n");

        DesktopEntryIndex index({home, system});
        QCOMPARE(index.byId(QStringLiteral("org.example.Editor"))->name, QStringLiteral("My Editor"));
        QCOMPARE(index.byId(QStringLiteral("kde-konsole"))->name, QStringLiteral("Konsole"));
        QVERIFY(!index.byId(QStringLiteral("gone")));    // hidden in the folder that wins
        QVERIFY(!index.byId(QStringLiteral("link")));    // not an application
        QVERIFY(!index.byId(QStringLiteral("konsole"))); // ids carry their sub-folder
        QCOMPARE(index.byId(QStringLiteral("other-group"))->name, QStringLiteral("Right"));

        // An entry installed later is found on the next refresh, one removed is gone.
        test::writeFile(home + "/applications/new.desktop", entry("New"));
        QVERIFY(!index.byId(QStringLiteral("new")));
        index.refresh();
        QVERIFY(index.byId(QStringLiteral("new")));
        QVERIFY(QFile::remove(system + "/applications/kde/konsole.desktop"));
        index.refresh();
        QVERIFY(!index.byId(QStringLiteral("kde-konsole")));
    }

    void namesFollowTheUsersLocale() {
        QCOMPARE(messageLocales(QStringLiteral("ja_JP.UTF-8")),
                 (QStringList{QStringLiteral("ja_JP"), QStringLiteral("ja")}));
        QCOMPARE(messageLocales(QStringLiteral("sr_RS@latin")),
                 (QStringList{QStringLiteral("sr_RS@latin"), QStringLiteral("sr_RS"),
                              QStringLiteral("sr@latin"), QStringLiteral("sr")}));
        QCOMPARE(messageLocales(QStringLiteral("C")), QStringList{});

        DesktopEntry e;
        e.name = QStringLiteral("Calculator");
        e.localizedNames = {{QStringLiteral("ja"), QStringLiteral("電卓")},
                            {QStringLiteral("de"), QStringLiteral("Rechner")}};
        QCOMPARE(e.localizedName(messageLocales(QStringLiteral("ja_JP.UTF-8"))), QStringLiteral("電卓"));
        QCOMPARE(e.localizedName(messageLocales(QStringLiteral("fr_FR.UTF-8"))),
                 QStringLiteral("Calculator"));
    }

    void identityRule() {
        test::ScratchFolder folder;
        const QString data = folder.path(QStringLiteral("data"));
        test::writeFile(data + "/applications/org.gnome.Calculator.desktop",
                        entry("Calculator", "Name[ja]=電卓\nIcon=calc\n"));
        test::writeFile(data + "/applications/debian-xterm.desktop",
                        entry("XTerm", "StartupWMClass=XTerm\nIcon=mini.xterm\n"));
        test::writeFile(data + "/applications/org.kde.dolphin.desktop", entry("Dolphin"));
        test::writeFile(data + "/applications/firefox-esr.desktop", entry("Firefox ESR"));
        DesktopEntryIndex index({data});
        const QStringList ja{QStringLiteral("ja_JP"), QStringLiteral("ja")};

        // GTK's application id, even with a WM_CLASS that says otherwise.
        const IdentityHints gtk{QStringLiteral("org.gnome.Calculator"),
                                {},
                                {QStringLiteral("gnome-calculator"), QStringLiteral("Gnome-calculator")}};
        QCOMPARE(identify(gtk, index, ja),
                 (ApplicationIdentity{QStringLiteral("org.gnome.Calculator"), QStringLiteral("電卓"),
                                      QStringLiteral("calc")}));
        // No entry: the class itself, as name too.
        const IdentityHints unknown{{}, {}, {QStringLiteral("tool"), QStringLiteral("SomeTool")}};
        QCOMPARE(identify(unknown, index, ja),
                 (ApplicationIdentity{QStringLiteral("SomeTool"), QStringLiteral("SomeTool"), QString()}));

        // KDE's desktop file (a path or a bare name); WM_CLASS: StartupWMClass
        // first, then the file name, then its last part; the instance without a class.
        const std::pair<IdentityHints, QString> ids[] = {
            {{{}, QStringLiteral("/usr/share/applications/org.kde.dolphin.desktop"), {}},
             QStringLiteral("org.kde.dolphin")},
            {{{}, {}, {QStringLiteral("xterm"), QStringLiteral("XTerm")}}, QStringLiteral("debian-xterm")},
            {{{}, {}, {QStringLiteral("Navigator"), QStringLiteral("Firefox-esr")}},
             QStringLiteral("firefox-esr")},
            {{{}, {}, {QStringLiteral("dolphin"), QStringLiteral("dolphin")}},
             QStringLiteral("org.kde.dolphin")},
            {{{}, {}, {QStringLiteral("tool"), QString()}}, QStringLiteral("tool")}};
        for (const auto& [hints, id] : ids)
            QCOMPARE(identify(hints, index, ja)->bundleIdentifier, id);

        // A window that says nothing has no identity.
        QVERIFY(!identify({}, index, ja));
    }
};

QTEST_GUILESS_MAIN(TestX11Identity)
#include "tst_x11identity.moc"
