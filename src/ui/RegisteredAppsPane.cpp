#include "ui/RegisteredAppsPane.h"

#include "controller/ProbeViewModel.h"
#include "ui/AppListHeader.h"
#include "ui/EmptyPlacementsView.h"
#include "ui/PaneStyle.h"
#include "ui/PlacementRow.h"

#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace stellwick {

namespace {

// Widgets leave with deleteLater: the click that removed them may still be
// running in one of their buttons.
void discard(QWidget* widget) {
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
}

} // namespace

RegisteredAppsPane::RegisteredAppsPane(ProbeViewModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_list(new QWidget(this))
    , m_empty(new EmptyPlacementsView([&model] { model.beginWindowSelection(); }, this)) {
    setObjectName(QStringLiteral("registeredAppsPane"));
    auto* scroll = new QScrollArea(m_list);
    scroll->setObjectName(QStringLiteral("placementScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* rowsHost = new QWidget(scroll);
    m_rowsLayout = new QVBoxLayout(rowsHost);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addStretch();
    scroll->setWidget(rowsHost);
    scroll->viewport()->setAutoFillBackground(false);
    rowsHost->setAutoFillBackground(false);

    auto* listLayout = new QVBoxLayout(m_list);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    listLayout->addWidget(new AppListHeader(m_list));
    listLayout->addWidget(scroll, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_empty, 1);

    connect(&model, &ProbeViewModel::stateChanged, this, &RegisteredAppsPane::refresh);
    refresh();
}

bool RegisteredAppsPane::showsEmptyState() const {
    return !m_empty->isHidden();
}

void RegisteredAppsPane::refresh() {
    const std::optional<LayoutProfile> profile = m_model.selectedProfile();
    const QList<AppPlacement> placements = profile ? profile->placements : QList<AppPlacement>{};
    const QUuid profileID = profile ? profile->id : QUuid();

    std::vector<PlacementRow*> old;
    if (profileID == m_profileID)
        old = std::move(m_rows);
    else
        for (PlacementRow* row : m_rows)
            discard(row);
    m_profileID = profileID;
    m_rows.clear();

    for (const AppPlacement& placement : placements) {
        auto match = std::find_if(old.begin(), old.end(), [&](PlacementRow* row) {
            return row && row->placement().bundleIdentifier == placement.bundleIdentifier;
        });
        PlacementRow* row = nullptr;
        if (match != old.end()) {
            row = *match;
            *match = nullptr;
            row->setPlacement(placement);
        } else {
            row = new PlacementRow(m_model, placement);
        }
        m_rows.push_back(row);
    }
    for (PlacementRow* row : old)
        if (row)
            discard(row);

    // Lay the rows out again in list order, each followed by a divider.
    while (m_dividers.size() < m_rows.size())
        m_dividers.push_back(pane_style::divider(nullptr));
    while (m_dividers.size() > m_rows.size()) {
        discard(m_dividers.back());
        m_dividers.pop_back();
    }
    while (m_rowsLayout->count() > 1)
        delete m_rowsLayout->takeAt(0);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_rowsLayout->insertWidget(static_cast<int>(2 * i), m_rows[i]);
        m_rowsLayout->insertWidget(static_cast<int>(2 * i + 1), m_dividers[i]);
        m_rows[i]->show();
        m_dividers[i]->show();
    }

    const bool empty = m_rows.empty();
    m_list->setVisible(!empty);
    m_empty->setVisible(empty);
}

} // namespace stellwick
