// Saves killed at random moments: nothing may ever be lost or half-written,
// and no temporary outlives the next start. (A full or read-only disk and a
// folder in the file's place: tst_profilestore.)
// STELLWICK_KILLS sets the number of killed saves (default 1,000).

#include "model/LayoutJson.h"
#include "model/ProfileStore.h"
#include "support/SimFixtures.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <csignal>
#include <unistd.h>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const char* const saveLoopVariable = "STELLWICK_SAVE_LOOP";

// A state big enough that a save takes a few milliseconds, so kills land mid-write.
StellwickState bigState(int variant) {
    StellwickState state = StellwickState::initialState(Date{1e8});
    for (int p = 0; p < 60; ++p) {
        LayoutProfile profile = LayoutProfile::make(QStringLiteral("版%1-%2").arg(variant).arg(p), Date{1e8});
        for (int a = 0; a < 20; ++a)
            profile.placements.append(placementFor(QStringLiteral("org.example.App%1").arg(a),
                                                   QStringLiteral("アプリ%1").arg(a),
                                                   NormalizedFrame{0.01 * a, 0.02 * p / 60, 0.5, 0.5}));
        profile.id = QUuid::createUuidV5(QUuid(), profile.name); // the same in both processes
        state.profiles.append(profile);
    }
    state.profiles.removeFirst();
    state.selectedProfileID = state.profiles.first().id;
    return state;
}

// The child: saves the two states in turn until it is killed.
[[noreturn]] void saveForever(const QString& path) {
    const ProfileStore store(path);
    const StellwickState states[] = {bigState(1), bigState(2)};
    for (unsigned i = 0;; ++i) {
        if (store.save(states[i % 2]))
            ::_exit(3);
        if (i == 0)
            ::write(STDOUT_FILENO, "saved\n", 6);
    }
}

} // namespace

class StoreFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void aKilledSaveLeavesTheOldOrTheNewFileAndNoTemporary() {
        const int kills = qEnvironmentVariableIsSet("STELLWICK_KILLS")
                              ? qEnvironmentVariableIntValue("STELLWICK_KILLS")
                              : 1000;
        ScratchFolder scratch;
        const QString path = scratch.path(QStringLiteral("profiles.json"));
        const QByteArray states[] = {*encodeState(bigState(1)), *encodeState(bigState(2))};
        int sawNew = 0;
        for (int kill = 0; kill < kills; ++kill) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(saveLoopVariable), path);
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForReadyRead(10000)); // the first save is complete
            ::usleep(QRandomGenerator::global()->bounded(20000));
            ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            const QByteArray bytes = readFile(path);
            QVERIFY2(bytes == states[0] || bytes == states[1],
                     qPrintable(QStringLiteral("kill %1").arg(kill)));
            sawNew += bytes == states[1];
            // The next start cleans up a temporary that the kill left named.
            QVERIFY(ProfileStore(path).load(Date{}).canSave);
            const QStringList entries =
                QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
            QVERIFY2(entries == QStringList{QStringLiteral("profiles.json")},
                     qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(entries.join(u' '))));
        }
        qInfo("%d saves killed: the file held the second state %d times, the first otherwise", kills, sawNew);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(saveLoopVariable))
        saveForever(qEnvironmentVariable(saveLoopVariable));
    QCoreApplication app(argc, argv);
    StoreFaultsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storefaults.moc"
