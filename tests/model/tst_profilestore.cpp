// The settings file: its strict JSON form and canonical writing, first run,
// usable files, unusable places left alone, atomic and private writes.

#include "model/JsonReader.h"
#include "model/LayoutJson.h"
#include "model/ProfileStore.h"
#include "model/Uuid.h"
#include "support/ReferenceJson.h"
#include "support/SettingsCorpus.h"
#include "support/TestFiles.h"

#include <QtTest>
#include <bit>
#include <cmath>
#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace stellwick;
using namespace stellwick::test;

namespace {

StellwickState sampleState() {
    StellwickState state;
    LayoutProfile profile{*parseCanonicalUuid(u"6f9619ff-8b86-d011-b42d-00c04fc964ff"),
                          QStringLiteral("仕事"),
                          {},
                          std::nullopt};
    profile.placements.append(AppPlacement{QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                                           DisplayReference{7, std::nullopt, std::nullopt},
                                           NormalizedFrame{0.1, 0.2, 0.5, 0.25}, false, std::nullopt});
    state.profiles.append(profile);
    state.selectedProfileID = profile.id;
    return state;
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace

class ProfileStoreTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunStartsFreshAndSavesPrivately() {
        ScratchFolder scratch;
        const QString path = scratch.path(QStringLiteral("a/b/profiles.json"));
        const ProfileStore store(path);
        const LoadResult result = store.load(Date{5});
        QVERIFY(!result.warning && result.canSave);
        QCOMPARE(result.state.profiles[0].name, QStringLiteral("デフォルト"));
        QVERIFY(!QFileInfo::exists(scratch.path(QStringLiteral("a")))); // load never creates anything

        QCOMPARE(store.save(result.state), std::nullopt);
        QCOMPARE(permissionBits(scratch.path(QStringLiteral("a"))), 0700u);
        QCOMPARE(permissionBits(scratch.path(QStringLiteral("a/b"))), 0700u);
        QCOMPARE(permissionBits(path), 0600u);
        QCOMPARE(store.load(Date{6}).state, result.state);
        ::chmod(QFile::encodeName(path).constData(), 0644); // an existing file becomes private again
        QCOMPARE(store.save(result.state), std::nullopt);
        QCOMPARE(permissionBits(path), 0600u);
    }

    // Every usable file of the corpus loads without a warning (the unusable
    // ones: the controller's test); a folder in the file's place is unusable.
    void usableFilesLoadWithTheirValues() {
        for (const SettingsFile& file : usableSettingsFiles()) {
            ScratchFolder scratch;
            const QString path = scratch.path(QStringLiteral("profiles.json"));
            writeFile(path, file.bytes);
            const LoadResult result = ProfileStore(path).load(Date{});
            QVERIFY2(!result.warning && result.canSave, file.name);
            QCOMPARE(canonicalUuidString(result.state.selectedProfileID),
                     QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
            const QByteArray name(file.name);
            const QList<AppPlacement>& placements = result.state.profiles[0].placements;
            if (name == "canonical") {
                const AppPlacement& p = placements[0];
                QCOMPARE(p.frame.width, 1.0 / 3.0);
                QCOMPARE(p.frame.y, 0.1 + 0.2);
                QCOMPARE(result.state.profiles[0].modifiedAt, std::optional<Date>(Date{786297600.1234567}));
            }
            if (name == "largest display id")
                QCOMPARE(placements[0].display.id, 4294967295u);
            if (name == "extra keys everywhere") // unknown keys disappear on writing
                QVERIFY(!encodeState(result.state)->contains("theme"));
        }
        ScratchFolder scratch;
        const LoadResult folder = ProfileStore(scratch.path()).load(Date{});
        QCOMPARE(folder.warning, std::optional<QString>(settingsUnreadableWarning));
        QVERIFY(!folder.canSave);
    }

    void aFailedWriteLeavesThePreviousFile() {
        ScratchFolder scratch;
        const QString path = scratch.path(QStringLiteral("data/profiles.json"));
        writeFile(path, canonicalSettingsFile());
        const ProfileStore store(path);
        StellwickState state = store.load(Date{}).state;
        state.createProfile(QStringLiteral("新規"), Date{});

        // The disk fills up mid-write (a file-size limit works even for root): the
        // short write must not be committed as a truncated file.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tiny = saved;
        tiny.rlim_cur = 64;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
        const std::optional<QString> full = store.save(state);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(full);
        QCOMPARE(readFile(path), canonicalSettingsFile());
        QCOMPARE(QDir(scratch.path(QStringLiteral("data"))).entryList(QDir::Files | QDir::Hidden).size(), 1);

        // A number that is not finite: nothing written, no stray temporary.
        StellwickState broken = state;
        broken.profiles[0].placements[0].frame.x = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(store.save(broken));
        QCOMPARE(readFile(path), canonicalSettingsFile());
        QCOMPARE(QDir(scratch.path(QStringLiteral("data"))).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(store.save(state), std::nullopt); // room again: the next save works
    }

    void loadingRemovesOnlyTheTemporariesOfKilledSaves() {
        ScratchFolder scratch;
        const QString path = scratch.path(QStringLiteral("profiles.json"));
        writeFile(path, canonicalSettingsFile());
        writeFile(scratch.path(QStringLiteral(".profiles.json.stellwick-AbCd1234")), "half");
        writeFile(scratch.path(QStringLiteral("profiles.json.backup")), "mine");
        QVERIFY(ProfileStore(path).load(Date{}).canSave);
        QCOMPARE(QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("profiles.json"), QStringLiteral("profiles.json.backup")}));
    }

    // Absent optionals are left out, not written as null; a file in this form
    // is rewritten byte for byte.
    void writesTheCanonicalForm() {
        const QByteArray written = *encodeState(sampleState());
        QVERIFY(!written.contains("null") && !written.contains("capturedWindowTitle"));
        QVERIFY(written.startsWith(
            "{\n  \"profiles\": [\n    {\n      \"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\""));
        const QByteArray original = canonicalSettingsFile();
        QCOMPARE(*encodeState(*decodeState(original)), original);
    }

    void uuidsAreReadInEitherCase() {
        QCOMPARE(parseCanonicalUuid(u"6f9619ff-8b86-d011-b42d-00c04fc964ff"),
                 parseCanonicalUuid(u"6F9619FF-8B86-D011-B42D-00C04FC964FF"));
        for (const char16_t* bad :
             {u"6F9619FF8B86-D011-B42D-00C04FC964FF0", u"6F9619FF-8B86-D011-B42D-00C04FC964FF0"})
            QVERIFY(!parseCanonicalUuid(bad));
    }

    // The file's own reader and writer agree with the general-purpose library:
    // the same inputs accepted with the same values, and output the library
    // writes back byte for byte.
    void theReaderAndWriterAgreeWithTheReferenceLibrary() {
        QByteArray deep = "{\"a\":";
        for (int i = 0; i < json::Document::maxDepth; ++i)
            deep += "[";
        const QByteArray tooDeep = deep + QByteArray(json::Document::maxDepth, ']') + "}"; // complete
        const QList<QByteArray> inputs{
            QByteArray("{}\0{\"a\":1}", 10),
            "[1]",
            "",
            "{} x",
            "{\"a\": 1e400}",
            "{\"a\": 4.9e-324}",
            "{\"a\": 01}",
            "{\"a\": 18446744073709551616}",
            "{\"a\": [1,]}",
            "{\"a\": \"\\ud83d\\ude00\"}",
            "{\"a\": \"\\ude00\"}",
            "{\"a\": \"\\u00e9\\u0000\\/\\b\\f\\n\\r\\t\\\"\\\\\"}",
            "{\"a\": \"\x1fn\"}", // a raw control character, then what could follow a backslash
            "{\"a\": \"\xc0\xaf\"}",
            "{\"a\": \"\xed\xa0\x80\"}",
            "\xef\xbb\xbf{\"a\": 1}",
            "{\"a\": 1, \"a\": \"two\"}",
            " \t\r\n{ \"a\" : [ true , false , null ] } \n",
            deep,
            tooDeep,
            canonicalSettingsFile()};
        for (const QByteArray& input : inputs) {
            const std::optional<json::Document> ours = json::Document::parse(input);
            const std::optional<nlohmann::json> reference = referenceParse(input);
            QVERIFY2(ours.has_value() == reference.has_value(), input.left(80).constData());
            if (ours)
                QVERIFY2(sameValue(ours->root(), *reference), input.left(80).constData());
        }

        StellwickState state = *decodeState(canonicalSettingsFile());
        state.profiles[0].name = QStringLiteral("\"引用\" \\ \x01\x1f\x7f\t\n/ \U0001F600");
        state.profiles[0].placements[0].frame = {1e-5, 123456789.125, 5e-324, -0.0};
        state.profiles[0].modifiedAt = Date{1e16};
        const NormalizedFrame f = decodeState(*encodeState(state))->profiles[0].placements[0].frame;
        QVERIFY(sameBits(f.x, 1e-5) && sameBits(f.width, 5e-324) && sameBits(f.height, -0.0)); // bit for bit
        for (const StellwickState& written : {state, StellwickState::initialState(Date{})})
            QVERIFY(isReferencePretty(*encodeState(written)));
    }
};

QTEST_GUILESS_MAIN(ProfileStoreTest)
#include "tst_profilestore.moc"
