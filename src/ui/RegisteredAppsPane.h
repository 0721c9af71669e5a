#pragma once

#include <QUuid>
#include <QWidget>
#include <vector>

class QScrollArea;
class QVBoxLayout;

namespace stellwick {

class PlacementRow;
class ProbeViewModel;

// The list region of the applications section: the column header and one row
// per placement of the selected profile, or the empty state. Rows are matched
// to placements by bundle identifier, so an application saved again keeps its
// row (and the row its expansion and draft); choosing another profile starts
// from fresh rows.
class RegisteredAppsPane : public QWidget {
public:
    RegisteredAppsPane(ProbeViewModel& model, QWidget* parent = nullptr);

    const std::vector<PlacementRow*>& rows() const { return m_rows; }
    bool showsEmptyState() const;

private:
    void refresh();

    ProbeViewModel& m_model;
    QWidget* m_list;
    QVBoxLayout* m_rowsLayout;
    QWidget* m_empty;
    QUuid m_profileID;
    std::vector<PlacementRow*> m_rows;
    std::vector<QWidget*> m_dividers;
};

} // namespace stellwick
