#pragma once

#include "ui/ProfileNameSheet.h"

#include <QPointer>
#include <QWidget>

class QStackedWidget;
class QTabBar;

namespace stellwick {

class ProbeViewModel;
class ProfileSidebar;

enum class SettingsSection { applications, automation, permission };

// The settings window's content: the profile sidebar beside the detail area
// with its three sections, the permission banner and the sheets. Presentation
// state only (section, open sheet, field text); every change is an action of
// the controller. A click-to-select run does not outlive it.
class ContentView final : public QWidget {
    Q_OBJECT
public:
    ContentView(ProbeViewModel& model, QWidget* parent);
    ~ContentView() override;

    SettingsSection section() const { return m_section; }
    void setSection(SettingsSection section);

    // The open profile-name sheet, if any.
    ProfileNameSheet* profileSheet() const { return m_profileSheet; }
    ProfileSidebar* sidebar() const { return m_sidebar; }
    QWidget* permissionBanner() const { return m_banner; }

    // Ends a click-to-select run as the window goes away.
    void leave();

private:
    void openProfileSheet(ProfileDialog mode);
    void confirmDelete();
    void refreshBanner();

    ProbeViewModel& m_model;
    SettingsSection m_section = SettingsSection::applications;
    QString m_profileName;
    QPointer<ProfileNameSheet> m_profileSheet;
    ProfileSidebar* m_sidebar;
    QTabBar* m_sectionPicker;
    QWidget* m_banner;
    QStackedWidget* m_sections;
};

} // namespace stellwick
