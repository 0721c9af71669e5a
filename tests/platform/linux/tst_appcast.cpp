// Reading the release feed and ordering versions: the two things that decide
// whether a user is told about an update.

#include "platform/linux/Appcast.h"

#include <QtTest>

using namespace stellwick::linux_platform;

namespace {

VersionNumber v(const char* text) {
    return *VersionNumber::parse(QString::fromUtf8(text));
}

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:sw=\"https://stellwick.org/xmlns/appcast\">"
           "<channel><title>Stellwick</title>" +
           items + "</channel></rss>\n";
}

QByteArray item(const QByteArray& version, const QByteArray& extra = {}) {
    return "<item><title>Stellwick " + version + "</title><sw:version>" + version + "</sw:version>" + extra +
           "</item>";
}

} // namespace

class AppcastTest : public QObject {
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
};

QTEST_GUILESS_MAIN(AppcastTest)
#include "tst_appcast.moc"
