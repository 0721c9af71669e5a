// Updates: reading the release feed and ordering versions, the settings taken
// from the defaults file, and checks over a real socket against a local
// server: what the user is shown for each kind of feed and failure, what
// background checks keep quiet, and that nothing but the feed is ever fetched.

#include "controller/UpdateController.h"
#include "platform/linux/Appcast.h"
#include "platform/linux/AppcastUpdater.h"
#include "platform/linux/IniUserDefaults.h"
#include "platform/sim/VirtualClock.h"
#include "support/TestFiles.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;

namespace {

struct Response {
    Response(int status = 200, QByteArray body = {}, QByteArray headers = {})
        : status(status)
        , body(std::move(body))
        , headers(std::move(headers)) {}
    int status;
    QByteArray body;
    QByteArray headers; // extra header lines, each ending in \r\n
};

// A tiny HTTP/1.1 server on 127.0.0.1 that gives every request the same
// answer; a silent one accepts connections and never answers.
class FeedServer {
public:
    FeedServer() {
        if (!m_server.listen(QHostAddress::LocalHost))
            qFatal("cannot listen on 127.0.0.1");
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(m_server.serverPort()));
    }

    Response response;
    bool silent = false;
    int requests = 0;

private:
    void answer(QTcpSocket* socket) {
        // Once per connection, when the headers are complete.
        if (socket->property("answered").toBool() || !socket->peek(64 * 1024).contains("\r\n\r\n"))
            return;
        socket->readAll();
        socket->setProperty("answered", true);
        ++requests;
        if (silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(response.status) +
                      " Canned\r\nContent-Length: " + QByteArray::number(response.body.size()) + "\r\n" +
                      response.headers + "Connection: close\r\n\r\n" + response.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

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

// What the update window was asked to show, in order: "checking", "up to date
// 1.9", "available 1.10", "failed <description>".
class RecordingPresenter final : public UpdatePresenter {
public:
    void showChecking() override { shown << QStringLiteral("checking"); }
    void showResult(const UpdateCheckResult& result) override {
        if (const auto* upToDate = std::get_if<UpToDate>(&result))
            shown << QStringLiteral("up to date ") + upToDate->currentVersion.text();
        else if (const auto* available = std::get_if<UpdateAvailable>(&result))
            shown << QStringLiteral("available ") + available->release.version.text();
        else
            shown << QStringLiteral("failed ") + std::get<UpdateCheckFailed>(result).description;
    }

    QStringList shown;
};

constexpr int resultTimeoutMs = 10'000;

// An updater of version 1.9 on virtual time, pointed at the local server.
struct Fixture {
    explicit Fixture(int transferTimeoutMs = resultTimeoutMs) {
        settings.feedURL = server.url();
        settings.transferTimeoutMs = transferTimeoutMs;
    }
    AppcastUpdater& updater() {
        if (!m_updater)
            m_updater = std::make_unique<AppcastUpdater>(clock, presenter, settings, v("1.9"));
        return *m_updater;
    }
    void destroyUpdater() { m_updater.reset(); }
    void waitForShown(int count) {
        QTRY_COMPARE_WITH_TIMEOUT(presenter.shown.size(), count, resultTimeoutMs);
    }
    void waitForRequests(int count) { QTRY_COMPARE_WITH_TIMEOUT(server.requests, count, resultTimeoutMs); }
    // The next background check is scheduled once the last one has ended.
    void waitForNextCheck() { QTRY_COMPARE_WITH_TIMEOUT(clock.pendingCount(), 1u, resultTimeoutMs); }

    FeedServer server;
    sim::VirtualClock clock;
    RecordingPresenter presenter;
    UpdateSettings settings;

private:
    std::unique_ptr<AppcastUpdater> m_updater;
};

} // namespace

class AppcastUpdaterTest : public QObject {
    Q_OBJECT

private slots:
    void versionsCompareAsNumbers() {
        const std::pair<const char*, const char*> olderNewer[] = {
            {"1.9", "1.10"},           {"0.9.9", "0.10"},   {"1.2", "1.2.1"},
            {"9.99.99", "10"},         {"2.0-beta", "2.0"}, {"1.9", "2.0-rc.1"},
            {"2.0-alpha", "2.0-beta"}, {"v1.0", "1.0.1"},   {"1.4294967296", "1.4294967297"}};
        for (const auto& [older, newer] : olderNewer)
            QVERIFY2(v(older) < v(newer) && v(newer) > v(older), older);
        QVERIFY(v("1.0") == v("1.0.0"));
        QVERIFY(v("v2.1") == v("02.1.0"));
        for (const char* text : {"", "1.", ".1", "1..2", "1.2a", "1.2-", "1.2 beta", "-1", "1,2",
                                 "99999999999999999999999", "١.٢"})
            QVERIFY2(!VersionNumber::parse(QString::fromUtf8(text)), text);
    }

    void theNewestReadableItemIsTakenWithItsSafeLinks() {
        const AppcastReading reading = readAppcast(feed(
            item("1.9", "<link>https://example.org/notes/1.9</link>") + item("banana") +
            item("1.10",
                 "<link>https://example.org/notes/1.10</link><pubDate>Mon, 01 Jun 2026</pubDate>"
                 "<enclosure url=\"https://example.org/stellwick-1.10.tar.gz\" type=\"application/gzip\"/>") +
            "<item><x:version xmlns:x=\"urn:other\">9.0</x:version></item>" + item("1.2")));
        QVERIFY(!reading.error);
        QCOMPARE(reading.newest->version.text(), QStringLiteral("1.10"));
        QCOMPARE(reading.newest->title, QStringLiteral("Stellwick 1.10"));
        QCOMPARE(reading.newest->releaseNotesURL, QUrl(QStringLiteral("https://example.org/notes/1.10")));
        QCOMPARE(reading.newest->downloadURL,
                 QUrl(QStringLiteral("https://example.org/stellwick-1.10.tar.gz")));

        // Links a browser should not be sent to from here are dropped.
        const AppcastReading unsafe = readAppcast(feed(
            item("2.0", "<link>javascript:alert(1)</link><enclosure url=\"http://example.org/x.tar.gz\"/>")));
        QVERIFY(unsafe.newest->releaseNotesURL.isEmpty());
        QVERIFY(unsafe.newest->downloadURL.isEmpty());
        QVERIFY(isSecureUpdateURL(QUrl(QStringLiteral("http://[::1]:8080/feed.xml"))));
        QVERIFY(!isSecureUpdateURL(QUrl(QStringLiteral("http://127.0.0.1.example.org/feed.xml"))));

        // A feed with no release yet is simply up to date.
        QVERIFY(!readAppcast(feed({})).error);
    }

    void unusableFeedsAreErrors_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("html") << QByteArray("<!DOCTYPE html><html><body>Not found</body></html>");
        QTest::newRow("not xml") << QByteArray("{\"version\": \"2.0\"}");
        QTest::newRow("truncated") << feed(item("2.0")).left(120);
        QTest::newRow("trailing garbage") << feed(item("2.0")) + "<rss>";
        QTest::newRow("only unreadable versions") << feed(item("next") + item(""));
        QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a0 \"aaaaaaaaaa\">";
        for (int i = 1; i < 6; ++i)
            bomb += "<!ENTITY a" + QByteArray::number(i) + " \"" +
                    QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
        QTest::newRow("entity expansion")
            << bomb + "]><rss><channel><item><title>&a5;</title></item></channel></rss>";
    }

    void unusableFeedsAreErrors() {
        QFETCH(QByteArray, bytes);
        const AppcastReading reading = readAppcast(bytes);
        QVERIFY(!reading.newest);
        QVERIFY(reading.error && reading.error->contains(QStringLiteral("フィード")));
    }

    void updateSettingsComeFromTheDefaults() {
        test::ScratchFolder folder;
        IniUserDefaults defaults(folder.path(QStringLiteral("defaults.conf")));
        QCOMPARE(UpdateSettings::fromDefaults(defaults).checkIntervalSeconds, 86400.0);

        defaults.setString(UpdateSettings::feedURLKey, QStringLiteral(" https://example.org/feed.xml "));
        defaults.setBool(UpdateSettings::automaticChecksKey, false);
        defaults.setDouble(UpdateSettings::checkIntervalKey, 7200);
        UpdateSettings settings = UpdateSettings::fromDefaults(defaults);
        QCOMPARE(settings.feedURL, QUrl(QStringLiteral("https://example.org/feed.xml")));
        QVERIFY(!settings.automaticChecks);
        QCOMPARE(settings.checkIntervalSeconds, 7200.0);

        // An empty feed turns checks off; an interval is at least an hour.
        defaults.setString(UpdateSettings::feedURLKey, QString());
        defaults.setDouble(UpdateSettings::checkIntervalKey, 5);
        settings = UpdateSettings::fromDefaults(defaults);
        QVERIFY(settings.feedURL.isEmpty());
        QCOMPARE(settings.checkIntervalSeconds, 3600.0);
    }

    void aCheckTheUserAsksForShowsItsOutcome_data() {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QString>("shown");
        QTest::newRow("newer") << Response{200, feed(item("1.10"))} << "available 1.10";
        QTest::newRow("same") << Response{200, feed(item("1.9.0"))} << "up to date 1.9";
        QTest::newRow("older") << Response{200, feed(item("1.8.12"))} << "up to date 1.9";
        QTest::newRow("malformed XML")
            << Response{200, feed(item("2.0")).chopped(20)} << "failed フィードを読み取れませんでした";
        QTest::newRow("server error")
            << Response{503, "busy"} << "failed サーバーがエラーを返しました（HTTP 503）";
        QTest::newRow("too large") << Response{200, QByteArray(2 << 20, ' ') + feed(item("2.0"))}
                                   << "failed フィードが大きすぎる";
        QTest::newRow("redirected to plain HTTP elsewhere")
            << Response{302, {}, "Location: http://192.0.2.1/feed.xml\r\n"}
            << "failed フィードが HTTPS ではない場所へ転送された";
        QTest::newRow("silent") << Response{0} << "failed サーバーが時間内に応答しませんでした。";
    }

    void aCheckTheUserAsksForShowsItsOutcome() {
        QFETCH(Response, response);
        QFETCH(QString, shown);
        Fixture f(500);
        f.server.silent = response.status == 0;
        f.server.response = response;
        f.updater().checkForUpdates();
        QCOMPARE(f.presenter.shown, QStringList{QStringLiteral("checking")});
        f.waitForShown(2);
        QVERIFY2(f.presenter.shown[1].startsWith(shown), qPrintable(f.presenter.shown[1]));
        QCOMPARE(f.server.requests, 1);
    }

    void feedsThatAreNotHttpsAreNeverFetched_data() {
        QTest::addColumn<QUrl>("feed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain HTTP")
            << QUrl(QStringLiteral("http://192.0.2.1/feed.xml"))
            << "failed アップデートの確認先が HTTPS ではないため、確認しませんでした。";
        QTest::newRow("none") << QUrl() << "failed アップデートの確認先が設定されていません。";
    }

    void feedsThatAreNotHttpsAreNeverFetched() {
        QFETCH(QUrl, feed);
        QFETCH(QString, shown);
        Fixture f;
        f.settings.feedURL = feed;
        f.updater().start();
        QCOMPARE(f.clock.pendingCount(), 0u);
        f.updater().checkForUpdates();
        QCOMPARE(f.presenter.shown, QStringList{QStringLiteral("checking")}); // the answer comes later
        f.waitForShown(2);
        QCOMPARE(f.presenter.shown[1], shown);
        QCOMPARE(f.server.requests, 0);
    }

    void backgroundChecksShowANewVersionOnceAndKeepQuietOtherwise() {
        Fixture f;
        f.settings.checkIntervalSeconds = 3600;
        f.server.response = {200, feed(item("1.9"))};
        UpdateController controller(f.updater()); // starts the checks
        f.waitForRequests(1);
        f.waitForNextCheck();                       // due in an hour
        QCOMPARE(f.presenter.shown, QStringList{}); // up to date: quiet

        f.server.response = {500, "down"};
        f.clock.advance(3599);
        QCOMPARE(f.server.requests, 1);
        f.clock.advance(1);
        f.waitForRequests(2);
        f.waitForNextCheck();
        QCOMPARE(f.presenter.shown, QStringList{}); // a background error: quiet

        f.server.response = {200, feed(item("2.0"))};
        f.clock.advance(3600);
        QTRY_COMPARE_WITH_TIMEOUT(f.presenter.shown, QStringList{QStringLiteral("available 2.0")},
                                  resultTimeoutMs);
        f.clock.advance(3600);
        f.waitForRequests(4);
        f.waitForNextCheck();
        QCOMPARE(f.presenter.shown.size(), 1); // the same version is not announced twice

        // The user still gets an answer every time.
        controller.checkForUpdates();
        f.waitForShown(3);
        QCOMPARE(f.presenter.shown.mid(1),
                 (QStringList{QStringLiteral("checking"), QStringLiteral("available 2.0")}));
    }

    void aUserCheckDuringABackgroundCheckSharesIt() {
        Fixture f;
        f.server.response = {200, feed(item("1.9"))};
        f.updater().start();
        f.updater().checkForUpdates();
        f.waitForShown(2);
        QCOMPARE(f.presenter.shown,
                 (QStringList{QStringLiteral("checking"), QStringLiteral("up to date 1.9")}));
        QCOMPARE(f.server.requests, 1);
    }

    void anUpdaterGoneMidCheckReportsNothing() {
        Fixture f;
        f.server.silent = true;
        f.updater().checkForUpdates();
        f.waitForRequests(1);
        f.destroyUpdater();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(f.presenter.shown, QStringList{QStringLiteral("checking")});
    }
};

QTEST_GUILESS_MAIN(AppcastUpdaterTest)
#include "tst_appcastupdater.moc"
