#pragma once

#include <QMessageBox>
#include <QUuid>

namespace stellwick {

class ProbeViewModel;

// Asks before a profile goes. Built for the profile selected when the user
// asked; only "削除" deletes, and it deletes that profile even if the
// selection changed while the question was open. Escape answers
// "キャンセル". Attached to `window` as a sheet when it is the active window,
// else application-modal; either way the answer arrives asynchronously.
class DeleteProfileConfirmation final : public QMessageBox {
    Q_OBJECT
public:
    // Null when no profile is selected (then there is nothing to ask).
    static DeleteProfileConfirmation* ask(ProbeViewModel& model, QWidget* window);

    QAbstractButton* deleteButton() const { return m_delete; }
    const QUuid& profileID() const { return m_profileID; }

private:
    DeleteProfileConfirmation(ProbeViewModel& model, const QUuid& profileID, QWidget* parent);

    QAbstractButton* m_delete = nullptr;
    QUuid m_profileID;
};

} // namespace stellwick
