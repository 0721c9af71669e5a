// The settings file on disk: first run, usable files, unusable places left
// alone, atomic and private writes.

#include "model/LayoutJson.h"
#include "model/ProfileStore.h"
#include "model/Uuid.h"
#include "support/SettingsCorpus.h"
#include "support/TestFiles.h"

#include <QtTest>
#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace stellwick;
using namespace stellwick::test;

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
            if (name == "null optionals")
                QVERIFY(!result.state.profiles[0].modifiedAt && !placements[0].capturedWindowTitle &&
                        !placements[0].display.name);
            if (name == "largest display id")
                QCOMPARE(placements[0].display.id, 4294967295u);
            if (name == "duplicate bundle identifiers")
                QCOMPARE(placements.size(), 2);
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

        // A file in the folder's place: the folder cannot be made.
        const QString blocked = scratch.path(QStringLiteral("file/profiles.json"));
        writeFile(scratch.path(QStringLiteral("file")), "x");
        QVERIFY(ProfileStore(blocked).save(state));
        QCOMPARE(readFile(scratch.path(QStringLiteral("file"))), QByteArray("x"));
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
};

QTEST_GUILESS_MAIN(ProfileStoreTest)
#include "tst_profilestore.moc"
