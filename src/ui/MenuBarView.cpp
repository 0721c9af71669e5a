#include "ui/MenuBarView.h"

#include "controller/ProbeViewModel.h"
#include "controller/UpdateController.h"
#include "ui/DisplayText.h"
#include "ui/MenuRow.h"
#include "ui/PaneStyle.h"
#include "ui/StatusRow.h"
#include "ui/SymbolArt.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace stellwick {

namespace {

// The mark on a rounded square tinted with the accent colour.
QLabel* headerMark(QWidget* parent) {
    QPixmap tile(QSize(18, 18) * parent->devicePixelRatioF());
    tile.setDevicePixelRatio(parent->devicePixelRatioF());
    tile.fill(Qt::transparent);
    {
        QPainter painter(&tile);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor accent = parent->palette().color(QPalette::Highlight);
        accent.setAlphaF(0.14f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(accent);
        painter.drawRoundedRect(QRectF(0, 0, 18, 18), 4, 4);
        menuBarIcon().paint(&painter, QRect(2, 2, 14, 14));
    }
    auto* label = new QLabel(parent);
    label->setPixmap(tile);
    label->setFixedSize(18, 18);
    return label;
}

QVBoxLayout* column(int left, int top, int right, int bottom) {
    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(left, top, right, bottom);
    layout->setSpacing(0);
    return layout;
}

} // namespace

MenuBarView::MenuBarView(ProbeViewModel& model, UpdateController& updates, Actions actions, QWidget* parent)
    : QFrame(parent)
    , m_model(model)
    , m_updates(updates)
    , m_actions(std::move(actions))
    , m_profileList(column(6, 0, 6, 0))
    , m_status(new StatusRow(this)) {
    setFixedWidth(panelWidth);
    setFrameShape(QFrame::StyledPanel); // the pop-up's edge, inside the width
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Stellwick"));

    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 9, 14, 9);
    header->setSpacing(7);
    header->addWidget(headerMark(this));
    auto* name = new QLabel(QStringLiteral("Stellwick"), this);
    name->setFont(pane_style::font(pane_style::TextStyle::headline));
    header->addWidget(name);
    auto* version = new QLabel(versionText(QCoreApplication::applicationVersion()), this);
    version->setObjectName(QStringLiteral("version"));
    version->setFont(pane_style::font(pane_style::TextStyle::caption2));
    pane_style::setTextColor(version, pane_style::toneColor(palette(), pane_style::Tone::tertiary));
    header->addWidget(version);
    header->addStretch();

    auto* caption = new QLabel(QStringLiteral("プロファイル").toUpper(), this);
    caption->setFont([&] {
        QFont font = pane_style::font(pane_style::TextStyle::caption2);
        font.setWeight(QFont::DemiBold);
        return font;
    }());
    pane_style::setTextColor(caption, pane_style::toneColor(palette(), pane_style::Tone::secondary));
    caption->setContentsMargins(14, 7, 14, 3);

    QVBoxLayout* actionList = column(6, 0, 6, 0);
    actionList->addWidget(actionRow(QStringLiteral("配置を復元"), QStringLiteral("arrow.clockwise"),
                                    QKeySequence(Qt::CTRL | Qt::Key_R),
                                    [this] { m_model.applySelectedProfile(); }));
    actionList->addWidget(actionRow(QStringLiteral("設定…"), QStringLiteral("slider.horizontal.3"),
                                    QKeySequence(Qt::CTRL | Qt::Key_Comma),
                                    [this] { m_actions.openSettings(); }));
    actionList->addWidget(actionRow(QStringLiteral("アップデートを確認…"),
                                    QStringLiteral("arrow.triangle.2.circlepath"), {},
                                    [this] { m_updates.checkForUpdates(); }));
    QVBoxLayout* quitList = column(6, 0, 6, 6);
    quitList->addWidget(actionRow(QStringLiteral("Stellwickを終了"), QStringLiteral("power"),
                                  QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { m_actions.quit(); }));

    auto spacedDivider = [this] {
        auto* layout = column(0, 5, 0, 5);
        layout->addWidget(pane_style::divider(this, 12));
        return layout;
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(pane_style::divider(this, 12));
    layout->addWidget(caption);
    layout->addLayout(m_profileList);
    layout->addLayout(spacedDivider());
    layout->addLayout(actionList);
    layout->addLayout(spacedDivider());
    layout->addWidget(m_status);
    layout->addLayout(spacedDivider());
    layout->addLayout(quitList);

    connect(&m_model, &ProbeViewModel::stateChanged, this, &MenuBarView::refreshProfiles);
    connect(&m_model, &ProbeViewModel::statusChanged, this, &MenuBarView::refreshStatus);
    refreshProfiles();
    refreshStatus();
}

MenuRow* MenuBarView::actionRow(const QString& title, const QString& symbol, const QKeySequence& keys,
                                std::function<void()> action) {
    auto* row = new MenuRow(title, symbol, keys, this);
    connect(row, &MenuRow::clicked, this, [action = std::move(action)] { action(); });
    m_actionRows.append(row);
    return row;
}

QList<MenuRow*> MenuBarView::rows() const {
    return m_profileRows + m_actionRows;
}

void MenuBarView::refreshProfiles() {
    const StellwickState& state = m_model.state();
    // Rows are reused in place, so the focused row keeps its focus.
    while (m_profileRows.size() > state.profiles.size())
        delete m_profileRows.takeLast();
    while (m_profileRows.size() < state.profiles.size()) {
        const int index = int(m_profileRows.size());
        auto* row = new MenuRow(QString(), QString(), {}, this);
        connect(row, &MenuRow::clicked, this, [this, index] {
            if (index < m_model.state().profiles.size())
                m_model.selectProfile(m_model.state().profiles[index].id);
        });
        m_profileList->addWidget(row);
        m_profileRows.append(row);
    }
    for (int index = 0; index < state.profiles.size(); ++index) {
        const LayoutProfile& profile = state.profiles[index];
        MenuRow* row = m_profileRows[index];
        row->setTitle(profile.name);
        row->setLeadingSymbol(profile.id == state.selectedProfileID ? QStringLiteral("checkmark")
                                                                    : QString());
        row->setProperty("profileID", profile.id);
    }
    // The focus chain follows the order on screen.
    const QList<MenuRow*> all = rows();
    for (int index = 1; index < all.size(); ++index)
        setTabOrder(all[index - 1], all[index]);
}

void MenuBarView::refreshStatus() {
    m_status->setStatus(m_model.status());
}

void MenuBarView::keyPressEvent(QKeyEvent* event) {
    const QList<MenuRow*> all = rows();
    const int current = int(all.indexOf(qobject_cast<MenuRow*>(focusWidget())));
    switch (event->key()) {
    case Qt::Key_Down:
        if (!all.isEmpty())
            all[current < 0 ? 0 : (current + 1) % all.size()]->setFocus(Qt::TabFocusReason);
        return;
    case Qt::Key_Up:
        if (!all.isEmpty())
            all[current <= 0 ? all.size() - 1 : current - 1]->setFocus(Qt::BacktabFocusReason);
        return;
    case Qt::Key_Escape:
        emit closeRequested();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

} // namespace stellwick
