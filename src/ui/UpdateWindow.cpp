#include "ui/UpdateWindow.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

using namespace linux_platform;

namespace {

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

} // namespace

UpdateWindow::UpdateWindow(Opener opener, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_opener(opener ? std::move(opener) : [](const QUrl& url) { return QDesktopServices::openUrl(url); })
    , m_heading(new QLabel(this))
    , m_detail(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_releaseNotesButton(new QPushButton(QStringLiteral("リリースノート"), this))
    , m_downloadButton(new QPushButton(QStringLiteral("ダウンロードページを開く"), this))
    , m_closeButton(new QPushButton(QStringLiteral("閉じる"), this)) {
    setWindowTitle(QStringLiteral("Stellwick — アップデート"));
    // A tray application keeps running when this, its only open window, closes.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_heading->setObjectName(QStringLiteral("heading"));
    QFont headingFont = m_heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.15);
    m_heading->setFont(headingFont);
    m_detail->setObjectName(QStringLiteral("detail"));
    // Feed texts are shown as they are, never interpreted as markup.
    m_heading->setTextFormat(Qt::PlainText);
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setWordWrap(true);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_releaseNotesButton->setObjectName(QStringLiteral("releaseNotesButton"));
    m_downloadButton->setObjectName(QStringLiteral("downloadButton"));
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_releaseNotesButton);
    buttons->addStretch();
    buttons->addWidget(m_downloadButton);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_detail);
    layout->addWidget(m_progress);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(m_releaseNotesButton, &QPushButton::clicked, this, [this] { m_opener(m_releaseNotesURL); });
    connect(m_downloadButton, &QPushButton::clicked, this, [this] { m_opener(m_downloadURL); });
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    showLinks({}, {});
}

void UpdateWindow::showChecking() {
    showText(QStringLiteral("アップデートを確認しています…"), QString());
    m_progress->show();
    showLinks({}, {});
    present();
}

void UpdateWindow::showResult(const UpdateCheckResult& result) {
    m_progress->hide();
    std::visit(Overloaded{
                   [this](const UpToDate& upToDate) {
                       showText(QStringLiteral("最新の状態です"),
                                QStringLiteral("Stellwick %1 は最新のバージョンです。")
                                    .arg(upToDate.currentVersion.text()));
                       showLinks({}, {});
                   },
                   [this](const UpdateAvailable& available) {
                       showText(QStringLiteral("新しいバージョンがあります"),
                                QStringLiteral("Stellwick %1 を利用できます（現在のバージョンは %2 です）。")
                                    .arg(available.release.version.text(), available.currentVersion.text()));
                       showLinks(available.release.releaseNotesURL, available.release.downloadURL);
                   },
                   [this](const UpdateCheckFailed& failed) {
                       showText(QStringLiteral("アップデートを確認できませんでした"), failed.description);
                       showLinks({}, {});
                   },
               },
               result);
    present();
}

void UpdateWindow::showText(const QString& heading, const QString& detail) {
    m_heading->setText(heading);
    m_detail->setText(detail);
    m_detail->setVisible(!detail.isEmpty());
}

void UpdateWindow::showLinks(const QUrl& releaseNotes, const QUrl& download) {
    m_releaseNotesURL = releaseNotes;
    m_downloadURL = download;
    m_releaseNotesButton->setVisible(!releaseNotes.isEmpty());
    m_downloadButton->setVisible(!download.isEmpty());
}

void UpdateWindow::present() {
    show();
    raise();
    activateWindow();
}

} // namespace stellwick
