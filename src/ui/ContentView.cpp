#include "ui/ContentView.h"

#include "controller/ProbeViewModel.h"
#include "ui/ApplicationsSection.h"
#include "ui/DeleteProfileConfirmation.h"
#include "ui/PaneStyle.h"
#include "ui/ProfileSidebar.h"
#include "ui/SettingsPanes.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace stellwick {

namespace {
const QString sectionTitles[] = {QStringLiteral("登録アプリ"), QStringLiteral("自動適用"),
                                 QStringLiteral("権限")};
}

ContentView::ContentView(ProbeViewModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_sidebar(new ProfileSidebar(model, this))
    , m_sectionPicker(new QTabBar(this))
    , m_sections(new QStackedWidget(this)) {
    setMinimumSize(840, 500);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    // The section bar: the picker centred between flexible margins.
    auto* sectionBar = new QWidget(this);
    sectionBar->setFixedHeight(50);
    for (const QString& title : sectionTitles)
        m_sectionPicker->addTab(title);
    m_sectionPicker->setAccessibleName(QStringLiteral("設定"));
    m_sectionPicker->setDrawBase(false);
    m_sectionPicker->setExpanding(true);
    m_sectionPicker->setMaximumWidth(300);
    auto* barLayout = new QHBoxLayout(sectionBar);
    barLayout->setContentsMargins(16, 0, 16, 0);
    barLayout->addStretch();
    barLayout->addWidget(m_sectionPicker);
    barLayout->addStretch();

    m_banner = createPermissionBanner(
        model, [this] { setSection(SettingsSection::permission); }, this);
    m_sections->addWidget(new ApplicationsSection(model, m_sections));
    m_sections->addWidget(createAutomationPane(model, m_sections));
    m_sections->addWidget(createPermissionPane(model, m_sections));

    auto* detail = new QWidget(this);
    detail->setMinimumWidth(620);
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(0);
    detailLayout->addWidget(sectionBar);
    detailLayout->addWidget(pane_style::divider(detail));
    detailLayout->addWidget(m_banner);
    detailLayout->addWidget(m_sections, 1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    split->addWidget(m_sidebar);
    split->addWidget(detail);
    split->setStretchFactor(1, 1);
    split->setSizes({216, 664});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    // Attached to the settings window (this content when it stands alone).
    createSelectionSheets(model, window());

    connect(m_sectionPicker, &QTabBar::currentChanged, this,
            [this](int index) { setSection(SettingsSection(index)); });
    connect(m_sidebar, &ProfileSidebar::createRequested, this,
            [this] { openProfileSheet(ProfileDialog::create); });
    connect(m_sidebar, &ProfileSidebar::renameRequested, this,
            [this] { openProfileSheet(ProfileDialog::rename); });
    connect(m_sidebar, &ProfileSidebar::deleteRequested, this, &ContentView::confirmDelete);
    connect(&m_model, &ProbeViewModel::isTrustedChanged, this, &ContentView::refreshBanner);
    refreshBanner();
}

ContentView::~ContentView() {
    leave();
}

void ContentView::leave() {
    m_model.cancelWindowSelection();
}

void ContentView::setSection(SettingsSection section) {
    m_section = section;
    const QSignalBlocker blocker(m_sectionPicker);
    m_sectionPicker->setCurrentIndex(int(section));
    m_sections->setCurrentIndex(int(section));
    refreshBanner();
}

void ContentView::refreshBanner() {
    m_banner->setVisible(!m_model.isTrusted() && m_section != SettingsSection::permission);
}

void ContentView::openProfileSheet(ProfileDialog mode) {
    if (m_profileSheet)
        return; // one sheet at a time
    if (mode == ProfileDialog::create) {
        m_profileName.clear();
    } else {
        const std::optional<LayoutProfile> profile = m_model.selectedProfile();
        m_profileName = profile ? profile->name : QString();
    }
    auto* sheet = new ProfileNameSheet(mode, m_profileName, window());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    m_profileSheet = sheet;
    connect(sheet, &ProfileNameSheet::saved, this, [this, mode](const QString& name) {
        m_profileName = name;
        if (mode == ProfileDialog::rename) {
            // The selected profile when the sheet is confirmed.
            const std::optional<LayoutProfile> profile = m_model.selectedProfile();
            if (profile)
                m_model.renameProfile(profile->id, name);
        } else {
            m_model.createProfile(name);
        }
    });
    connect(sheet, &QDialog::finished, this, [this, sheet] { m_profileName = sheet->name(); });
    sheet->open();
}

void ContentView::confirmDelete() {
    DeleteProfileConfirmation::ask(m_model, window());
}

} // namespace stellwick
