#include "ui/PermissionSettingsView.h"

#include "controller/ProbeViewModel.h"
#include "ui/PaneStyle.h"
#include "ui/SymbolView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace stellwick {

using namespace pane_style;

PermissionSettingsView::PermissionSettingsView(ProbeViewModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_warningStrip(new QWidget(this)) {
    setObjectName(QStringLiteral("permissionPane"));

    // The warning strip, only while the permission is missing.
    m_warningStrip->setObjectName(QStringLiteral("permissionWarningStrip"));
    auto* strip = new QWidget(m_warningStrip);
    fillBackground(strip, withOpacity(orange(), 0.11));
    strip->setMinimumHeight(58);
    auto* stripTexts = new QVBoxLayout;
    stripTexts->setSpacing(2);
    stripTexts->addWidget(label(QStringLiteral("アクセシビリティ権限が許可されていません"), TextStyle::body,
                                Tone::primary, strip, QFont::DemiBold));
    stripTexts->addWidget(
        label(QStringLiteral("ウィンドウの取得・移動ができないため、保存と復元は実行されません。"),
              TextStyle::caption, Tone::secondary, strip));
    QPushButton* request = namedButton(QStringLiteral("許可する…"), "requestPermissionButton", strip);
    auto* stripRow = new QHBoxLayout(strip);
    stripRow->setContentsMargins(16, 0, 16, 0);
    stripRow->setSpacing(11);
    stripRow->addWidget(new SymbolView(QStringLiteral("exclamationmark.circle.fill"), 22, orange(), strip));
    stripRow->addLayout(stripTexts, 1);
    stripRow->addWidget(request);
    auto* stripLayout = new QVBoxLayout(m_warningStrip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->setSpacing(0);
    stripLayout->addWidget(strip);
    stripLayout->addWidget(divider(m_warningStrip));

    // The status card.
    auto* card = new Card(this);
    card->setObjectName(QStringLiteral("permissionCard"));
    m_statusSymbol = new SymbolView(QStringLiteral("checkmark.circle.fill"), 28, green(), card);
    m_statusLine = label(QString(), TextStyle::body, Tone::primary, card, QFont::Medium);
    m_statusLine->setObjectName(QStringLiteral("permissionStatusLine"));
    m_explanation = label(QString(), TextStyle::caption, Tone::secondary, card);
    m_explanation->setWordWrap(true);
    auto* statusTexts = new QVBoxLayout;
    statusTexts->setSpacing(3);
    statusTexts->addWidget(m_statusLine);
    statusTexts->addWidget(m_explanation);
    QPushButton* recheck = namedButton(QStringLiteral("状態を再確認"), "recheckPermissionButton", card);
    QPushButton* openSettings = namedButton(QStringLiteral("システム設定で確認"), "openSettingsButton", card);
    auto* cardRow = new QHBoxLayout(card);
    cardRow->setContentsMargins(16, 16, 16, 16);
    cardRow->setSpacing(12);
    cardRow->addWidget(m_statusSymbol);
    cardRow->addLayout(statusTexts, 1);
    cardRow->addWidget(recheck);
    cardRow->addWidget(openSettings);

    QLabel* note =
        label(QStringLiteral(
                  "権限を取り消すと、Stellwickは配置の保存・復元を停止し、メニューバーに警告を表示します。"),
              TextStyle::caption, Tone::secondary, this);
    note->setWordWrap(true);

    auto* content = new QWidget(this);
    content->setMaximumWidth(720 + 52);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(18);
    QLabel* title = label(QStringLiteral("アクセシビリティ"), TextStyle::caption2, Tone::secondary, content,
                          QFont::DemiBold);
    card->setParent(content);
    note->setParent(content);
    column->addWidget(title);
    column->addWidget(card);
    column->addWidget(note);
    column->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_warningStrip);
    // As wide as the window allows up to the maximum, kept at the leading edge.
    auto* leading = new QHBoxLayout;
    leading->setSpacing(0);
    leading->addWidget(content, 1);
    leading->addStretch(0);
    layout->addLayout(leading, 1);

    connect(request, &QPushButton::clicked, this, [this] { m_model.requestAccessibilityPermission(); });
    connect(recheck, &QPushButton::clicked, this, [this] { m_model.refreshPermissionStatus(); });
    connect(openSettings, &QPushButton::clicked, this, [this] { m_model.openAccessibilitySettings(); });
    connect(&model, &ProbeViewModel::isTrustedChanged, this, &PermissionSettingsView::refresh);
    refresh();
}

void PermissionSettingsView::showEvent(QShowEvent* event) {
    // A window coming back from being minimised is not a new showing.
    if (!event->spontaneous())
        m_model.refreshPermissionStatus();
    QWidget::showEvent(event);
}

void PermissionSettingsView::refresh() {
    const bool trusted = m_model.isTrusted();
    m_warningStrip->setVisible(!trusted);
    m_statusSymbol->setName(trusted ? QStringLiteral("checkmark.circle.fill")
                                    : QStringLiteral("exclamationmark.triangle.fill"));
    m_statusSymbol->setTint(trusted ? green() : orange());
    m_statusLine->setText(trusted ? QStringLiteral("許可済み") : QStringLiteral("許可が必要です"));
    m_explanation->setText(trusted ? QStringLiteral("ウィンドウの取得と移動が利用できます。")
                                   : QStringLiteral("システム設定でStellwickをオンにしてください。"));
}

} // namespace stellwick
