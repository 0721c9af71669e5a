#include "ui/ApplicationsSection.h"

#include "controller/ProbeViewModel.h"
#include "ui/DisplayText.h"
#include "ui/PaneStyle.h"
#include "ui/SettingsPanes.h"
#include "ui/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace stellwick {

ApplicationsSection::ApplicationsSection(ProbeViewModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_title(new QLabel(this))
    , m_subtitle(new QLabel(this))
    , m_restore(new QPushButton(QStringLiteral("今すぐ復元"), this)) {
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("applicationsHeader"));
    header->setFixedHeight(58);
    header->setAutoFillBackground(true);
    header->setBackgroundRole(QPalette::Window);

    m_title->setFont(pane_style::font(pane_style::TextStyle::headline));
    m_title->setTextFormat(Qt::PlainText);
    m_subtitle->setFont(pane_style::font(pane_style::TextStyle::caption));
    pane_style::setTextColor(m_subtitle, pane_style::toneColor(palette(), pane_style::Tone::secondary));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(m_title);
    titles->addWidget(m_subtitle);

    m_restore->setAccessibleName(m_restore->text());
    m_restore->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_restore->setToolTip(m_restore->shortcut().toString(QKeySequence::NativeText));
    m_restore->setAutoDefault(false);

    auto* select = new QPushButton(symbolIcon(u"plus"), QStringLiteral("ウィンドウを選択"), this);
    select->setAccessibleName(select->text());
    select->setAutoDefault(false);
    // The prominent style: filled with the accent colour.
    QPalette prominent = select->palette();
    prominent.setColor(QPalette::Button, prominent.color(QPalette::Highlight));
    prominent.setColor(QPalette::ButtonText, prominent.color(QPalette::HighlightedText));
    select->setPalette(prominent);
    select->setIcon(QIcon(symbolIcon(u"plus").pixmap(QSize(14, 14), QIcon::Selected)));

    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(16, 0, 16, 0);
    headerLayout->setSpacing(12);
    headerLayout->addLayout(titles);
    headerLayout->addStretch();
    headerLayout->addWidget(m_restore);
    headerLayout->addWidget(select);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(pane_style::divider(this));
    layout->addWidget(createSelectionStatusBar(model, this));
    layout->addWidget(createRegisteredAppsPane(model, this), 1);

    connect(m_restore, &QPushButton::clicked, this, [this] { m_model.applySelectedProfile(); });
    connect(select, &QPushButton::clicked, this, [this] { m_model.beginWindowSelection(); });
    connect(&m_model, &ProbeViewModel::stateChanged, this, &ApplicationsSection::refresh);
    refresh();
}

void ApplicationsSection::refresh() {
    const std::optional<LayoutProfile> profile = m_model.selectedProfile();
    m_title->setText(profile ? profile->name : QStringLiteral("プロファイル"));
    m_subtitle->setText(profileSubtitle(profile));
    m_restore->setEnabled(profile && !profile->placements.isEmpty());
}

} // namespace stellwick
