// Updates: reading the release feed and ordering versions, and checks over a
// real socket against a local server: what the user is shown for each kind of
// feed and failure, what background checks keep quiet, and that only a secure
// feed is ever fetched.

#include "controller/UpdateController.h"
#include "platform/linux/Appcast.h"
#include "platform/linux/AppcastUpdater.h"
#include "platform/linux/FeedTransferModule.h"
#include "platform/sim/VirtualClock.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;

namespace {

VersionNumber v(const char* text) {
    return *VersionNumber::parse(QString::fromUtf8(text));
}

QByteArray item(const QByteArray& version, const QByteArray& extra = {}) {
    return "<item><title>Stellwick " + version + "</title><sw:version>" + version + "</sw:version>" + extra +
           "</item>";
}

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:sw=\"https://stellwick.org/xmlns/appcast\">"
           "<channel><title>Stellwick</title>" +
           items + "</channel></rss>\n";
}

constexpr int resultTimeoutMs = 10'000;

// An updater of version 1.9 on virtual time, pointed at a tiny HTTP/1.1 server
// on 127.0.0.1 that gives every request the same answer (none with status 0).
// It records what the update window was asked to show, in order: "checking",
// "up to date 1.9", "available 1.10", "failed <description>".
struct Fixture final : UpdatePresenter {
    Fixture() {
        if (!server.listen(QHostAddress::LocalHost))
            qFatal("cannot listen on 127.0.0.1");
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
        settings.feedURL = QUrl(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(server.serverPort()));
        settings.transferTimeoutMs = 500;
    }
    void answer(QTcpSocket* socket) {
        // Once per connection, when the headers are complete.
        if (socket->property("answered").toBool() || !socket->peek(64 * 1024).contains("\r\n\r\n"))
            return;
        socket->setProperty("answered", ++requests);
        if (status != 0)
            socket->write("HTTP/1.1 " + QByteArray::number(status) +
                          " Canned\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + headers +
                          "Connection: close\r\n\r\n" + body);
    }
    void showChecking() override { shown << QStringLiteral("checking"); }
    void showResult(const UpdateCheckResult& result) override {
        if (const auto* upToDate = std::get_if<UpToDate>(&result))
            shown << QStringLiteral("up to date ") + upToDate->currentVersion.text();
        else if (const auto* available = std::get_if<UpdateAvailable>(&result))
            shown << QStringLiteral("available ") + available->release.version.text();
        else
            shown << QStringLiteral("failed ") + std::get<UpdateCheckFailed>(result).description;
    }
    AppcastUpdater& updater() {
        if (!m_updater)
            m_updater = std::make_unique<AppcastUpdater>(clock, *this, settings, v("1.9"));
        return *m_updater;
    }
    void waitForShown(int count) { QTRY_COMPARE_WITH_TIMEOUT(shown.size(), count, resultTimeoutMs); }
    void waitForRequests(int count) { QTRY_COMPARE_WITH_TIMEOUT(requests, count, resultTimeoutMs); }
    // The next background check is scheduled once the last one has ended.
    void waitForNextCheck() { QTRY_COMPARE_WITH_TIMEOUT(clock.pendingCount(), 1u, resultTimeoutMs); }

    QTcpServer server;
    int status = 200;
    QByteArray body;
    QByteArray headers; // extra header lines, each ending in \r\n
    int requests = 0;
    sim::VirtualClock clock;
    UpdateSettings settings;
    QStringList shown;
    std::unique_ptr<AppcastUpdater> m_updater;
};

} // namespace

class AppcastUpdaterTest : public QObject {
    Q_OBJECT

private slots:
    void theFeedIsReadStrictlyAndItsVersionsCompareAsNumbers() {
        const std::pair<const char*, const char*> olderNewer[] = {
            {"1.9", "1.10"},           {"1.2", "1.2.1"},  {"2.0-beta", "2.0"},
            {"2.0-alpha", "2.0-beta"}, {"v1.0", "1.0.1"}, {"1.4294967296", "1.4294967297"}};
        for (const auto& [older, newer] : olderNewer)
            QVERIFY2(v(older) < v(newer) && v(newer) > v(older), older);
        QVERIFY(v("v2.1") == v("02.1.0"));
        for (const char* text : {"", "1.", "1.2a", "1.2-", "-1", "99999999999999999999999", "١.٢"})
            QVERIFY2(!VersionNumber::parse(QString::fromUtf8(text)), text);

        // The newest readable item, with only the links that are safe to open.
        const AppcastReading reading = readAppcast(feed(
            item("1.9", "<link>javascript:alert(1)</link>") + item("banana") +
            item("1.10", "<link>https://example.org/notes</link><enclosure url=\"http://example.org/x\"/>") +
            "<item><x:version xmlns:x=\"urn:other\">9.0</x:version></item>" + item("1.2")));
        QCOMPARE(reading.newest->title, QStringLiteral("Stellwick 1.10"));
        QCOMPARE(reading.newest->releaseNotesURL, QUrl(QStringLiteral("https://example.org/notes")));
        QVERIFY(reading.newest->downloadURL.isEmpty());
        QVERIFY(!readAppcast(feed({})).error); // no release yet: up to date

        QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a0 \"aaaaaaaaaa\">";
        for (int i = 1; i < 6; ++i)
            bomb += "<!ENTITY a" + QByteArray::number(i) + " \"" +
                    QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
        for (const QByteArray& unusable :
             {QByteArray(), QByteArray("<html><body>Not found</body></html>"), feed(item("2.0")).left(120),
              feed(item("2.0")) + "<rss>", feed(item("next") + item("")),
              bomb + "]><rss><channel><item><title>&a5;</title></item></channel></rss>"}) {
            const AppcastReading reading = readAppcast(unusable);
            QVERIFY2(!reading.newest && reading.error && reading.error->contains(QStringLiteral("フィード")),
                     unusable.left(60).constData());
        }
    }

    // What the user is shown for each kind of answer; a feed that is not
    // HTTPS is never fetched.
    void aCheckTheUserAsksForShowsItsOutcome() {
        struct Case {
            const char* feedURL; // none: the local server's
            int status;
            QByteArray body;
            const char* shown;
        };
        const QByteArray newer = feed(item("2.0"));
        const Case cases[] = {
            {nullptr, 200, newer, "available 2.0"},
            {nullptr, 200, feed(item("1.9.0")), "up to date 1.9"},
            {nullptr, 200, newer.chopped(20), "failed フィードを読み取れませんでした"},
            {nullptr, 503, "busy", "failed サーバーがエラーを返しました（HTTP 503）"},
            {nullptr, 200, QByteArray(2 << 20, ' ') + newer, "failed フィードが大きすぎる"},
            {nullptr, 302, {}, "failed フィードが HTTPS ではない場所へ転送された"},
            {nullptr, 0, {}, "failed サーバーが時間内に応答しませんでした。"},
            {"http://192.0.2.1/feed.xml", 200, newer, "failed アップデートの確認先が HTTPS ではないため"},
            {"", 200, newer, "failed アップデートの確認先が設定されていません。"}};
        for (const Case& c : cases) {
            Fixture f;
            if (c.feedURL)
                f.settings.feedURL = QUrl(QString::fromUtf8(c.feedURL));
            f.settings.automaticChecks = false;
            f.status = c.status;
            f.body = c.body;
            f.headers = "Location: http://192.0.2.1/feed.xml\r\n"; // followed only after a 302
            f.updater().start();                                   // background checks are off
            f.updater().checkForUpdates();
            QCOMPARE(f.shown, QStringList{QStringLiteral("checking")}); // the answer comes later
            f.waitForShown(2);
            QVERIFY2(f.shown[1].startsWith(QString::fromUtf8(c.shown)), qPrintable(f.shown[1]));
            QCOMPARE(f.requests, c.feedURL ? 0 : 1);
            QCOMPARE(f.clock.pendingCount(), 0u);
        }
    }

    void backgroundChecksShowANewVersionOnceAndKeepQuietOtherwise() {
        Fixture f;
        f.settings.checkIntervalSeconds = 3600;
        f.body = feed(item("1.9"));
        UpdateController controller(f.updater()); // starts the checks
        f.waitForRequests(1);
        f.waitForNextCheck();             // due in an hour
        QCOMPARE(f.shown, QStringList{}); // up to date: quiet

        f.status = 500;
        f.clock.advance(3599);
        QCOMPARE(f.requests, 1);
        f.clock.advance(1);
        f.waitForRequests(2);
        f.waitForNextCheck();
        QCOMPARE(f.shown, QStringList{}); // a background error: quiet

        f.status = 200;
        f.body = feed(item("2.0"));
        f.clock.advance(3600);
        f.waitForShown(1);
        QCOMPARE(f.shown, QStringList{QStringLiteral("available 2.0")});
        f.clock.advance(3600);
        f.waitForRequests(4);
        f.waitForNextCheck();
        QCOMPARE(f.shown.size(), 1); // the same version is not announced twice

        // The user still gets an answer, from the background check under way.
        f.clock.advance(3600);
        controller.checkForUpdates();
        f.waitForShown(3);
        f.waitForNextCheck();
        QCOMPARE(f.shown.mid(1), (QStringList{QStringLiteral("checking"), QStringLiteral("available 2.0")}));
        QCOMPARE(f.requests, 5);
    }

    void anUpdaterGoneMidCheckReportsNothing() {
        Fixture f;
        f.status = 0;
        f.updater().checkForUpdates();
        f.waitForRequests(1);
        f.m_updater.reset();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(f.shown, QStringList{QStringLiteral("checking")});
    }

    void theNetworkModuleLoadsFromTheBuildTreeOnlyForProgramsInIt() {
        const QString built =
            QDir(QStringLiteral(STELLWICK_BUILD_ROOT)).filePath(QStringLiteral("lib/stellwick"));
        const QStringList installed = FeedTransferModule::candidatePaths(QStringLiteral("/opt/x/bin"));
        QCOMPARE(installed.first(), QStringLiteral("/opt/x/lib/stellwick/stellwick-network.so"));
        QVERIFY(!installed.join(' ').contains(built));
        QVERIFY(!FeedTransferModule::candidatePaths(QStringLiteral(STELLWICK_BUILD_ROOT "-other/app"))
                     .join(' ')
                     .contains(built));
        QVERIFY(FeedTransferModule::candidatePaths(QCoreApplication::applicationDirPath())
                    .last()
                    .startsWith(built));
    }
};

QTEST_GUILESS_MAIN(AppcastUpdaterTest)
#include "tst_appcastupdater.moc"
