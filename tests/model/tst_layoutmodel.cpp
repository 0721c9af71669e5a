// The layout records and the operations that keep a state's invariants.

#include "model/LayoutModel.h"

#include <QtTest>

using namespace stellwick;

Q_DECLARE_METATYPE(stellwick::NormalizedFrame)

namespace {

const Date t0{1000};
const Date t1{2000};

AppPlacement placement(const QString& bundle, double x = 0.1, bool onLaunch = false) {
    return AppPlacement{
        bundle,   bundle,      DisplayReference{1, QStringLiteral("Display"), {}}, {x, 0.2, 0.3, 0.4},
        onLaunch, std::nullopt};
}

} // namespace

class LayoutModelTest : public QObject {
    Q_OBJECT

private slots:
    void profileNamesAreTrimmedOfUnicodeWhiteSpace_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank") << QStringLiteral(" \u3000 ") << QStringLiteral("名称未設定");
        QTest::newRow("line breaks kept inside")
            << QStringLiteral(" \n 作業 用\t\r\n") << QStringLiteral("作業 用");
        QTest::newRow("Unicode spaces") << QStringLiteral("\u00A0\u2028Work\u205F") << QStringLiteral("Work");
        // Zero-width space and BOM are not white space: they stay.
        QTest::newRow("U+200B stays") << QStringLiteral("\u200BWork") << QStringLiteral("\u200BWork");
    }
    void profileNamesAreTrimmedOfUnicodeWhiteSpace() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(normalizedProfileName(input), expected);
    }

    void createRenameAndDeleteKeepAProfileSelected() {
        StellwickState state = StellwickState::initialState(t0);
        const QUuid a = state.profiles[0].id;
        state.deleteProfile(a); // the last one stays
        QCOMPARE(state.profiles.size(), 1);
        const LayoutProfile b = state.createProfile(QStringLiteral("   "), t1);
        QCOMPARE(b.name, QStringLiteral("名称未設定"));
        QCOMPARE(state.selectedProfileID, b.id);
        QCOMPARE(b.modifiedAt, std::optional<Date>(t1));
        state.renameProfile(a, QStringLiteral(" デフォルト "), Date{3000}); // the same name still touches
        QCOMPARE(state.profiles[0].name, QStringLiteral("デフォルト"));
        QCOMPARE(state.profiles[0].modifiedAt, std::optional<Date>(Date{3000}));

        const QUuid c = state.createProfile(QStringLiteral("C"), t0).id;
        state.deleteProfile(b.id);
        QCOMPARE(state.selectedProfileID, c); // not selected: selection stays
        state.deleteProfile(c);
        QCOMPARE(state.selectedProfileID, a); // selected: the first remaining, not a neighbour
        const StellwickState before = state;
        state.renameProfile(QUuid::createUuid(), QStringLiteral("X"), Date{4000});
        state.deleteProfile(QUuid::createUuid());
        QCOMPARE(state, before);
    }

    void duplicateProfileIdsNeverEmptyTheList() {
        // Only a hand-edited file can hold two profiles with one id.
        StellwickState state = StellwickState::initialState(t0);
        LayoutProfile twin = state.profiles[0];
        state.profiles.append(twin);
        QVERIFY(!state.canDeleteProfile(twin.id));
        state.deleteProfile(twin.id);
        QCOMPARE(state.profiles.size(), 2);
        state.createProfile(QStringLiteral("Other"), t1);
        state.deleteProfile(twin.id); // removes both twins
        QCOMPARE(state.profiles.size(), 1);
    }

    // Edits act on the first placement of a bundle identifier, touch the
    // profile only when that placement exists, and removal takes every one.
    void placementEditsActOnTheFirstMatch() {
        StellwickState state = StellwickState::initialState(t0);
        state.profiles[0].placements = {placement(QStringLiteral("a"), 0.1), placement(QStringLiteral("b")),
                                        placement(QStringLiteral("a"), 0.2)};
        state.setArrangeOnLaunch(true, QStringLiteral("missing"), t1);
        state.updatePlacementFrame(QStringLiteral("missing"), {0, 0, 1, 1}, t1);
        QCOMPARE(state.profiles[0].modifiedAt, std::optional<Date>(t0));

        const AppPlacement replacement = placement(QStringLiteral("a"), 0.7, true);
        state.upsertPlacement(replacement, t1);
        QCOMPARE(state.profiles[0].placements[0], replacement);
        QCOMPARE(state.profiles[0].placements[2].frame.x, 0.2);
        state.setArrangeOnLaunch(true, QStringLiteral("a"), Date{3000}); // same value still touches
        QCOMPARE(state.profiles[0].modifiedAt, std::optional<Date>(Date{3000}));
        state.upsertPlacement(placement(QStringLiteral("c")), t1);
        QCOMPARE(state.profiles[0].placements.size(), 4);
        state.removePlacement(QStringLiteral("a"), t1);
        QCOMPARE(state.profiles[0].placements.size(), 2);

        // Without a selected profile no edit changes anything.
        state.selectedProfileID = QUuid::createUuid();
        const StellwickState before = state;
        state.upsertPlacement(placement(QStringLiteral("a")), t1);
        state.updatePlacementFrame(QStringLiteral("b"), {}, t1);
        state.removePlacement(QStringLiteral("b"), t1);
        QCOMPARE(state, before);
    }

    void clampedKeepsAreasInsideTheVisibleFrame_data() {
        QTest::addColumn<NormalizedFrame>("input");
        QTest::addColumn<NormalizedFrame>("expected");
        QTest::newRow("left, top and wide")
            << NormalizedFrame{-0.2, 0.99, 2.0, 0.01} << NormalizedFrame{0, 0.95, 1.0, 0.05};
        QTest::newRow("right, narrow and low")
            << NormalizedFrame{0.955, 0.1, 0.01, 0.04} << NormalizedFrame{0.95, 0.1, 0.05, 0.05};
        QTest::newRow("width limited by x")
            << NormalizedFrame{0.9, 0.5, 0.5, 0.5} << NormalizedFrame{0.9, 0.5, 1 - 0.9, 0.5};
        QTest::newRow("inside stays")
            << NormalizedFrame{0.25, 0.25, 0.5, 0.5} << NormalizedFrame{0.25, 0.25, 0.5, 0.5};
    }
    void clampedKeepsAreasInsideTheVisibleFrame() {
        QFETCH(NormalizedFrame, input);
        QFETCH(NormalizedFrame, expected);
        const NormalizedFrame clamped = input.clamped();
        QCOMPARE(clamped.x, expected.x);
        QCOMPARE(clamped.y, expected.y);
        QCOMPARE(clamped.width, expected.width);
        QCOMPARE(clamped.height, expected.height);
    }
};

QTEST_GUILESS_MAIN(LayoutModelTest)
#include "tst_layoutmodel.moc"
