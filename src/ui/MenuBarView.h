#pragma once

#include <QFrame>
#include <functional>

class QVBoxLayout;

namespace stellwick {

class MenuRow;
class ProbeViewModel;
class StatusRow;
class UpdateController;

// The tray panel's content, 296 wide: the header with the version, one row
// per profile with a checkmark at the selected one, the actions with their
// shortcuts, the latest status and the quit row. It redraws whenever the
// controller publishes a change. No row is ever disabled. Arrows move between
// rows, Return activates, Escape asks to close.
class MenuBarView final : public QFrame {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> openSettings;
        std::function<void()> quit;
    };

    static constexpr int panelWidth = 296;

    MenuBarView(ProbeViewModel& model, UpdateController& updates, Actions actions, QWidget* parent);

    const QList<MenuRow*>& profileRows() const { return m_profileRows; }
    // Every row in keyboard order: profiles, actions, quit.
    QList<MenuRow*> rows() const;
    StatusRow* statusRow() const { return m_status; }

signals:
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refreshProfiles();
    void refreshStatus();
    MenuRow* actionRow(const QString& title, const QString& symbol, const QKeySequence& keys,
                       std::function<void()> action);

    ProbeViewModel& m_model;
    UpdateController& m_updates;
    Actions m_actions;
    QVBoxLayout* m_profileList;
    QList<MenuRow*> m_profileRows;
    QList<MenuRow*> m_actionRows;
    StatusRow* m_status;
};

} // namespace stellwick
