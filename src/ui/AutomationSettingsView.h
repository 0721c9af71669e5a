#pragma once

#include <QScrollArea>
#include <QStringList>
#include <array>

class QVBoxLayout;

namespace stellwick {

class ProbeViewModel;
class SettingToggleRow;

// The "自動適用" section: the three automatic-application switches and, per
// registered application of the selected profile, whether it is arranged when
// it launches.
class AutomationSettingsView : public QScrollArea {
public:
    AutomationSettingsView(ProbeViewModel& model, QWidget* parent = nullptr);

private:
    void refreshLaunchList();

    ProbeViewModel& m_model;
    std::array<SettingToggleRow*, 3> m_rows{};
    QVBoxLayout* m_launchCard;
    QWidget* m_launchContent = nullptr;
    QStringList m_listedApplications;
};

} // namespace stellwick
