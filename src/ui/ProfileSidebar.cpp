#include "ui/ProfileSidebar.h"

#include "controller/ProbeViewModel.h"
#include "ui/DisplayText.h"
#include "ui/PaneStyle.h"
#include "ui/Symbols.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace stellwick {

namespace {

constexpr int idRole = Qt::UserRole;
constexpr int countRole = Qt::UserRole + 1;

// The name on one line, and the number of placements at the right end.
class ProfileRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        const QString name = row.text;
        row.text.clear(); // the background, selection and focus only
        const QStyle* style = row.widget ? row.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, row.widget);

        const bool selected = option.state & QStyle::State_Selected;
        const QString count = index.data(countRole).toString();
        const QFont countFont = pane_style::font(pane_style::TextStyle::caption2);
        const int countWidth = QFontMetrics(countFont).horizontalAdvance(count);
        const QRect content = option.rect.adjusted(10, 0, -10, 0);
        painter->save();
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect nameRect = content.adjusted(0, 0, -(countWidth + 8), 0);
        painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(name, Qt::ElideRight, nameRect.width()));
        painter->setFont(countFont);
        painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                                 : pane_style::toneColor(option.palette, pane_style::Tone::secondary));
        painter->drawText(content, Qt::AlignRight | Qt::AlignVCenter, count);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(size.height(), 26));
        return size;
    }
};

} // namespace

ProfileSidebar::ProfileSidebar(ProbeViewModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_list(new QListWidget(this))
    , m_count(new QLabel(this)) {
    setMinimumWidth(190);
    setMaximumWidth(260);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    auto* title = new QLabel(QStringLiteral("プロファイル"), this);
    title->setFont(pane_style::font(pane_style::TextStyle::caption, QFont::DemiBold));
    pane_style::setTextColor(title, pane_style::toneColor(palette(), pane_style::Tone::secondary));
    title->setContentsMargins(14, 16, 14, 8);

    m_list->setAccessibleName(QStringLiteral("プロファイル"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_list->setItemDelegate(new ProfileRowDelegate(m_list));
    m_list->setTextElideMode(Qt::ElideRight);

    auto* footer = new QWidget(this);
    footer->setFixedHeight(34);
    auto* footerLayout = new QHBoxLayout(footer);
    footerLayout->setContentsMargins(8, 0, 8, 0);
    footerLayout->setSpacing(2);
    QToolButton* plus = footerButton(QStringLiteral("plus"), QStringLiteral("新規プロファイル"));
    m_minus = footerButton(QStringLiteral("minus"), QStringLiteral("プロファイルを削除"));
    QToolButton* pencil = footerButton(QStringLiteral("pencil"), QStringLiteral("プロファイル名を変更"));
    footerLayout->addWidget(plus);
    footerLayout->addWidget(m_minus);
    footerLayout->addWidget(pencil);
    footerLayout->addStretch();
    m_count->setFont(pane_style::font(pane_style::TextStyle::caption2));
    pane_style::setTextColor(m_count, pane_style::toneColor(palette(), pane_style::Tone::tertiary));
    footerLayout->addWidget(m_count);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    layout->addWidget(m_list, 1);
    layout->addWidget(pane_style::divider(this));
    layout->addWidget(footer);

    connect(plus, &QToolButton::clicked, this, &ProfileSidebar::createRequested);
    connect(m_minus, &QToolButton::clicked, this, &ProfileSidebar::deleteRequested);
    connect(pencil, &QToolButton::clicked, this, &ProfileSidebar::renameRequested);
    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* current) {
        if (current)
            m_model.selectProfile(current->data(idRole).toUuid());
    });
    connect(&m_model, &ProbeViewModel::stateChanged, this, &ProfileSidebar::refresh);
    refresh();
}

QToolButton* ProfileSidebar::footerButton(const QString& symbol, const QString& label) {
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setFixedSize(28, 28);
    button->setIconSize(QSize(14, 14));
    button->setIcon(symbolIcon(symbol));
    button->setToolTip(label);
    button->setAccessibleName(label);
    return button;
}

void ProfileSidebar::refresh() {
    const StellwickState& state = m_model.state();
    const QSignalBlocker blocker(m_list);
    // Rows are reused in place, so an edit keeps the list's scroll position.
    while (m_list->count() > state.profiles.size())
        delete m_list->takeItem(m_list->count() - 1);
    while (m_list->count() < state.profiles.size())
        m_list->addItem(new QListWidgetItem());
    QListWidgetItem* selected = nullptr;
    for (int row = 0; row < state.profiles.size(); ++row) {
        const LayoutProfile& profile = state.profiles[row];
        QListWidgetItem* item = m_list->item(row);
        item->setText(profile.name);
        item->setData(idRole, profile.id);
        item->setData(countRole, QString::number(profile.placements.size()));
        item->setData(Qt::AccessibleTextRole, profileAccessibleName(profile));
        item->setToolTip(profile.name);
        if (!selected && profile.id == state.selectedProfileID)
            selected = item;
    }
    if (selected)
        m_list->setCurrentItem(selected);
    else
        m_list->clearSelection();
    m_minus->setEnabled(state.profiles.size() != 1);
    m_count->setText(QString::number(state.profiles.size()) + QStringLiteral("件"));
}

} // namespace stellwick
