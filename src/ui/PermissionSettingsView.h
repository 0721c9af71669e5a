#pragma once

#include <QWidget>

class QLabel;

namespace stellwick {

class ProbeViewModel;
class SymbolView;

// The "権限" section: whether windows may be read and moved, with the ways to
// ask for the permission, check it again and open the help on granting it.
// Every time the section is shown it checks the permission again.
class PermissionSettingsView : public QWidget {
    Q_OBJECT

public:
    PermissionSettingsView(ProbeViewModel& model, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    ProbeViewModel& m_model;
    QWidget* m_warningStrip;
    SymbolView* m_statusSymbol;
    QLabel* m_statusLine;
    QLabel* m_explanation;
};

} // namespace stellwick
