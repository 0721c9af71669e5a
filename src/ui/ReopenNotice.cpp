#include "ui/ReopenNotice.h"

#include "ui/PaneStyle.h"
#include "ui/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

ReopenNotice::ReopenNotice(std::function<void()> close, QWidget* parent)
    : QWidget(parent) {
    using namespace pane_style;
    setObjectName(QStringLiteral("reopenNotice"));
    setAccessibleName(QStringLiteral("再び開く方法"));
    auto* strip = new QWidget(this);
    fillBackground(strip, withOpacity(accent(palette()), 0.11));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    QLabel* heading = label(title, TextStyle::callout, Tone::primary, strip, QFont::DemiBold);
    heading->setAccessibleName(title);
    QLabel* message = label(detail, TextStyle::caption, Tone::secondary, strip);
    message->setWordWrap(true);
    message->setAccessibleName(detail);
    texts->addWidget(heading);
    texts->addWidget(message);
    auto* button = new QPushButton(closeTitle, strip);
    button->setAccessibleName(closeTitle);
    connect(button, &QPushButton::clicked, this, [close = std::move(close)] { close(); });
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(16, 8, 16, 8);
    row->setSpacing(10);
    row->addWidget(new SymbolView(QStringLiteral("info.circle.fill"), 18, accent(palette()), strip));
    row->addLayout(texts, 1);
    row->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip);
    layout->addWidget(divider(this));
}

} // namespace stellwick
