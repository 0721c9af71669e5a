#include "ui/PlacementRow.h"

#include "controller/ProbeViewModel.h"
#include "ui/AppIcon.h"
#include "ui/FrameField.h"
#include "ui/PaneStyle.h"
#include "ui/PlacementDetail.h"
#include "ui/SwitchButton.h"
#include "ui/SymbolView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

namespace stellwick {

namespace {

// The summary line: one button over the whole line; the labels in it let
// clicks through, the switch keeps its own.
class SummaryButton : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(pane_style::withOpacity(pane_style::accent(palette()), 0.6), 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 4, 4);
    }
};

QWidget* fixedCell(QWidget* content, int width, Qt::Alignment alignment, QWidget* parent) {
    auto* cell = new QWidget(parent);
    cell->setFixedWidth(width);
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    if (content)
        layout->addWidget(content, 0, alignment);
    return cell;
}

} // namespace

QString areaText(const NormalizedFrame& frame) {
    return QStringLiteral("%1,%2 · %3×%4%")
        .arg(percentText(frame.x), percentText(frame.y), percentText(frame.width), percentText(frame.height));
}

QString displayLabel(const DisplayReference& display) {
    return display.name.value_or(QStringLiteral("ディスプレイ"));
}

PlacementRow::PlacementRow(ProbeViewModel& model, const AppPlacement& placement, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_placement(placement) {
    using namespace pane_style;
    setObjectName(QStringLiteral("placementRow"));
    m_summary = new SummaryButton(this);
    m_summary->setObjectName(QStringLiteral("placementSummary"));
    m_summary->setFocusPolicy(Qt::StrongFocus);
    m_summary->setFixedHeight(48);

    m_icon = new AppIcon(model, placement.bundleIdentifier, 26, m_summary);
    m_name = label(QString(), TextStyle::body, Tone::primary, m_summary);
    m_title = label(QString(), TextStyle::caption2, Tone::secondary, m_summary);
    // One line, cut at the column's edge.
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* names = new QVBoxLayout;
    names->setSpacing(1);
    names->addWidget(m_name);
    names->addWidget(m_title);
    auto* appCell = new QHBoxLayout;
    appCell->setSpacing(10);
    appCell->addWidget(m_icon);
    appCell->addLayout(names, 1);

    m_display = label(QString(), TextStyle::body, Tone::primary, m_summary);
    m_display->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont mono = pane_style::font(TextStyle::caption);
    mono.setStyleHint(QFont::Monospace);
    mono.setFamilies({QStringLiteral("monospace")});
    m_area = label(QString(), TextStyle::caption, Tone::secondary, m_summary);
    m_area->setFont(mono);
    m_launchSwitch =
        new SwitchButton(QStringLiteral("起動時に配置"), SwitchButton::ControlSize::mini, m_summary);
    m_chevron =
        new SymbolView(QStringLiteral("chevron.right"), 12, toneColor(palette(), Tone::secondary), m_summary);

    auto* line = new QHBoxLayout(m_summary);
    line->setContentsMargins(16, 0, 16, 0);
    line->setSpacing(0);
    line->addLayout(appCell, 1);
    line->addWidget(fixedCell(m_display, 160, Qt::AlignLeft, m_summary));
    line->addWidget(fixedCell(m_area, 145, Qt::AlignLeft, m_summary));
    line->addWidget(fixedCell(m_launchSwitch, 70, Qt::AlignCenter, m_summary));
    line->addWidget(fixedCell(m_chevron, 22, Qt::AlignCenter, m_summary));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_summary);

    connect(m_summary, &QAbstractButton::clicked, this, [this] { setExpanded(!isExpanded()); });
    connect(m_launchSwitch, &QAbstractButton::clicked, this,
            [this](bool on) { m_model.setArrangeOnLaunch(on, m_placement.bundleIdentifier); });
    showPlacement();
}

void PlacementRow::setPlacement(const AppPlacement& placement) {
    m_placement = placement;
    m_icon->setBundleIdentifier(placement.bundleIdentifier);
    if (m_detail)
        m_detail->setPlacement(placement);
    showPlacement();
}

void PlacementRow::showPlacement() {
    m_name->setText(m_placement.applicationName);
    m_title->setVisible(m_placement.capturedWindowTitle.has_value());
    m_title->setText(QStringLiteral("保存時のウィンドウ：") +
                     m_placement.capturedWindowTitle.value_or(QString()));
    m_display->setText(displayLabel(m_placement.display));
    m_area->setText(areaText(m_placement.frame));
    m_summary->setAccessibleName(m_placement.applicationName + QStringLiteral("の配置詳細"));
    const QSignalBlocker blocker(m_launchSwitch);
    m_launchSwitch->setChecked(m_placement.arrangeOnLaunch);
}

void PlacementRow::setExpanded(bool expanded) {
    if (expanded == isExpanded())
        return;
    if (expanded) {
        // A fresh editor: its draft starts from the stored area.
        m_detail = new PlacementDetail(m_model, m_placement, this);
        layout()->addWidget(m_detail);
        m_detail->show();
    } else {
        m_detail->hide();
        m_detail->deleteLater();
        m_detail = nullptr;
    }
    m_chevron->setName(expanded ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"));
    update();
}

void PlacementRow::paintEvent(QPaintEvent*) {
    if (!isExpanded())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), pane_style::withOpacity(pane_style::accent(palette()), 0.055));
}

} // namespace stellwick
