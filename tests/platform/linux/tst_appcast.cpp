// Reading the release feed and ordering versions: the two things that decide
// whether a user is told about an update.

#include "platform/linux/Appcast.h"

#include <QtTest>

using namespace stellwick::linux_platform;

namespace {

VersionNumber v(const char* text) {
    return *VersionNumber::parse(QString::fromLatin1(text));
}

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sw=\"https://stellwick.org/xmlns/appcast\">\n"
           "<channel><title>Stellwick</title>\n" +
           items + "</channel></rss>\n";
}

QByteArray item(const QByteArray& version, const QByteArray& extra = {}) {
    return "<item><title>Stellwick " + version + "</title><sw:version>" + version + "</sw:version>" + extra +
           "</item>\n";
}

} // namespace

class AppcastTest : public QObject {
    Q_OBJECT

private slots:
    void versionsCompareAsNumbers_data() {
        QTest::addColumn<QString>("older");
        QTest::addColumn<QString>("newer");
        QTest::newRow("1.9 < 1.10") << "1.9"
                                    << "1.10";
        QTest::newRow("0.9.9 < 0.10") << "0.9.9"
                                      << "0.10";
        QTest::newRow("longer is newer") << "1.2"
                                         << "1.2.1";
        QTest::newRow("major") << "9.99.99"
                               << "10";
        QTest::newRow("pre-release first") << "2.0-beta"
                                           << "2.0";
        QTest::newRow("pre-release after the last release") << "1.9"
                                                            << "2.0-rc.1";
        QTest::newRow("pre-release tags") << "2.0-alpha"
                                          << "2.0-beta";
        QTest::newRow("leading v") << "v1.0"
                                   << "1.0.1";
        QTest::newRow("big parts") << "1.4294967296"
                                   << "1.4294967297";
    }

    void versionsCompareAsNumbers() {
        QFETCH(QString, older);
        QFETCH(QString, newer);
        const VersionNumber a = *VersionNumber::parse(older);
        const VersionNumber b = *VersionNumber::parse(newer);
        QVERIFY(a < b);
        QVERIFY(b > a);
        QVERIFY(a != b);
    }

    void equalVersionsIgnoreTrailingZeros() {
        QVERIFY(v("1.0") == v("1.0.0"));
        QVERIFY(v("1") == v("1.0.0.0"));
        QVERIFY(v("v2.1") == v("2.1"));
        QVERIFY(v("01.2") == v("1.2"));
        QCOMPARE(v(" 1.2 ").text(), QStringLiteral("1.2"));
    }

    void unreadableVersions() {
        for (const char* text : {"", "1.", ".1", "1..2", "1.2a", "one", "1.2-", "1.2 beta", "-1", "1,2",
                                 "99999999999999999999999", "١.٢"})
            QVERIFY2(!VersionNumber::parse(QString::fromUtf8(text)), text);
    }

    void theNewestItemIsTaken() {
        const AppcastReading reading = readAppcast(feed(
            item("1.9", "<link>https://example.org/notes/1.9</link>") +
            item("1.10", "<link>https://example.org/notes/1.10</link>"
                         "<enclosure url=\"https://example.org/stellwick-1.10.tar.gz\" length=\"1\" "
                         "type=\"application/gzip\"/><pubDate>Mon, 01 Jun 2026 00:00:00 +0000</pubDate>") +
            item("1.2")));
        QVERIFY(!reading.error);
        QVERIFY(reading.newest);
        QCOMPARE(reading.newest->version.text(), QStringLiteral("1.10"));
        QCOMPARE(reading.newest->title, QStringLiteral("Stellwick 1.10"));
        QCOMPARE(reading.newest->releaseNotesURL, QUrl(QStringLiteral("https://example.org/notes/1.10")));
        QCOMPARE(reading.newest->downloadURL,
                 QUrl(QStringLiteral("https://example.org/stellwick-1.10.tar.gz")));
    }

    void onlySafeLinksAreKept() {
        const AppcastReading reading = readAppcast(feed(
            item("2.0", "<link>javascript:alert(1)</link><enclosure url=\"http://example.org/x.tar.gz\"/>") +
            item("1.0", "<link>file:///etc/passwd</link>")));
        QVERIFY(reading.newest);
        QVERIFY(reading.newest->releaseNotesURL.isEmpty());
        QVERIFY(reading.newest->downloadURL.isEmpty());
        QVERIFY(isSecureUpdateURL(QUrl(QStringLiteral("https://example.org/feed.xml"))));
        QVERIFY(isSecureUpdateURL(QUrl(QStringLiteral("http://127.0.0.1:8080/feed.xml"))));
        QVERIFY(isSecureUpdateURL(QUrl(QStringLiteral("http://[::1]/feed.xml"))));
        QVERIFY(isSecureUpdateURL(QUrl(QStringLiteral("http://localhost/feed.xml"))));
        QVERIFY(!isSecureUpdateURL(QUrl(QStringLiteral("http://example.org/feed.xml"))));
        QVERIFY(!isSecureUpdateURL(QUrl(QStringLiteral("http://127.0.0.1.example.org/feed.xml"))));
        QVERIFY(!isSecureUpdateURL(QUrl(QStringLiteral("ftp://127.0.0.1/feed.xml"))));
        QVERIFY(!isSecureUpdateURL(QUrl(QStringLiteral("https:feed.xml"))));
    }

    void itemsWithoutAReadableVersionArePassedOver() {
        const AppcastReading reading =
            readAppcast(feed(item("banana") + item("1.5") + "<item><title>no version</title></item>"));
        QVERIFY(reading.newest);
        QCOMPARE(reading.newest->version.text(), QStringLiteral("1.5"));
        // Another namespace's "version" is not ours.
        const AppcastReading foreign =
            readAppcast(feed("<item><x:version xmlns:x=\"urn:other\">9.0</x:version></item>" + item("1.0")));
        QCOMPARE(foreign.newest->version.text(), QStringLiteral("1.0"));
    }

    void aFeedWithoutReleasesIsNotAnError() {
        const AppcastReading reading = readAppcast(feed({}));
        QVERIFY(!reading.error);
        QVERIFY(!reading.newest);
    }

    void unusableFeedsAreErrors_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("html") << QByteArray("<!DOCTYPE html><html><body>Not found</body></html>");
        QTest::newRow("not xml") << QByteArray("{\"version\": \"2.0\"}");
        QTest::newRow("truncated") << feed(item("2.0")).left(120);
        QTest::newRow("mismatched tags") << QByteArray("<rss><channel><item></channel></rss>");
        QTest::newRow("trailing garbage") << feed(item("2.0")) + "<rss>";
        QTest::newRow("only unreadable versions") << feed(item("next") + item(""));
        QTest::newRow("entity bomb") << QByteArray(
            "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">"
            "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
            "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
            "<rss><channel><item><title>&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;</title></item></channel></rss>");
    }

    void unusableFeedsAreErrors() {
        QFETCH(QByteArray, bytes);
        const AppcastReading reading = readAppcast(bytes);
        QVERIFY(!reading.newest);
        QVERIFY(reading.error);
        QVERIFY(reading.error->contains(QStringLiteral("フィード")));
    }
};

QTEST_GUILESS_MAIN(AppcastTest)
#include "tst_appcast.moc"
