// The control interface on a private session bus: methods reach the
// controller's actions, bad ids are refused, properties announce changes.

#include "dbus/ControlClient.h"
#include "dbus/ControlNames.h"
#include "dbus/ControlService.h"
#include "dbus/TerminalText.h"
#include "model/LayoutJson.h"
#include "model/ProfileStore.h"
#include "model/Uuid.h"
#include "support/SimFixtures.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::test;

namespace {

// Collects PropertiesChanged signals of the control object.
class PropertiesWatcher : public QObject {
    Q_OBJECT
public:
    explicit PropertiesWatcher(QDBusConnection bus) {
        bus.connect(QString(), control::objectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                    QStringLiteral("PropertiesChanged"), this,
                    SLOT(changed(QString, QVariantMap, QStringList)));
    }
    QList<QVariantMap> batches;

public slots:
    void changed(const QString& interface, const QVariantMap& properties, const QStringList&) {
        if (interface == control::interfaceName())
            batches.append(properties);
    }
};

} // namespace

class ControlServiceTest : public QObject {
    Q_OBJECT

    QDBusConnection clientBus() {
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
    }

    static QDBusMessage method(const QString& name, const QVariantList& args = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(control::serviceName(), control::objectPath(),
                                                              control::interfaceName(), name);
        message.setArguments(args);
        return message;
    }
    // Waits for an answer while the event loop runs, and virtual time too
    // unless it has to stand still.
    static QDBusMessage answer(ControllerHarness& h, QDBusPendingCall pending, bool timeRuns = true) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!pending.isFinished() && elapsed.elapsed() < 120000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            timeRuns ? h.desktop.clock().advance(0.01) : h.desktop.clock().runPending();
        }
        return pending.reply();
    }
    QDBusMessage callService(ControllerHarness& h, const QString& name, const QVariantList& args = {}) {
        return answer(h, clientBus().asyncCall(method(name, args)));
    }
    QVariant getProperty(ControllerHarness& h, const QString& name) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            control::serviceName(), control::objectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        message << control::interfaceName() << name;
        return answer(h, clientBus().asyncCall(message)).arguments().value(0).value<QDBusVariant>().variant();
    }

private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(),
                 "needs a session bus (run under dbus-run-session)");
        QVERIFY(QDBusConnection::sessionBus().registerService(control::serviceName()));
    }

    void methodsReachTheControllerActionsAndRefuseBadIds() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        ControlService service(c, h.desktop.clock());
        QVERIFY(service.registerOn(QDBusConnection::sessionBus()));

        QCOMPARE(callService(h, QStringLiteral("CreateProfile"), {QStringLiteral(" 夜 ")}).type(),
                 QDBusMessage::ReplyMessage);
        QCOMPARE(c.statusMessage(), QStringLiteral("夜を作成しました。"));
        const StellwickState saved = *decodeState(readFile(h.settingsPath()));
        QCOMPARE(saved.profiles.last().name, QStringLiteral("夜"));
        const QString night = canonicalUuidString(saved.profiles.last().id);
        const QString first = canonicalUuidString(saved.profiles.first().id);

        // Bad or unknown ids are refused and change nothing.
        const QByteArray before = readFile(h.settingsPath());
        const AppStatus status = c.status();
        for (const QString& method : {QStringLiteral("SelectProfile"), QStringLiteral("DeleteProfile")}) {
            for (const QString& id :
                 {QStringLiteral("not-a-uuid"), QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
                  QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF")}) {
                const QDBusMessage reply = callService(h, method, {id});
                QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
                QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
                QVERIFY(reply.errorMessage().contains(id));
            }
        }
        const QDBusMessage rename =
            callService(h, QStringLiteral("RenameProfile"), {QStringLiteral("x"), QStringLiteral("y")});
        QCOMPARE(rename.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(readFile(h.settingsPath()), before);
        QCOMPARE(c.status(), status);

        callService(h, QStringLiteral("SelectProfile"), {first.toLower()});
        QCOMPARE(canonicalUuidString(c.state().selectedProfileID), first);
        callService(h, QStringLiteral("RenameProfile"), {night, QStringLiteral("深夜")});
        QCOMPARE(c.state().profiles.last().name, QStringLiteral("深夜"));
        callService(h, QStringLiteral("DeleteProfile"), {night});
        callService(h, QStringLiteral("DeleteProfile"), {first});
        QCOMPARE(c.state().profiles.size(), 1);
        QCOMPARE(c.statusMessage(), QStringLiteral("最後のプロファイルは削除できません。"));
        callService(h, QStringLiteral("SetApplyOnDisplayChangeEnabled"), {false});
        QVERIFY(!c.applyOnDisplayChangeEnabled());
        h.desktop.world().trusted = false;
        callService(h, QStringLiteral("RefreshPermissionStatus"));
        QVERIFY(!c.isTrusted());

        // Any session process may call: hostile names are all answered and
        // the file stays loadable.
        for (const QString& name : {QString(100000, QChar(0x3042)), QStringLiteral("\x01\x1b[31m赤\x1b[0m\a"),
                                    QStringLiteral("\u202Eevil\u202C\u2066x\u2069"),
                                    QStringLiteral("\u200B\uFEFF\u200D"), QStringLiteral("tab\tnew\nline")})
            QCOMPARE(callService(h, QStringLiteral("CreateProfile"), {name}).type(),
                     QDBusMessage::ReplyMessage);
        QCOMPARE(c.state().profiles.size(), 6);
        const LoadResult reread = ProfileStore(h.settingsPath()).load(Date{});
        QVERIFY(reread.canSave);
        QCOMPARE(reread.state, c.state());
    }

    void propertiesFollowTheControllerAndAnnounceChanges() {
        ControllerHarness h;
        ProbeViewModel& c = h.start();
        ControlService service(c, h.desktop.clock());
        QVERIFY(service.registerOn(QDBusConnection::sessionBus()));
        PropertiesWatcher watcher(clientBus());

        QCOMPARE(getProperty(h, QStringLiteral("StatusKind")).toString(), QStringLiteral("information"));
        ProfileSummaryList profiles;
        getProperty(h, QStringLiteral("Profiles")).value<QDBusArgument>() >> profiles;
        QCOMPARE(profiles.size(), 1);
        QCOMPARE(profiles[0].name, QStringLiteral("デフォルト"));

        c.refreshPermissionStatus(); // still trusted: IsTrusted is not announced
        c.createProfile(QStringLiteral("B"));
        h.desktop.clock().runPending(); // the announcement waits for the next turn
        QTRY_COMPARE(watcher.batches.size(), 1);
        const QVariantMap changed = watcher.batches[0];
        QCOMPARE(changed.value(QStringLiteral("StatusMessage")).toString(),
                 QStringLiteral("Bを作成しました。"));
        QCOMPARE(changed.value(QStringLiteral("StatusDetail")).toString(), QString()); // absent detail is ""
        QCOMPARE(changed.value(QStringLiteral("SelectedProfileID")).toString(),
                 canonicalUuidString(c.state().selectedProfileID));
        QVERIFY(!changed.contains(QStringLiteral("IsTrusted"))); // unchanged values are not announced
    }

    void restoreAnswersWhenTheApplyHasFinished() {
        ControllerHarness h;
        h.seed({editorPlacement()});
        h.runEditor();
        ProbeViewModel& c = h.start();
        ControlService service(c, h.desktop.clock());
        QVERIFY(service.registerOn(QDBusConnection::sessionBus()));

        QCOMPARE(callService(h, QStringLiteral("RestoreSelectedProfile")).arguments(),
                 (QVariantList{true, QStringLiteral("success"),
                               QStringLiteral("「作業」を復元しました: 1個を配置・0個をスキップ")}));
        QCOMPARE(h.desktop.window(1).frame, leftHalfArea);

        // While another apply runs, the call answers at once that it applied nothing.
        h.desktop.window(1).settlePosition = [](Point p) { return Point{p.x + 10, p.y}; };
        c.applySelectedProfile();
        h.desktop.clock().runPending(); // the first apply now pauses before measuring again
        const QDBusMessage busy =
            answer(h, clientBus().asyncCall(method(QStringLiteral("RestoreSelectedProfile"))), false);
        QCOMPARE(busy.arguments().value(0), QVariant(false));
    }

    void profilesAreMatchedByIdOrByAUniqueName() {
        const ProfileSummaryList profiles{
            {QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"), QStringLiteral("仕事"), 2},
            {QStringLiteral("7F9619FF-8B86-D011-B42D-00C04FC964FF"), QStringLiteral("家"), 0},
            {QStringLiteral("8F9619FF-8B86-D011-B42D-00C04FC964FF"), QStringLiteral("家"), 1}};
        QCOMPARE(matchProfile(profiles, QStringLiteral("仕事")).profile->placementCount, 2u);
        QCOMPARE(matchProfile(profiles, QStringLiteral("8f9619ff-8b86-d011-b42d-00c04fc964ff")).profile->name,
                 QStringLiteral("家"));
        const ProfileMatch ambiguous = matchProfile(profiles, QStringLiteral("家"));
        QVERIFY(!ambiguous.profile);
        QCOMPARE(ambiguous.error,
                 QStringLiteral("「家」という名前のプロファイルが2個あります。IDで指定してください。"));
        QCOMPARE(matchProfile(profiles, QStringLiteral("旅")).error,
                 QStringLiteral("プロファイル「旅」が見つかりません。"));
    }

    // What the command line prints: controls and bidirectional overrides
    // visibly escaped, ordinary text untouched.
    void printedTextCannotDriveTheTerminal() {
        const QList<std::pair<QString, QString>> cases{
            {QStringLiteral("作業 (家)\t2"), QStringLiteral("作業 (家)\\x092")},
            {QStringLiteral("\x1b]0;owned\x07\x1b[2J"), QStringLiteral("\\x1b]0;owned\\x07\\x1b[2J")},
            {QStringLiteral("a\nb\r\x7f") + QChar(0x9B), QStringLiteral("a\\x0ab\\x0d\\x7f\\x9b")},
            {QStringLiteral("\u202etxt.exe\u2066\u2028"), QStringLiteral("\\u202etxt.exe\\u2066\\u2028")},
            {QString(QChar(0xD800)) + QStringLiteral("😀"), QStringLiteral("\\ud800😀")},
        };
        for (const auto& [raw, printed] : cases)
            QCOMPARE(escapedForTerminal(raw), printed);
    }
};

QTEST_GUILESS_MAIN(ControlServiceTest)
#include "tst_controlservice.moc"
