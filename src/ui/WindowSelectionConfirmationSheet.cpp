#include "ui/WindowSelectionConfirmationSheet.h"

#include "controller/ProbeViewModel.h"
#include "ui/AppIcon.h"
#include "ui/PaneStyle.h"
#include "ui/PlacementPreview.h"
#include "ui/PlacementRow.h"
#include "ui/SymbolView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

WindowSelectionConfirmationSheet::WindowSelectionConfirmationSheet(ProbeViewModel& model,
                                                                   const WindowSelectionCandidate& candidate,
                                                                   QWidget* parent)
    : QDialog(parent)
    , m_candidate(candidate) {
    using namespace pane_style;
    setObjectName(QStringLiteral("confirmationSheet"));
    setWindowTitle(QStringLiteral("このウィンドウを保存しますか？"));
    setFixedWidth(500);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(
        label(QStringLiteral("このウィンドウを保存しますか？"), TextStyle::headline, Tone::primary, this));
    texts->addWidget(label(candidate.applicationName, TextStyle::body, Tone::primary, this, QFont::Medium));
    texts->addWidget(label(candidate.windowTitle, TextStyle::caption, Tone::secondary, this));
    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addWidget(new AppIcon(model, candidate.bundleIdentifier, 40, this));
    header->addLayout(texts, 1);

    auto* previewRow = new QHBoxLayout;
    previewRow->setSpacing(16);
    if (const std::optional<NormalizedFrame> frame = model.previewFrame(candidate)) {
        auto* preview = new PlacementPreview(*frame, this);
        preview->setFixedSize(210, 115);
        previewRow->addWidget(preview);
    }
    auto* displayLine = new QHBoxLayout;
    displayLine->setSpacing(6);
    displayLine->addWidget(
        new SymbolView(QStringLiteral("display"), 16, toneColor(palette(), Tone::primary), this));
    QLabel* displayName = label(displayLabel(candidate.display), TextStyle::body, Tone::primary, this);
    displayName->setObjectName(QStringLiteral("displayLabel"));
    displayLine->addWidget(displayName, 1);
    QLabel* hint =
        label(QStringLiteral("青い領域が保存される配置です。あとから登録アプリ画面で調整できます。"),
              TextStyle::caption, Tone::secondary, this);
    hint->setWordWrap(true);
    auto* displayColumn = new QVBoxLayout;
    displayColumn->setSpacing(6);
    displayColumn->addLayout(displayLine);
    displayColumn->addWidget(hint);
    previewRow->addLayout(displayColumn, 1);

    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    auto* reselect = new QPushButton(QStringLiteral("選び直す"), this);
    auto* save = new QPushButton(QStringLiteral("プロファイルに保存"), this);
    cancel->setObjectName(QStringLiteral("sheetCancel"));
    reselect->setObjectName(QStringLiteral("sheetReselect"));
    save->setObjectName(QStringLiteral("sheetSave"));
    // Return always saves, whichever button has focus; Escape rejects the
    // dialog, which the presenter turns into a cancelled run.
    for (QPushButton* b : {cancel, reselect, save})
        b->setAutoDefault(false);
    save->setDefault(true);
    makeProminent(save);
    connect(cancel, &QPushButton::clicked, this, [&model] { model.cancelWindowSelection(); });
    connect(reselect, &QPushButton::clicked, this, [&model] { model.beginWindowSelection(); });
    connect(save, &QPushButton::clicked, this, [&model] { model.saveSelectedWindow(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(reselect);
    buttons->addWidget(save);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addLayout(header);
    layout->addLayout(previewRow);
    layout->addLayout(buttons);
}

} // namespace stellwick
