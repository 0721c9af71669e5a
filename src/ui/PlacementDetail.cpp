#include "ui/PlacementDetail.h"

#include "controller/ProbeViewModel.h"
#include "ui/FrameField.h"
#include "ui/PaneStyle.h"
#include "ui/PlacementPreview.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

namespace {

// The four numbers of an area, in the order of the fields.
constexpr std::array<double NormalizedFrame::*, 4> frameParts{
    &NormalizedFrame::x, &NormalizedFrame::y, &NormalizedFrame::width, &NormalizedFrame::height};

} // namespace

PlacementDetail::PlacementDetail(ProbeViewModel& model, const AppPlacement& placement, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_placement(placement)
    , m_draft(placement.frame)
    , m_preview(new PlacementPreview(placement.frame.clamped(), this))
    , m_saveButton(new QPushButton(QStringLiteral("変更を保存"), this)) {
    using namespace pane_style;
    setObjectName(QStringLiteral("placementDetail"));

    auto* previewColumn = new QVBoxLayout;
    previewColumn->setSpacing(7);
    previewColumn->addWidget(label(QStringLiteral("ディスプレイ配置"), TextStyle::caption2, Tone::secondary,
                                   this, QFont::DemiBold));
    m_preview->setFixedSize(230, 110);
    previewColumn->addWidget(m_preview);
    previewColumn->addStretch();

    const std::array<QString, 4> titles{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("幅"),
                                        QStringLiteral("高さ")};
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i] = new FrameField(titles[i], m_draft.*frameParts[i], this);
        connect(m_fields[i], &FrameField::valueEdited, this, [this, i](double value) {
            m_draft.*frameParts[i] = value;
            draftChanged();
        });
    }
    auto* fieldColumn = new QVBoxLayout;
    fieldColumn->setSpacing(8);
    for (std::size_t row = 0; row < 2; ++row) {
        auto* pair = new QHBoxLayout;
        pair->addWidget(m_fields[2 * row]);
        pair->addWidget(m_fields[2 * row + 1]);
        fieldColumn->addLayout(pair);
    }
    m_saveButton->setObjectName(QStringLiteral("saveAreaButton"));
    makeProminent(m_saveButton);
    fieldColumn->addWidget(m_saveButton, 0, Qt::AlignLeft);
    fieldColumn->addStretch();

    auto* noteColumn = new QVBoxLayout;
    noteColumn->setSpacing(12);
    QLabel* note = label(QStringLiteral("複数ウィンドウは、この領域内に少しずつずらして配置します。"),
                         TextStyle::caption, Tone::secondary, this);
    note->setWordWrap(true);
    noteColumn->addWidget(note);
    auto* removeButton = new QPushButton(QStringLiteral("プロファイルから削除"), this);
    removeButton->setObjectName(QStringLiteral("removeApplicationButton"));
    makeDestructive(removeButton);
    noteColumn->addWidget(removeButton, 0, Qt::AlignLeft);
    noteColumn->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(52, 0, 16, 16);
    layout->setSpacing(24);
    layout->addLayout(previewColumn);
    layout->addLayout(fieldColumn);
    layout->addLayout(noteColumn, 1);

    connect(m_saveButton, &QPushButton::clicked, this, &PlacementDetail::save);
    connect(removeButton, &QPushButton::clicked, this,
            [this] { m_model.removeApplication(m_placement.bundleIdentifier); });
    draftChanged();
}

void PlacementDetail::setPlacement(const AppPlacement& placement) {
    m_placement = placement;
    draftChanged();
}

void PlacementDetail::draftChanged() {
    const NormalizedFrame clamped = m_draft.clamped();
    m_preview->setFrame(clamped);
    // A draft that clamps back to the stored area has nothing to save.
    m_saveButton->setEnabled(clamped != m_placement.frame);
}

void PlacementDetail::save() {
    const NormalizedFrame typed = m_draft;
    m_model.updatePlacementArea(m_placement.bundleIdentifier, typed);
    // The fields now show what the controller stored.
    m_draft = typed.clamped();
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setValue(m_draft.*frameParts[i]);
    draftChanged();
}

} // namespace stellwick
