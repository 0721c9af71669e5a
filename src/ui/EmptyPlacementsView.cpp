#include "ui/EmptyPlacementsView.h"

#include "ui/PaneStyle.h"
#include "ui/SymbolView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

EmptyPlacementsView::EmptyPlacementsView(std::function<void()> selectWindow, QWidget* parent)
    : QWidget(parent) {
    using namespace pane_style;
    setObjectName(QStringLiteral("emptyPlacementsView"));
    auto* symbol =
        new SymbolView(QStringLiteral("rectangle.3.group"), 40, toneColor(palette(), Tone::secondary), this);
    QLabel* title = label(QStringLiteral("まだアプリが登録されていません"), TextStyle::title3, Tone::primary,
                          this, QFont::DemiBold);
    QLabel* description =
        label(QStringLiteral(
                  "配置を記録したいウィンドウを画面上でクリックしてください。アプリ単位で領域を保存します。"),
              TextStyle::body, Tone::secondary, this);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignHCenter);
    description->setFixedWidth(420);
    auto* button = new QPushButton(QStringLiteral("ウィンドウを選択"), this);
    button->setObjectName(QStringLiteral("emptySelectWindowButton"));
    makeProminent(button);
    connect(button, &QPushButton::clicked, this,
            [selectWindow = std::move(selectWindow)] { selectWindow(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 72, 16, 16);
    layout->setSpacing(10);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    // Centred by stretches, not by alignment: an aligned label gets no height
    // for its wrapped lines.
    auto* centred = new QHBoxLayout;
    centred->addStretch();
    centred->addWidget(description);
    centred->addStretch();
    layout->addLayout(centred);
    layout->addSpacing(6);
    layout->addWidget(button, 0, Qt::AlignHCenter);
    layout->addStretch();
}

} // namespace stellwick
