#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace stellwick {

class ProbeViewModel;

// The "登録アプリ" section: a header bar with the selected profile's name, its
// subtitle, "今すぐ復元" and "ウィンドウを選択", then the selection status bar
// and the registered applications.
class ApplicationsSection final : public QWidget {
    Q_OBJECT
public:
    ApplicationsSection(ProbeViewModel& model, QWidget* parent);

private:
    void refresh();

    ProbeViewModel& m_model;
    QLabel* m_title;
    QLabel* m_subtitle;
    QPushButton* m_restore;
};

} // namespace stellwick
