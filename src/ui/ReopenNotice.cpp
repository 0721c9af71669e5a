#include "ui/ReopenNotice.h"

#include "ui/PaneStyle.h"

#include <QPushButton>

namespace stellwick {

ReopenNotice::ReopenNotice(std::function<void()> close, QWidget* parent)
    : QWidget(parent) {
    using namespace pane_style;
    setObjectName(QStringLiteral("reopenNotice"));
    setAccessibleName(QStringLiteral("再び開く方法"));
    auto* button = new QPushButton(closeTitle);
    button->setAccessibleName(closeTitle);
    connect(button, &QPushButton::clicked, this, [close = std::move(close)] { close(); });
    buildNoticeStrip(this, QStringLiteral("info.circle.fill"), accent(palette()), title, detail, button);
}

} // namespace stellwick
