// The X11 backend's rules that need no server: monitor identity from EDID,
// the coordinate translation, work areas from struts, the decoding of window
// properties, and how applications are named (desktop entries, locales, and
// the identity rule that turns a window's hints into a bundle identifier).

#include "X11TestSupport.h"
#include "platform/x11/ApplicationIdentity.h"
#include "platform/x11/DesktopEntries.h"
#include "platform/x11/EdidIdentity.h"
#include "platform/x11/MonitorLayout.h"
#include "platform/x11/WindowProperties.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::x11;

namespace {

QByteArray entry(const QByteArray& name, const QByteArray& extra = {}) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extra;
}

} // namespace

class TestX11Rules : public QObject {
    Q_OBJECT

private slots:
    void edidIdentityIsReadFromTheBlockOrNotAtAll() {
        QByteArray edid = test::makeEdid("DEL", 0xa0c5, 0x12345678);
        QCOMPARE(parseEdid(edid),
                 (std::optional(EdidIdentity{QStringLiteral("DEL"), 0xa0c5, 0x12345678, {}})));
        // A serial-number descriptor (tag 0xFF) counts as well.
        const QByteArray text = "CN0ABC123\n   ";
        edid[54 + 3] = char(0xff);
        for (int i = 0; i < text.size(); ++i)
            edid[54 + 5 + i] = text[i];
        QCOMPARE(parseEdid(edid)->serialText, QStringLiteral("CN0ABC123"));

        // Too short, a wrong header, no manufacturer: no identity.
        QByteArray badHeader = edid;
        badHeader[0] = 1;
        QByteArray noManufacturer = edid;
        noManufacturer[8] = noManufacturer[9] = 0;
        for (const QByteArray& broken : {QByteArray(), edid.left(127), badHeader, noManufacturer})
            QVERIFY(!parseEdid(broken));
    }

    void displayUuidIsFixedAndDistinguishesMonitors() {
        // Fixed forever: stored layouts name monitors by it.
        const QString uuid = displayUuid({QStringLiteral("DEL"), 0xa0c5, 42, {}});
        QCOMPARE(uuid, QStringLiteral("8F9E4E82-CC36-50BB-8CDA-B0DFD0427452"));
        // Every part of the identity matters.
        for (const EdidIdentity& other :
             {EdidIdentity{QStringLiteral("DEL"), 0xa0c5, 43, {}},
              EdidIdentity{QStringLiteral("DEL"), 0xa0c5, 42, QStringLiteral("X1")}})
            QVERIFY(displayUuid(other) != uuid);
    }

    void primaryMonitorComesFirstAndSetsTheOrigin() {
        // A monitor above-left of the primary: root coordinates shift.
        const MonitorLayout layout({{QStringLiteral("TOP"), {0, 0, 1920, 1080}, false, {}, {}},
                                    {QStringLiteral("MAIN"), {1920, 1080, 1440, 900}, true, 7u, {}}});
        QCOMPARE(layout.monitors().front().name, QStringLiteral("MAIN"));
        QCOMPARE(layout.toDesktop(Rect{0, 0, 1920, 1080}), (Rect{-1920, -1080, 1920, 1080}));
        // Bottom-left space: the primary starts at (0, 0); the top monitor is above it.
        QCOMPARE(layout.toBottomLeft(Rect{-1920, -1080, 1920, 1080}), (Rect{-1920, 900, 1920, 1080}));
        QCOMPARE(layout.monitorAt({-1, -1}), std::optional<std::size_t>(1));
        QCOMPARE(layout.monitorAt({1440, 0}), std::nullopt); // right edge excluded

        // Without a primary flag the monitor at the root origin is primary.
        const MonitorLayout unflagged({{QStringLiteral("B"), {1280, 0, 1280, 1024}, false, {}, {}},
                                       {QStringLiteral("A"), {0, 0, 1280, 1024}, false, {}, {}}});
        QCOMPARE(unflagged.monitors().front().name, QStringLiteral("A"));
        QVERIFY(unflagged.monitors().front().primary);
    }

    void strutsShrinkOnlyTheMonitorsTheyEndIn() {
        const std::vector<Monitor> side{{QStringLiteral("L"), {0, 0, 1280, 1080}, true, {}, {}},
                                        {QStringLiteral("R"), {1280, 0, 1280, 1080}, false, {}, {}}};
        // A bottom dock over both monitors. (The application suite reads a real panel's.)
        const auto bottom = strutFrom({0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 2559}, {}, 2560, 1080);
        QCOMPARE(workAreas(side, {*bottom}, 2560, 1080)[1], (Rect{1280, 0, 1280, 1040}));

        // Stacked monitors: a panel at the top of the lower one reserves from
        // the root's top edge through the upper one, which keeps its area.
        const std::vector<Monitor> stacked{{QStringLiteral("UP"), {0, 0, 1920, 1080}, false, {}, {}},
                                           {QStringLiteral("DOWN"), {0, 1080, 1920, 1080}, true, {}, {}}};
        const auto panel = strutFrom({0, 0, 1080 + 24, 0, 0, 0, 0, 0, 0, 1919, 0, 0}, {}, 1920, 2160);
        const auto stackedAreas = workAreas(stacked, {*panel}, 1920, 2160);
        QCOMPARE(stackedAreas[0], (Rect{0, 0, 1920, 1080}));
        QCOMPARE(stackedAreas[1], (Rect{0, 1104, 1920, 1056}));

        // A left dock in the old form spans the whole edge.
        const auto old = strutFrom({}, {48, 0, 0, 0}, 2560, 1080);
        QCOMPARE(workAreas(side, {*old}, 2560, 1080)[0], (Rect{48, 0, 1232, 1080}));
        QVERIFY(!strutFrom({1, 2}, {}, 2560, 1080));
    }

    // Window types, size hints, text and class properties.
    void windowPropertiesAreDecoded() {
        xcb_ewmh_connection_t ewmh{};
        ewmh._NET_WM_WINDOW_TYPE_NORMAL = 10;
        ewmh._NET_WM_WINDOW_TYPE_DIALOG = 11;
        ewmh._NET_WM_WINDOW_TYPE_DOCK = 13;
        const xcb_atom_t vendorType = 99;
        QCOMPARE(windowKind({vendorType, 13}, false, ewmh), WindowKind::dock);
        QCOMPARE(windowKind({11, 10}, false, ewmh), WindowKind::dialog); // the first known type
        QCOMPARE(windowKind({vendorType}, false, ewmh), WindowKind::normal);
        // A normal window that is modal is a dialog.
        QCOMPARE(subroleFor(WindowKind::normal, false, true), AXRoleValue::dialog);

        xcb_size_hints_t hints{};
        xcb_icccm_size_hints_set_resize_inc(&hints, 1, 1);
        QVERIFY(!resizeIncrements(hints)); // 1 × 1 is no increment
        xcb_icccm_size_hints_set_resize_inc(&hints, 0, 12);
        QCOMPARE(resizeIncrements(hints), (std::optional<Size>(Size{1, 12})));

        xcb_icccm_size_hints_set_min_size(&hints, 300, 200);
        QVERIFY(!isFixedSize(hints)); // no maximum (fixed sizes are arranged on the real desktop)

        const xcb_atom_t utf8 = 300;
        QByteArray terminated("端末 — ok");
        terminated.append('\0');
        QCOMPARE(decodeText(terminated, utf8, utf8), QStringLiteral("端末 — ok"));
        QCOMPARE(decodeText("plain", 301, utf8), QStringLiteral("plain"));  // compound text, ASCII
        QCOMPARE(decodeText("caf\xe9", 301, utf8), QStringLiteral("café")); // not UTF-8: Latin-1
        QCOMPARE(decodeText("x", XCB_ATOM_NONE, utf8), std::nullopt);

        QCOMPARE(parseWmClass(QByteArray("only")), (WmClass{QStringLiteral("only"), QString()}));
        QCOMPARE(frameExtents({1, 1}), FrameExtents{});
    }

    void outerFramesAndClientAreasConvertBothWays() {
        const Rect client{100, 120, 400, 300};
        struct Case {
            FrameDecoration decoration;
            Rect outer;
            Rect request; // of a north-west-gravity move-resize
        };
        const Case cases[] = {// Reparenting: decorations only.
                              {{{1, 1, 20, 5}, 0, {}}, {99, 100, 402, 325}, {99, 100, 400, 300}},
                              // Non-reparenting: the X border.
                              {{{}, 3, {}}, {97, 117, 406, 306}, {97, 117, 400, 300}},
                              {{{1, 1, 20, 5}, 2, {}}, {97, 98, 406, 329}, {97, 98, 400, 300}},
                              // Drawing its own decorations under a compositor: shadow margins
                              // inside the window are not part of the visible frame.
                              {{{}, 0, {26, 26, 23, 29}}, {126, 143, 348, 248}, {100, 120, 400, 300}}};
        for (const auto& [decoration, outer, request] : cases) {
            QCOMPARE(decoration.outer(client), outer);
            QCOMPARE(decoration.client(outer), client);
            QCOMPARE(decoration.moveResize(outer), request);
        }
    }

    void iconDataIsReadSafely() {
        // A 2 × 2 and a 3 × 1 image: the larger area wins.
        const std::vector<std::uint32_t> icons{2, 2, 0xffff0000, 0xffff0000, 0xffff0000, 0xffff0000,
                                               3, 1, 0xff00ff00, 0xff00ff00, 0xff00ff00};
        const QImage image = largestIcon(icons).value_or(QImage());
        QCOMPARE(image.size(), QSize(2, 2));
        QCOMPARE(image.pixel(1, 1), 0xffff0000u);

        // Truncated or absurd data never reads past the end.
        QVERIFY(!largestIcon({}));
        QVERIFY(!largestIcon({4, 4, 1, 2, 3}));
        QVERIFY(!largestIcon({0xffffffff, 0xffffffff, 1}));
        const std::vector<std::uint32_t> goodThenTruncated{1, 1, 0xff0000ff, 100, 100, 1};
        QCOMPARE(largestIcon(goodThenTruncated)->size(), QSize(1, 1));
    }

    void entriesAreFoundByIdWithPrecedenceAndSubfolders() {
        test::ScratchFolder folder;
        const QString home = folder.path(QStringLiteral("home"));
        const QString system = folder.path(QStringLiteral("system"));
        test::writeFile(system + "/applications/org.example.Editor.desktop", entry("System Editor"));
        test::writeFile(home + "/applications/org.example.Editor.desktop", entry("My Editor"));
        test::writeFile(system + "/applications/kde/konsole.desktop", entry("Konsole"));
        test::writeFile(system + "/applications/gone.desktop", entry("Gone"));
        test::writeFile(home + "/applications/gone.desktop", entry("Gone", "Hidden=true\n"));
        test::writeFile(system + "/applications/other-group.desktop",
                        "[Desktop Action new]\nName=Wrong\n[Desktop Entry]\nType=Application\nName=Right\n");

        DesktopEntryIndex index({home, system});
        QCOMPARE(index.byId(QStringLiteral("org.example.Editor"))->name, QStringLiteral("My Editor"));
        QCOMPARE(index.byId(QStringLiteral("kde-konsole"))->name, QStringLiteral("Konsole"));
        QVERIFY(!index.byId(QStringLiteral("gone")));    // hidden in the folder that wins
        QVERIFY(!index.byId(QStringLiteral("konsole"))); // ids carry their sub-folder
        QCOMPARE(index.byId(QStringLiteral("other-group"))->name, QStringLiteral("Right"));

        // An entry installed later is found on the next refresh.
        test::writeFile(home + "/applications/new.desktop", entry("New"));
        index.refresh();
        QVERIFY(index.byId(QStringLiteral("new")));
    }

    void identityRule() {
        test::ScratchFolder folder;
        const QString data = folder.path(QStringLiteral("data"));
        test::writeFile(data + "/applications/org.gnome.Calculator.desktop",
                        entry("Calculator", "Name[ja]=電卓\nIcon=calc\n"));
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
        // KDE's desktop file (a path or a bare name); WM_CLASS: StartupWMClass
        // (on the real desktop), the file name, then its last part, else the
        // class itself; the instance without a class.
        const std::pair<IdentityHints, QString> ids[] = {
            {{{}, QStringLiteral("/usr/share/applications/org.kde.dolphin.desktop"), {}},
             QStringLiteral("org.kde.dolphin")},
            {{{}, {}, {QStringLiteral("tool"), QStringLiteral("SomeTool")}}, QStringLiteral("SomeTool")},
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

QTEST_GUILESS_MAIN(TestX11Rules)
#include "tst_x11rules.moc"
