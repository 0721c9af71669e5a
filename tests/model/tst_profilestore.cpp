// The settings file on disk: first run, unusable files left alone, atomic and
// private writes.

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
    void firstRunStartsFreshAndCreatesAPrivateFolderOnSave() {
        ScratchFolder scratch;
        const QString path = scratch.path(QStringLiteral("a/b/profiles.json"));
        const ProfileStore store(path);

        const LoadResult result = store.load(Date{5});
        QVERIFY(!result.warning);
        QVERIFY(result.canSave);
        QCOMPARE(result.state.profiles.size(), 1);
        QCOMPARE(result.state.profiles[0].name, QStringLiteral("デフォルト"));
        QVERIFY(!QFileInfo::exists(scratch.path(QStringLiteral("a")))); // load never creates anything

        QCOMPARE(store.save(result.state), std::nullopt);
        QCOMPARE(permissionBits(scratch.path(QStringLiteral("a"))), 0700u);
        QCOMPARE(permissionBits(scratch.path(QStringLiteral("a/b"))), 0700u);
        QCOMPARE(permissionBits(path), 0600u);
        QCOMPARE(readFile(path), *encodeState(result.state));

        const LoadResult again = store.load(Date{6});
        QVERIFY(again.canSave);
        QCOMPARE(again.state, result.state);
    }

    void anExistingFileBecomesPrivateWhenRewritten() {
        ScratchFolder scratch;
        const QString path = scratch.path(QStringLiteral("profiles.json"));
        writeFile(path, canonicalSettingsFile());
        ::chmod(QFile::encodeName(path).constData(), 0644);
        const ProfileStore store(path);
        QCOMPARE(store.save(store.load(Date{}).state), std::nullopt);
        QCOMPARE(permissionBits(path), 0600u);
    }

    // Every usable file of the corpus loads without a warning; what cannot be
    // used (whatever the bytes: see the controller's test of the corpus) is
    // also a folder or an unreadable file in the file's place.
    void usableFilesLoadAndOtherPlacesAreUnusable() {
        for (const SettingsFile& file : usableSettingsFiles()) {
            ScratchFolder scratch;
            const QString path = scratch.path(QStringLiteral("profiles.json"));
            writeFile(path, file.bytes);
            const LoadResult result = ProfileStore(path).load(Date{});
            QVERIFY2(!result.warning && result.canSave, file.name);
            QCOMPARE(canonicalUuidString(result.state.selectedProfileID),
                     QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
        }
        ScratchFolder scratch;
        const QString folder = scratch.path(QStringLiteral("folder.json"));
        QDir().mkpath(folder);
        const LoadResult result = ProfileStore(folder).load(Date{});
        QCOMPARE(result.warning, std::optional<QString>(settingsUnreadableWarning));
        QVERIFY(!result.canSave);
        if (::geteuid() != 0) { // root reads files whatever their mode
            const QString path = scratch.path(QStringLiteral("profiles.json"));
            writeFile(path, canonicalSettingsFile());
            ::chmod(QFile::encodeName(path).constData(), 0);
            QVERIFY(!ProfileStore(path).load(Date{}).canSave);
        }
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
        QCOMPARE(store.save(state), std::nullopt); // room again: the next save works
        writeFile(path, canonicalSettingsFile());

        // The folder cannot take the temporary file (root writes anyway).
        if (::geteuid() != 0) {
            ::chmod(QFile::encodeName(scratch.path(QStringLiteral("data"))).constData(), 0500);
            const std::optional<QString> error = store.save(state);
            ::chmod(QFile::encodeName(scratch.path(QStringLiteral("data"))).constData(), 0700);
            QVERIFY(error && !error->isEmpty());
            QCOMPARE(readFile(path), canonicalSettingsFile());
        }

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

    void aStateWithANonFiniteNumberWritesNothing() {
        ScratchFolder scratch;
        const QString path = scratch.path(QStringLiteral("profiles.json"));
        writeFile(path, canonicalSettingsFile());
        const ProfileStore store(path);
        StellwickState state = store.load(Date{}).state;
        state.profiles[0].placements[0].frame.x = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(store.save(state));
        QCOMPARE(readFile(path), canonicalSettingsFile());
        QCOMPARE(QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no stray temporary
    }
};

QTEST_GUILESS_MAIN(ProfileStoreTest)
#include "tst_profilestore.moc"
