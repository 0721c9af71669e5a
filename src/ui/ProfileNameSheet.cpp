#include "ui/ProfileNameSheet.h"

#include "ui/DisplayText.h"
#include "ui/PaneStyle.h"
#include "ui/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

ProfileNameSheet::ProfileNameSheet(ProfileDialog mode, const QString& name, QWidget* parent)
    : QDialog(parent)
    , m_mode(mode)
    , m_field(new QLineEdit(this))
    , m_blankMessage(new QLabel(QStringLiteral("空白のみの名前は使用できません"), this))
    , m_confirm(new QPushButton(this)) {
    const bool creating = mode == ProfileDialog::create;
    setWindowTitle(creating ? QStringLiteral("新規プロファイル") : QStringLiteral("名前を変更"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(340);

    auto* symbol = new QLabel(this);
    symbol->setPixmap(symbolIcon(creating ? u"rectangle.stack.badge.plus" : u"pencil").pixmap(QSize(28, 28)));
    symbol->setAlignment(Qt::AlignCenter);
    auto* title = new QLabel(windowTitle(), this);
    title->setFont(pane_style::font(pane_style::TextStyle::headline));
    title->setAlignment(Qt::AlignCenter);
    auto* prompt = new QLabel(creating ? QStringLiteral("新しいプロファイルの名前を入力してください。")
                                       : QStringLiteral("プロファイルの新しい名前を入力してください。"),
                              this);
    prompt->setFont(pane_style::font(pane_style::TextStyle::caption));
    pane_style::setTextColor(prompt, pane_style::toneColor(palette(), pane_style::Tone::secondary));
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setWordWrap(true);

    m_field->setPlaceholderText(QStringLiteral("プロファイル名"));
    m_field->setAccessibleName(QStringLiteral("プロファイル名"));
    m_field->setText(name);
    m_blankMessage->setFont(pane_style::font(pane_style::TextStyle::caption));
    pane_style::setTextColor(m_blankMessage, pane_style::red());

    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setAccessibleName(cancel->text());
    cancel->setAutoDefault(false);
    m_confirm->setText(creating ? QStringLiteral("作成") : QStringLiteral("変更"));
    m_confirm->setAccessibleName(m_confirm->text());
    // Return confirms through the default button, and only while it is enabled.
    m_confirm->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(m_confirm);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 22, 22, 22);
    layout->setSpacing(14);
    layout->addWidget(symbol);
    layout->addWidget(title);
    layout->addWidget(prompt);
    layout->addWidget(m_field);
    layout->addWidget(m_blankMessage);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_confirm, &QPushButton::clicked, this, [this] {
        if (isBlankName(m_field->text()))
            return;
        emit saved(m_field->text());
        accept();
    });
    connect(m_field, &QLineEdit::textChanged, this, &ProfileNameSheet::nameChanged);
    nameChanged();
    m_field->setFocus();
    m_field->selectAll();
}

QString ProfileNameSheet::name() const {
    return m_field->text();
}

void ProfileNameSheet::nameChanged() {
    const QString text = m_field->text();
    m_blankMessage->setVisible(!text.isEmpty() && isBlankName(text));
    m_confirm->setEnabled(!isBlankName(text));
    adjustSize();
}

} // namespace stellwick
