#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QToolButton;

namespace stellwick {

class ProbeViewModel;

// The settings window's left column: the profiles with their placement
// counts, and a footer with create, delete and rename buttons and the count.
// Choosing a row selects the profile through the controller; the buttons only
// announce themselves, the content view opens the sheets.
class ProfileSidebar final : public QWidget {
    Q_OBJECT
public:
    ProfileSidebar(ProbeViewModel& model, QWidget* parent);

    QListWidget* list() const { return m_list; }

signals:
    void createRequested();
    void deleteRequested();
    void renameRequested();

private:
    void refresh();
    QToolButton* footerButton(const QString& symbol, const QString& label);

    ProbeViewModel& m_model;
    QListWidget* m_list;
    QToolButton* m_minus = nullptr;
    QLabel* m_count;
};

} // namespace stellwick
