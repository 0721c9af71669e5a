#include "ui/WindowSelectionFailureSheet.h"

#include "controller/ProbeViewModel.h"
#include "ui/PaneStyle.h"
#include "ui/SymbolView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

using namespace pane_style;

WindowSelectionFailureSheet::WindowSelectionFailureSheet(ProbeViewModel& model, const QString& message,
                                                         QWidget* parent)
    : QDialog(parent)
    , m_model(model)
    , m_message(label(message, TextStyle::callout, Tone::secondary, this))
    , m_hint(label(QString(), TextStyle::caption, Tone::secondary, this)) {
    setObjectName(QStringLiteral("failureSheet"));
    setWindowTitle(QStringLiteral("ウィンドウ情報を取得できませんでした"));
    setFixedWidth(390);
    for (QLabel* l : {m_message, m_hint}) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignHCenter);
    }
    m_message->setObjectName(QStringLiteral("failureMessage"));
    m_hint->setObjectName(QStringLiteral("failureHint"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 22, 22, 22);
    layout->setSpacing(13);
    layout->addWidget(new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), 30, orange(), this), 0,
                      Qt::AlignHCenter);
    layout->addWidget(label(QStringLiteral("ウィンドウ情報を取得できませんでした"), TextStyle::headline,
                            Tone::primary, this),
                      0, Qt::AlignHCenter);
    layout->addWidget(m_message);
    layout->addWidget(m_hint);

    connect(&model, &ProbeViewModel::isTrustedChanged, this, &WindowSelectionFailureSheet::showTrust);
    showTrust();
}

void WindowSelectionFailureSheet::setMessage(const QString& message) {
    m_message->setText(message);
}

void WindowSelectionFailureSheet::showTrust() {
    const bool trusted = m_model.isTrusted();
    if (m_shownTrust == trusted)
        return;
    m_shownTrust = trusted;
    m_hint->setText(
        trusted ? QStringLiteral("全画面表示のアプリや一部のシステムウィンドウは対象外です。")
                : QStringLiteral("システム設定でStellwickを許可したあと、状態を再確認してください。"));

    // The old row may hold the button whose click changed the permission.
    if (m_buttons) {
        m_buttons->hide();
        m_buttons->deleteLater();
    }
    m_buttons = new QWidget(this);
    auto* row = new QHBoxLayout(m_buttons);
    row->setContentsMargins(0, 0, 0, 0);
    const auto add = [this, row](const QString& text, const char* name, bool prominent, auto action) {
        auto* b = new QPushButton(text, m_buttons);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        if (prominent)
            makeProminent(b);
        connect(b, &QPushButton::clicked, this, action);
        row->addWidget(b);
    };
    row->addStretch();
    add(QStringLiteral("キャンセル"), "sheetCancel", false, [this] { m_model.cancelWindowSelection(); });
    if (trusted) {
        add(QStringLiteral("選び直す"), "sheetReselect", false, [this] { m_model.beginWindowSelection(); });
        add(QStringLiteral("再試行"), "sheetRetry", true, [this] { m_model.beginWindowSelection(); });
    } else {
        add(QStringLiteral("システム設定を開く"), "sheetOpenSettings", true,
            [this] { m_model.openAccessibilitySettings(); });
    }
    row->addStretch();
    layout()->addWidget(m_buttons);
    m_buttons->show();
}

} // namespace stellwick
