#include "ui/SelectionStatusBar.h"

#include "controller/ProbeViewModel.h"
#include "ui/PaneStyle.h"
#include "ui/SymbolView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

using namespace pane_style;

SelectionStatusBar::SelectionStatusBar(ProbeViewModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model) {
    setObjectName(QStringLiteral("selectionStatusBar"));
    setAccessibleName(QStringLiteral("ウィンドウ選択の状況"));
    setFocusPolicy(Qt::StrongFocus);
    fillBackground(this, withOpacity(accent(palette()), 0.08));
    setMinimumHeight(43);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch();
    layout->addWidget(divider(this));
    connect(&model, &ProbeViewModel::selectionPhaseChanged, this, &SelectionStatusBar::refresh);
    refresh();
}

void SelectionStatusBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        m_model.cancelWindowSelection();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SelectionStatusBar::refresh() {
    const WindowSelectionPhase& phase = m_model.selectionPhase();
    QWidget* content = nullptr;
    if (phase.isSelecting())
        content = selectingContent();
    else if (const auto candidate = phase.candidate())
        content = selectedContent(candidate->applicationName, candidate->windowTitle);
    else if (const auto message = phase.failureMessage())
        content = failedContent(*message);

    // The old row may hold the button whose click changed the phase.
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = content;
    if (content) {
        static_cast<QVBoxLayout*>(layout())->insertWidget(0, content, 1);
        content->show();
    }
    setVisible(content != nullptr);
}

QWidget* SelectionStatusBar::selectingContent() {
    auto* row = new QWidget(this);
    auto* progress = new QProgressBar(row);
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setFixedSize(48, 10);
    progress->setAccessibleName(QStringLiteral("クリックを待っています"));
    QPushButton* cancel = namedButton(QStringLiteral("キャンセル"), "selectionBarCancel", row);
    connect(cancel, &QPushButton::clicked, this, [this] { m_model.cancelWindowSelection(); });

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->setSpacing(8);
    layout->addWidget(progress);
    layout->addWidget(label(QStringLiteral("保存したいウィンドウをクリックしてください"), TextStyle::callout,
                            Tone::primary, row));
    layout->addStretch();
    layout->addWidget(cancel);
    return row;
}

QWidget* SelectionStatusBar::selectedContent(const QString& applicationName, const QString& windowTitle) {
    auto* row = new QWidget(this);
    QPushButton* reselect = namedButton(QStringLiteral("選び直す"), "selectionBarReselect", row);
    QPushButton* save = namedButton(QStringLiteral("プロファイルに保存"), "selectionBarSave", row);
    makeProminent(save);
    connect(reselect, &QPushButton::clicked, this, [this] { m_model.beginWindowSelection(); });
    connect(save, &QPushButton::clicked, this, [this] { m_model.saveSelectedWindow(); });
    QLabel* text =
        label(applicationName + QStringLiteral(" — ") + windowTitle, TextStyle::callout, Tone::primary, row);
    text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->setSpacing(8);
    layout->addWidget(new SymbolView(QStringLiteral("checkmark.circle.fill"), 16, green(), row));
    layout->addWidget(text, 1);
    layout->addWidget(reselect);
    layout->addWidget(save);
    return row;
}

QWidget* SelectionStatusBar::failedContent(const QString& message) {
    auto* row = new QWidget(this);
    QPushButton* retry = namedButton(QStringLiteral("再試行"), "selectionBarRetry", row);
    connect(retry, &QPushButton::clicked, this, [this] { m_model.beginWindowSelection(); });
    QLabel* text = label(message, TextStyle::callout, Tone::primary, row);
    text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->setSpacing(8);
    layout->addWidget(new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), 16, orange(), row));
    layout->addWidget(text, 1);
    layout->addWidget(retry);
    return row;
}

} // namespace stellwick
