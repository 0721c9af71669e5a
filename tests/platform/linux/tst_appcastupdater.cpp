// Update checks over a real socket against a local server: what the user is
// shown for each kind of feed and failure, what background checks keep quiet,
// and that nothing but the feed is ever fetched.

#include "LocalHttpServer.h"
#include "controller/UpdateController.h"
#include "platform/linux/AppcastUpdater.h"
#include "platform/sim/VirtualClock.h"

#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;
using test::LocalHttpServer;

namespace {

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

QByteArray feedWith(const QByteArray& version) {
    return "<rss version=\"2.0\" "
           "xmlns:sw=\"https://stellwick.org/xmlns/appcast\"><channel><item><sw:version>" +
           version + "</sw:version></item></channel></rss>";
}

constexpr int resultTimeoutMs = 10'000;

struct Fixture {
    explicit Fixture(int transferTimeoutMs = resultTimeoutMs) {
        settings.feedURL = server.url(QStringLiteral("/feed.xml"));
        settings.transferTimeoutMs = transferTimeoutMs;
    }
    AppcastUpdater& updater() {
        if (!m_updater)
            m_updater =
                std::make_unique<AppcastUpdater>(clock, presenter, settings, *VersionNumber::parse("1.9"));
        return *m_updater;
    }
    void destroyUpdater() { m_updater.reset(); }

    LocalHttpServer server;
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
    void aCheckTheUserAsksForShowsItsOutcome_data() {
        QTest::addColumn<LocalHttpServer::Response>("response");
        QTest::addColumn<QString>("shown");
        QTest::newRow("newer") << LocalHttpServer::Response{200, feedWith("1.10")} << "available 1.10";
        QTest::newRow("same") << LocalHttpServer::Response{200, feedWith("1.9.0")} << "up to date 1.9";
        QTest::newRow("older") << LocalHttpServer::Response{200, feedWith("1.8.12")} << "up to date 1.9";
        QTest::newRow("malformed XML") << LocalHttpServer::Response{200, feedWith("2.0").chopped(20)}
                                       << "failed フィードを読み取れませんでした";
        QTest::newRow("not a feed") << LocalHttpServer::Response{200, "<html><body>maintenance</body></html>"}
                                    << "failed フィードの形式が正しくありません";
        QTest::newRow("server error")
            << LocalHttpServer::Response{503, "busy"} << "failed サーバーがエラーを返しました（HTTP 503）";
        QTest::newRow("too large") << LocalHttpServer::Response{200,
                                                                QByteArray(2 << 20, ' ') + feedWith("2.0")}
                                   << "failed フィードが大きすぎる";
        QTest::newRow("redirected to plain HTTP elsewhere")
            << LocalHttpServer::Response{302, {}, "Location: http://192.0.2.1/feed.xml\r\n"}
            << "failed フィードが HTTPS ではない場所へ転送された";
        QTest::newRow("silent") << LocalHttpServer::Response{0}
                                << "failed サーバーが時間内に応答しませんでした。";
    }

    void aCheckTheUserAsksForShowsItsOutcome() {
        QFETCH(LocalHttpServer::Response, response);
        QFETCH(QString, shown);
        Fixture f(500);
        f.server.setSilent(response.status == 0);
        f.server.serve(QStringLiteral("/feed.xml"), response);
        f.updater().checkForUpdates();
        QCOMPARE(f.presenter.shown, QStringList{QStringLiteral("checking")});
        QTRY_COMPARE_WITH_TIMEOUT(f.presenter.shown.size(), 2, resultTimeoutMs);
        QVERIFY2(f.presenter.shown[1].startsWith(shown), qPrintable(f.presenter.shown[1]));
        QCOMPARE(f.server.requestCount(), 1);
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
        QTRY_COMPARE_WITH_TIMEOUT(f.presenter.shown.size(), 2, resultTimeoutMs);
        QCOMPARE(f.presenter.shown[1], shown);
        QCOMPARE(f.server.requestCount(), 0);
    }

    void backgroundChecksShowANewVersionOnceAndKeepQuietOtherwise() {
        Fixture f;
        f.settings.checkIntervalSeconds = 3600;
        f.server.serve(QStringLiteral("/feed.xml"), {200, feedWith("1.9")});
        UpdateController controller(f.updater()); // starts the checks
        QTRY_COMPARE_WITH_TIMEOUT(f.server.requestCount(), 1, resultTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(f.clock.pendingCount(), 1u,
                                  resultTimeoutMs); // the next check is due in an hour
        QCOMPARE(f.presenter.shown, QStringList{}); // up to date: quiet

        f.server.serve(QStringLiteral("/feed.xml"), {500, "down"});
        f.clock.advance(3599);
        QCOMPARE(f.server.requestCount(), 1);
        f.clock.advance(1);
        QTRY_COMPARE_WITH_TIMEOUT(f.server.requestCount(), 2, resultTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(f.clock.pendingCount(), 1u, resultTimeoutMs);
        QCOMPARE(f.presenter.shown, QStringList{}); // a background error: quiet

        f.server.serve(QStringLiteral("/feed.xml"), {200, feedWith("2.0")});
        f.clock.advance(3600);
        QTRY_COMPARE_WITH_TIMEOUT(f.presenter.shown, QStringList{QStringLiteral("available 2.0")},
                                  resultTimeoutMs);
        f.clock.advance(3600);
        QTRY_COMPARE_WITH_TIMEOUT(f.server.requestCount(), 4, resultTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(f.clock.pendingCount(), 1u, resultTimeoutMs);
        QCOMPARE(f.presenter.shown.size(), 1); // the same version is not announced twice

        // The user still gets an answer every time.
        controller.checkForUpdates();
        QTRY_COMPARE_WITH_TIMEOUT(f.presenter.shown.size(), 3, resultTimeoutMs);
        QCOMPARE(f.presenter.shown.mid(1),
                 (QStringList{QStringLiteral("checking"), QStringLiteral("available 2.0")}));
    }

    void aUserCheckDuringABackgroundCheckSharesIt() {
        Fixture f;
        f.server.serve(QStringLiteral("/feed.xml"), {200, feedWith("1.9")});
        f.updater().start();
        f.updater().checkForUpdates();
        QTRY_COMPARE_WITH_TIMEOUT(f.presenter.shown.size(), 2, resultTimeoutMs);
        QCOMPARE(f.presenter.shown,
                 (QStringList{QStringLiteral("checking"), QStringLiteral("up to date 1.9")}));
        QCOMPARE(f.server.requestCount(), 1);
    }

    void anUpdaterGoneMidCheckReportsNothing() {
        Fixture f;
        f.server.setSilent(true);
        QSignalSpy requests(&f.server, &LocalHttpServer::requestReceived);
        f.updater().checkForUpdates();
        QVERIFY(requests.wait(resultTimeoutMs));
        f.destroyUpdater();
        f.server.setSilent(false);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(f.presenter.shown, QStringList{QStringLiteral("checking")});
    }
};

QTEST_GUILESS_MAIN(AppcastUpdaterTest)
#include "tst_appcastupdater.moc"
