// The update window, offscreen: each outcome reads right, feed texts are never
// taken as markup, links open only through the opener, and closing the window
// does not end the application.

#include "ui/UpdateWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace stellwick;
using namespace stellwick::linux_platform;

namespace {

VersionNumber v(const char* text) {
    return *VersionNumber::parse(QString::fromLatin1(text));
}

struct Window {
    QString heading() const { return window.findChild<QLabel*>(QStringLiteral("heading"))->text(); }
    QLabel* detail() const { return window.findChild<QLabel*>(QStringLiteral("detail")); }
    QPushButton* button(const char* name) const {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    bool progressShown() const {
        return window.findChild<QProgressBar*>(QStringLiteral("progress"))->isVisible();
    }

    QList<QUrl> opened;
    UpdateWindow window{[this](const QUrl& url) {
        opened << url;
        return true;
    }};
};

} // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void eachOutcomeReadsRight() {
        Window w;
        w.window.showChecking();
        QVERIFY(w.window.isVisible());
        QCOMPARE(w.window.windowTitle(), QStringLiteral("Stellwick — アップデート"));
        QCOMPARE(w.heading(), QStringLiteral("アップデートを確認しています…"));
        QVERIFY(w.progressShown());

        w.window.showResult(UpToDate{v("1.9")});
        QCOMPARE(w.heading(), QStringLiteral("最新の状態です"));
        QCOMPARE(w.detail()->text(), QStringLiteral("Stellwick 1.9 は最新のバージョンです。"));
        QVERIFY(!w.progressShown());
        QVERIFY(!w.button("downloadButton")->isVisible());

        const QUrl notes(QStringLiteral("https://example.org/notes/2.0"));
        const QUrl download(QStringLiteral("https://example.org/stellwick-2.0.tar.gz"));
        w.window.showResult(UpdateAvailable{v("1.9"), AppcastItem{v("2.0"), QString(), notes, download}});
        QCOMPARE(w.heading(), QStringLiteral("新しいバージョンがあります"));
        QCOMPARE(w.detail()->text(),
                 QStringLiteral("Stellwick 2.0 を利用できます（現在のバージョンは 1.9 です）。"));
        QVERIFY(w.opened.isEmpty());
        QTest::mouseClick(w.button("downloadButton"), Qt::LeftButton);
        QTest::mouseClick(w.button("releaseNotesButton"), Qt::LeftButton);
        QCOMPARE(w.opened, (QList<QUrl>{download, notes}));

        // A failure shows its description as plain text, and no stale buttons.
        const QString markup = QStringLiteral("<a href=\"file:///etc\">x</a><img src=x>");
        w.window.showResult(UpdateCheckFailed{markup});
        QCOMPARE(w.heading(), QStringLiteral("アップデートを確認できませんでした"));
        QCOMPARE(w.detail()->textFormat(), Qt::PlainText);
        QCOMPARE(w.detail()->text(), markup);
        QVERIFY(!w.button("releaseNotesButton")->isVisible());
        QVERIFY(!w.button("downloadButton")->isVisible());
    }

    void closingHidesTheWindowAndKeepsTheApplication() {
        Window w;
        bool quit = false;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &w.window, [&] { quit = true; });
        w.window.showResult(UpToDate{v("1.9")});
        QTest::mouseClick(w.button("closeButton"), Qt::LeftButton);
        QVERIFY(!w.window.isVisible());
        QCoreApplication::sendPostedEvents();
        QVERIFY(!quit);
        w.window.showChecking(); // back for the next check
        QVERIFY(w.window.isVisible());
    }
};

QTEST_MAIN(UpdateWindowTest)
#include "tst_updatewindow.moc"
