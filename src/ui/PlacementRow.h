#pragma once

#include "model/LayoutModel.h"

#include <QAbstractButton>
#include <QWidget>

class QLabel;

namespace stellwick {

class AppIcon;
class PlacementDetail;
class ProbeViewModel;
class SwitchButton;
class SymbolView;

// The area of a placement as the list shows it: "25,0 · 50×100%".
QString areaText(const NormalizedFrame& frame);
// The display's name, or "ディスプレイ" when it has none.
QString displayLabel(const DisplayReference& display);

// One registered application: a summary line that expands into the editor.
// Expansion and the editor's draft belong to the row; several rows may be
// expanded at once.
class PlacementRow : public QWidget {
public:
    PlacementRow(ProbeViewModel& model, const AppPlacement& placement, QWidget* parent = nullptr);

    const AppPlacement& placement() const { return m_placement; }
    void setPlacement(const AppPlacement& placement);
    bool isExpanded() const { return m_detail != nullptr; }
    void setExpanded(bool expanded);
    QAbstractButton* summaryButton() const { return m_summary; }
    SwitchButton* launchSwitch() const { return m_launchSwitch; }
    PlacementDetail* detail() const { return m_detail; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showPlacement();

    ProbeViewModel& m_model;
    AppPlacement m_placement;
    QAbstractButton* m_summary;
    AppIcon* m_icon;
    QLabel* m_name;
    QLabel* m_title;
    QLabel* m_display;
    QLabel* m_area;
    SwitchButton* m_launchSwitch;
    SymbolView* m_chevron;
    PlacementDetail* m_detail = nullptr;
};

} // namespace stellwick
