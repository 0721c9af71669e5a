// The layout records and the operations that keep a state's invariants.

#include "model/LayoutModel.h"

#include <QtTest>

using namespace stellwick;

Q_DECLARE_METATYPE(stellwick::NormalizedFrame)

namespace {

const Date t0{1000};
const Date t1{2000};

AppPlacement placement(const QString& bundle, double x = 0.1, bool onLaunch = false,
                       std::optional<QString> title = std::nullopt) {
    return AppPlacement{bundle,
                        bundle + QStringLiteral(" App"),
                        DisplayReference{1, QStringLiteral("Display"), {}},
                        NormalizedFrame{x, 0.2, 0.3, 0.4},
                        onLaunch,
                        title};
}

StellwickState threeProfiles() {
    StellwickState state = StellwickState::initialState(t0);
    state.createProfile(QStringLiteral("B"), t0);
    state.createProfile(QStringLiteral("C"), t0);
    return state;
}

} // namespace

class LayoutModelTest : public QObject {
    Q_OBJECT

private slots:
    void profileNamesAreTrimmedOfUnicodeWhiteSpace_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank") << QStringLiteral("   ") << QStringLiteral("名称未設定");
        QTest::newRow("empty") << QString() << QStringLiteral("名称未設定");
        QTest::newRow("line breaks kept inside")
            << QStringLiteral(" \n 作業 用\t\r\n") << QStringLiteral("作業 用");
        QTest::newRow("Unicode spaces") << QStringLiteral("\u00A0\u2028Work\u205F") << QStringLiteral("Work");
        // Zero-width space and BOM are not white space: they stay.
        QTest::newRow("U+200B stays") << QStringLiteral("\u200BWork") << QStringLiteral("\u200BWork");
        QTest::newRow("only ideographic spaces")
            << QStringLiteral("\u3000\u3000") << QStringLiteral("名称未設定");
    }
    void profileNamesAreTrimmedOfUnicodeWhiteSpace() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(normalizedProfileName(input), expected);
    }

    void createAndRenameNormalizeTheNameAndTouch() {
        StellwickState state = StellwickState::initialState(t0);
        const LayoutProfile created = state.createProfile(QStringLiteral("   "), t1);
        QCOMPARE(created.name, QStringLiteral("名称未設定"));
        QCOMPARE(state.profiles.last(), created);
        QCOMPARE(state.selectedProfileID, created.id);
        QCOMPARE(created.modifiedAt, std::optional<Date>(t1));

        const QUuid id = state.profiles[0].id;
        state.renameProfile(id, QStringLiteral(" デフォルト "), Date{3000}); // the same name still touches
        QCOMPARE(state.profiles[0].name, QStringLiteral("デフォルト"));
        QCOMPARE(state.profiles[0].modifiedAt, std::optional<Date>(Date{3000}));
        const StellwickState before = state;
        state.renameProfile(QUuid::createUuid(), QStringLiteral("X"), Date{4000});
        QCOMPARE(state, before);
    }

    void deleteKeepsAtLeastOneProfileAndReselectsTheFirst() {
        StellwickState single = StellwickState::initialState(t0);
        const StellwickState before = single;
        single.deleteProfile(single.profiles[0].id);
        QCOMPARE(single, before);

        StellwickState state = threeProfiles(); // A, B, C with C selected
        const QUuid a = state.profiles[0].id, b = state.profiles[1].id, c = state.profiles[2].id;
        state.deleteProfile(b);
        QCOMPARE(state.profiles.size(), 2);
        QCOMPARE(state.selectedProfileID, c); // not selected: selection stays
        state.deleteProfile(c);
        QCOMPARE(state.selectedProfileID, a); // selected: the first remaining, not a neighbour
        QCOMPARE(state.profiles[0].modifiedAt, std::optional<Date>(t0)); // nothing touched

        StellwickState unknown = threeProfiles();
        const StellwickState unknownBefore = unknown;
        unknown.deleteProfile(QUuid::createUuid());
        QCOMPARE(unknown, unknownBefore);
    }

    void duplicateProfileIdsNeverEmptyTheList() {
        // Only a hand-edited file can hold two profiles with one id.
        StellwickState state = StellwickState::initialState(t0);
        LayoutProfile twin = state.profiles[0];
        twin.name = QStringLiteral("Twin");
        state.profiles.append(twin);
        QVERIFY(!state.canDeleteProfile(twin.id));
        state.deleteProfile(twin.id);
        QCOMPARE(state.profiles.size(), 2);

        state.createProfile(QStringLiteral("Other"), t1);
        QVERIFY(state.canDeleteProfile(twin.id));
        state.deleteProfile(twin.id); // removes both twins
        QCOMPARE(state.profiles.size(), 1);
        QCOMPARE(state.profiles[0].name, QStringLiteral("Other"));
    }

    void upsertReplacesInPlaceOrAppends() {
        StellwickState state = StellwickState::initialState(t0);
        state.upsertPlacement(placement(QStringLiteral("a")), t0);
        state.upsertPlacement(placement(QStringLiteral("b")), t0);
        const AppPlacement replacement = placement(QStringLiteral("a"), 0.5, true, QStringLiteral("Title"));
        state.upsertPlacement(replacement, t1);
        const LayoutProfile profile = *state.selectedProfile();
        QCOMPARE(profile.placements.size(), 2);
        QCOMPARE(profile.placements[0], replacement); // every field, same position
        QCOMPARE(profile.placements[1].bundleIdentifier, QStringLiteral("b"));
        QCOMPARE(profile.modifiedAt, std::optional<Date>(t1));
    }

    void placementEditsTouchOnlyWhenThePlacementExists() {
        StellwickState state = StellwickState::initialState(t0);
        state.upsertPlacement(placement(QStringLiteral("a")), t0);

        state.setArrangeOnLaunch(true, QStringLiteral("missing"), t1);
        state.updatePlacementFrame(QStringLiteral("missing"), {0, 0, 1, 1}, t1);
        QCOMPARE(state.selectedProfile()->modifiedAt, std::optional<Date>(t0));

        state.removePlacement(QStringLiteral("missing"), t1); // touches anyway
        QCOMPARE(state.selectedProfile()->modifiedAt, std::optional<Date>(t1));

        state.setArrangeOnLaunch(false, QStringLiteral("a"), Date{3000}); // same value still touches
        QCOMPARE(state.selectedProfile()->modifiedAt, std::optional<Date>(Date{3000}));
        state.updatePlacementFrame(QStringLiteral("a"), {0.9, 0.9, 0.1, 0.1}, Date{4000});
        QCOMPARE(state.selectedProfile()->placements[0].frame, (NormalizedFrame{0.9, 0.9, 0.1, 0.1}));
    }

    void duplicateBundleIdentifiersActOnTheFirstAndRemoveAll() {
        StellwickState state = StellwickState::initialState(t0);
        state.profiles[0].placements = {placement(QStringLiteral("a"), 0.1),
                                        placement(QStringLiteral("a"), 0.2)};
        state.setArrangeOnLaunch(true, QStringLiteral("a"), t1);
        state.updatePlacementFrame(QStringLiteral("a"), {0.5, 0.5, 0.5, 0.5}, t1);
        state.upsertPlacement(placement(QStringLiteral("a"), 0.7, true), t1);
        QCOMPARE(state.profiles[0].placements[0].frame.x, 0.7);
        QCOMPARE(state.profiles[0].placements[1].frame.x, 0.2);
        QCOMPARE(state.profiles[0].placements[1].arrangeOnLaunch, false);
        state.removePlacement(QStringLiteral("a"), t1);
        QVERIFY(state.profiles[0].placements.isEmpty());

        // Without a selected profile no edit changes anything.
        state.selectedProfileID = QUuid::createUuid();
        const StellwickState before = state;
        state.upsertPlacement(placement(QStringLiteral("a")), t1);
        state.setArrangeOnLaunch(true, QStringLiteral("a"), t1);
        state.updatePlacementFrame(QStringLiteral("a"), {}, t1);
        state.removePlacement(QStringLiteral("a"), t1);
        QCOMPARE(state, before);
    }

    void clampedKeepsAreasInsideTheVisibleFrame_data() {
        QTest::addColumn<NormalizedFrame>("input");
        QTest::addColumn<NormalizedFrame>("expected");
        QTest::newRow("all out of range")
            << NormalizedFrame{-0.2, 0.99, 2.0, 0.01} << NormalizedFrame{0, 0.95, 1.0, 0.05};
        QTest::newRow("width limited by x")
            << NormalizedFrame{0.9, 0.5, 0.5, 0.5} << NormalizedFrame{0.9, 0.5, 1 - 0.9, 0.5};
        QTest::newRow("typed area") << NormalizedFrame{0.99, -1, 0.5, 0.01}
                                    << NormalizedFrame{0.95, 0, 0.05, 0.05};
        QTest::newRow("too narrow and too low")
            << NormalizedFrame{0.1, 0.1, 0.01, 0.04} << NormalizedFrame{0.1, 0.1, 0.05, 0.05};
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
