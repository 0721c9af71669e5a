#pragma once

#include "model/LayoutModel.h"

#include <QWidget>
#include <array>

class QPushButton;

namespace stellwick {

class FrameField;
class PlacementPreview;
class ProbeViewModel;

// The editor under an expanded row: a preview of the area being typed, the
// four numbers in percent, saving, and removing the application. The typed
// area (the draft) stays in this view until "変更を保存".
class PlacementDetail : public QWidget {
public:
    PlacementDetail(ProbeViewModel& model, const AppPlacement& placement, QWidget* parent = nullptr);

    // The stored placement changed (the draft is kept).
    void setPlacement(const AppPlacement& placement);
    const NormalizedFrame& draftFrame() const { return m_draft; }

private:
    void draftChanged();
    void save();

    ProbeViewModel& m_model;
    AppPlacement m_placement;
    NormalizedFrame m_draft;
    PlacementPreview* m_preview;
    std::array<FrameField*, 4> m_fields{};
    QPushButton* m_saveButton;
};

} // namespace stellwick
