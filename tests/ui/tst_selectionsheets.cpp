// The click-to-select run as the settings window shows it, offscreen on the
// simulated desktop: the status bar in each phase and the two sheets with
// their keys.

#include "UiTestSupport.h"
#include "support/SimFixtures.h"
#include "ui/PlacementPreview.h"
#include "ui/SelectionSheetPresenter.h"
#include "ui/SelectionStatusBar.h"
#include "ui/WindowSelectionConfirmationSheet.h"

#include <QDialog>
#include <QLabel>

using namespace stellwick;
using namespace stellwick::test;

namespace {

const QString editor = QStringLiteral("org.example.Editor");

// A settings window with the status bar and the sheets, over a desktop with
// one editor window.
struct SelectionWindow : ControllerHarness {
    SelectionWindow() {
        desktop.addApplication(regularApp(100, editor, QStringLiteral("Editor")));
        openWindow(desktop, 100, Rect{100, 125, 720, 437.5}, QStringLiteral("main.cpp"));
    }
    ProbeViewModel& open() {
        ProbeViewModel& c = start();
        bar = new SelectionStatusBar(c, &window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(bar);
        layout->addStretch();
        presenter = new SelectionSheetPresenter(c, &window);
        window.resize(840, 120);
        window.show();
        return c;
    }
    void clickAt(double x, double y) {
        desktop.click({x, 900 - y});
        desktop.clock().runPending();
    }
    QDialog* sheet() const { return presenter->currentSheet(); }

    QWidget window;
    SelectionStatusBar* bar = nullptr;
    SelectionSheetPresenter* presenter = nullptr;
};

} // namespace

class SelectionSheetsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useFixedLook(); }

    void theBarFollowsEachPhase() {
        SelectionWindow w;
        ProbeViewModel& c = w.open();
        QVERIFY(w.bar->isHidden());

        c.beginWindowSelection();
        QVERIFY(w.bar->isVisible());
        QVERIFY(labelTexts(w.bar).contains(QStringLiteral("保存したいウィンドウをクリックしてください")));
        QCOMPARE(buttonTexts(w.bar), QStringList{QStringLiteral("キャンセル")});
        saveScreenshot(w.bar, QStringLiteral("bar-selecting"));
        w.bar->setFocus();
        QTest::keyClick(w.bar, Qt::Key_Escape);
        QVERIFY(c.selectionPhase().isIdle());
        QVERIFY(w.bar->isHidden());

        c.beginWindowSelection();
        w.clickAt(300, 300);
        QVERIFY(labelTexts(w.bar).contains(QStringLiteral("Editor — main.cpp")));
        QCOMPARE(buttonTexts(w.bar),
                 (QStringList{QStringLiteral("選び直す"), QStringLiteral("プロファイルに保存")}));
        saveScreenshot(w.bar, QStringLiteral("bar-selected"));
        QTest::mouseClick(buttonNamed(w.bar, QStringLiteral("選び直す")), Qt::LeftButton);
        QVERIFY(c.selectionPhase().isSelecting());

        w.clickAt(1300, 800); // the bare desktop
        QVERIFY(labelTexts(w.bar).contains(
            QStringLiteral("現在のSpaceに配置可能な通常ウィンドウがありません。")));
        QCOMPARE(buttonTexts(w.bar), QStringList{QStringLiteral("再試行")});
        saveScreenshot(w.bar, QStringLiteral("bar-failed"));
    }

    void theConfirmationSheetSavesOnReturnAndCancelsOnEscape() {
        SelectionWindow w;
        ProbeViewModel& c = w.open();
        c.beginWindowSelection();
        w.clickAt(300, 300);
        QDialog* sheet = w.sheet();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        const QStringList texts = labelTexts(sheet);
        for (const char* expected :
             {"このウィンドウを保存しますか？", "Editor", "main.cpp", "Built-in Display"})
            QVERIFY2(texts.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(sheet->findChild<PlacementPreview*>());
        QCOMPARE(buttonTexts(sheet), (QStringList{QStringLiteral("キャンセル"), QStringLiteral("選び直す"),
                                                  QStringLiteral("プロファイルに保存")}));
        saveScreenshot(sheet, QStringLiteral("sheet-confirmation"));

        QTest::keyClick(sheet, Qt::Key_Escape);
        QVERIFY(c.selectionPhase().isIdle());
        QVERIFY(!w.sheet());
        QVERIFY(c.selectedProfile()->placements.isEmpty());

        c.beginWindowSelection();
        w.clickAt(300, 300);
        // Return saves, whichever button has focus.
        QTest::keyClick(buttonNamed(w.sheet(), QStringLiteral("キャンセル")), Qt::Key_Return);
        QVERIFY(c.selectionPhase().isIdle());
        QVERIFY(!w.sheet());
        QCOMPARE(c.selectedProfile()->placements.size(), 1);
        QCOMPARE(c.selectedProfile()->placements[0].bundleIdentifier, editor);
    }

    void aCandidateOnNoDisplayHasNoPreview() {
        SelectionWindow w;
        ProbeViewModel& c = w.start();
        const WindowSelectionCandidate gone{editor, QStringLiteral("Editor"), QStringLiteral("main.cpp"),
                                            Rect{3000, 100, 400, 300}, DisplayReference{}};
        WindowSelectionConfirmationSheet sheet(c, gone, nullptr);
        QVERIFY(!sheet.findChild<PlacementPreview*>());
        QVERIFY(labelTexts(&sheet).contains(QStringLiteral("ディスプレイ")));
    }

    void theFailureSheetOffersWhatTheMissingPermissionAllows() {
        SelectionWindow w;
        w.desktop.world().trusted = false;
        ProbeViewModel& c = w.open();
        c.beginWindowSelection();
        QDialog* sheet = w.sheet();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(buttonTexts(sheet),
                 (QStringList{QStringLiteral("キャンセル"), QStringLiteral("システム設定を開く")}));
        QVERIFY(labelTexts(sheet).contains(
            QStringLiteral("ウィンドウの取得と移動にはアクセシビリティ権限が必要です。")));
        QVERIFY(labelTexts(sheet).contains(
            QStringLiteral("システム設定でStellwickを許可したあと、状態を再確認してください。")));
        saveScreenshot(sheet, QStringLiteral("sheet-failure-untrusted"));
        QTest::mouseClick(buttonNamed(sheet, QStringLiteral("システム設定を開く")), Qt::LeftButton);
        QCOMPARE(w.desktop.world().openedURLs.size(), 1u);
        QCOMPARE(w.sheet(), sheet); // still failed: the sheet stays

        // Granted meanwhile: another try is offered.
        w.desktop.world().trusted = true;
        c.refreshPermissionStatus();
        QCOMPARE(buttonTexts(sheet), (QStringList{QStringLiteral("キャンセル"), QStringLiteral("選び直す"),
                                                  QStringLiteral("再試行")}));
        QVERIFY(labelTexts(sheet).contains(
            QStringLiteral("全画面表示のアプリや一部のシステムウィンドウは対象外です。")));
        saveScreenshot(sheet, QStringLiteral("sheet-failure-trusted"));
        QTest::mouseClick(buttonNamed(sheet, QStringLiteral("再試行")), Qt::LeftButton);
        QVERIFY(c.selectionPhase().isSelecting());
        QVERIFY(!w.sheet());

        // A sheet closed by the window manager ends the run.
        w.clickAt(1300, 800);
        QVERIFY(w.sheet());
        w.sheet()->close();
        QVERIFY(c.selectionPhase().isIdle());
    }
};

QTEST_MAIN(SelectionSheetsTest)
#include "tst_selectionsheets.moc"
