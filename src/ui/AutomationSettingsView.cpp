#include "ui/AutomationSettingsView.h"

#include "controller/ProbeViewModel.h"
#include "ui/AppIcon.h"
#include "ui/PaneStyle.h"
#include "ui/SettingToggleRow.h"
#include "ui/SwitchButton.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace stellwick {

using namespace pane_style;

namespace {

QLabel* sectionTitle(const QString& text, QWidget* parent) {
    return label(text.toUpper(), TextStyle::caption2, Tone::secondary, parent, QFont::DemiBold);
}

} // namespace

AutomationSettingsView::AutomationSettingsView(ProbeViewModel& model, QWidget* parent)
    : QScrollArea(parent)
    , m_model(model) {
    setObjectName(QStringLiteral("automationPane"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    auto* page = new QWidget(this);
    page->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);

    auto* switchesCard = new Card(page);
    auto* switches = new QVBoxLayout(switchesCard);
    switches->setContentsMargins(0, 0, 0, 0);
    switches->setSpacing(0);
    m_rows = {
        new SettingToggleRow(
            QStringLiteral("ログイン時にStellwickを起動"), std::nullopt,
            [&model] { return model.isLoginItemEnabled(); },
            [&model](bool on) { model.setLoginItemEnabled(on); }, switchesCard),
        new SettingToggleRow(
            QStringLiteral("ログイン後に選択中のプロファイルを適用"),
            QStringLiteral("起動から5秒後に実行します"), [&model] { return model.applyAfterLoginEnabled(); },
            [&model](bool on) { model.setApplyAfterLoginEnabled(on); }, switchesCard),
        new SettingToggleRow(
            QStringLiteral("ディスプレイ構成が変わったときに適用"),
            QStringLiteral("外部ディスプレイの接続・取り外しを検知します"),
            [&model] { return model.applyOnDisplayChangeEnabled(); },
            [&model](bool on) { model.setApplyOnDisplayChangeEnabled(on); }, switchesCard),
    };
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (i > 0)
            switches->addWidget(divider(switchesCard));
        switches->addWidget(m_rows[i]);
    }
    connect(&model, &ProbeViewModel::isLoginItemEnabledChanged, m_rows[0], [this] { m_rows[0]->refresh(); });
    connect(&model, &ProbeViewModel::applyAfterLoginEnabledChanged, m_rows[1],
            [this] { m_rows[1]->refresh(); });
    connect(&model, &ProbeViewModel::applyOnDisplayChangeEnabledChanged, m_rows[2],
            [this] { m_rows[2]->refresh(); });

    auto* launchCard = new Card(page);
    launchCard->setObjectName(QStringLiteral("launchCard"));
    m_launchCard = new QVBoxLayout(launchCard);
    m_launchCard->setContentsMargins(0, 0, 0, 0);
    QLabel* note = label(
        QStringLiteral(
            "新しいウィンドウを開くたびの自動配置は行いません。配置はアプリの起動時に一度だけ実行されます。"),
        TextStyle::caption, Tone::secondary, page);
    note->setWordWrap(true);

    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(8);
    column->addWidget(sectionTitle(QStringLiteral("起動と自動適用"), page));
    column->addWidget(switchesCard);
    column->addSpacing(16);
    column->addWidget(sectionTitle(QStringLiteral("アプリ起動時の自動配置"), page));
    column->addWidget(launchCard);
    column->addWidget(note);
    column->addStretch();
    page->setMaximumWidth(720 + 52);
    setWidget(page);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(&model, &ProbeViewModel::stateChanged, this, &AutomationSettingsView::refreshLaunchList);
    refreshLaunchList();
}

void AutomationSettingsView::refreshLaunchList() {
    const std::optional<LayoutProfile> profile = m_model.selectedProfile();
    const QList<AppPlacement> placements = profile ? profile->placements : QList<AppPlacement>{};
    QStringList listed;
    for (const AppPlacement& placement : placements)
        listed << placement.bundleIdentifier + QLatin1Char('\n') + placement.applicationName;

    if (m_launchContent && listed == m_listedApplications) {
        // Same applications: only the switches may have changed; keep focus where it is.
        const QList<SwitchButton*> switches = m_launchContent->findChildren<SwitchButton*>();
        for (qsizetype i = 0; i < switches.size() && i < placements.size(); ++i) {
            const QSignalBlocker blocker(switches[i]);
            switches[i]->setChecked(placements[i].arrangeOnLaunch);
        }
        return;
    }
    m_listedApplications = listed;
    // The old list may hold the switch whose click changed the state.
    if (m_launchContent) {
        m_launchContent->hide();
        m_launchContent->deleteLater();
    }
    m_launchContent = new QWidget(m_launchCard->parentWidget());
    auto* lines = new QVBoxLayout(m_launchContent);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    if (placements.isEmpty()) {
        QLabel* empty =
            label(QStringLiteral("登録アプリはありません。登録アプリ画面から配置を追加してください。"),
                  TextStyle::callout, Tone::secondary, m_launchContent);
        empty->setObjectName(QStringLiteral("launchListEmpty"));
        empty->setWordWrap(true);
        empty->setContentsMargins(14, 14, 14, 14);
        lines->addWidget(empty);
    }
    for (qsizetype i = 0; i < placements.size(); ++i) {
        const AppPlacement& placement = placements[i];
        if (i > 0)
            lines->addWidget(divider(m_launchContent));
        auto* line = new QWidget(m_launchContent);
        line->setObjectName(QStringLiteral("launchLine"));
        line->setFixedHeight(40);
        auto* toggle =
            new SwitchButton(QStringLiteral("起動時に配置"), SwitchButton::ControlSize::small, line);
        toggle->setChecked(placement.arrangeOnLaunch);
        const QString bundleIdentifier = placement.bundleIdentifier;
        connect(toggle, &QAbstractButton::clicked, this,
                [this, bundleIdentifier](bool on) { m_model.setArrangeOnLaunch(on, bundleIdentifier); });
        auto* row = new QHBoxLayout(line);
        row->setContentsMargins(14, 0, 14, 0);
        row->setSpacing(10);
        row->addWidget(new AppIcon(m_model, bundleIdentifier, 22, line));
        row->addWidget(label(placement.applicationName, TextStyle::body, Tone::primary, line), 1);
        row->addWidget(toggle);
        lines->addWidget(line);
    }
    m_launchCard->addWidget(m_launchContent);
    m_launchContent->show();
}

} // namespace stellwick
