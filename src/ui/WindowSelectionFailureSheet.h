#pragma once

#include <QDialog>
#include <optional>

class QLabel;

namespace stellwick {

class ProbeViewModel;

// Explains why no window was obtained. With the permission it offers another
// try; without it, the way to grant it. Escape cancels the run.
class WindowSelectionFailureSheet : public QDialog {
public:
    WindowSelectionFailureSheet(ProbeViewModel& model, const QString& message, QWidget* parent);

    void setMessage(const QString& message);

private:
    void showTrust();

    ProbeViewModel& m_model;
    QLabel* m_message;
    QLabel* m_hint;
    QWidget* m_buttons = nullptr;
    std::optional<bool> m_shownTrust;
};

} // namespace stellwick
