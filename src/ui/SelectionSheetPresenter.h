#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>

namespace stellwick {

class ProbeViewModel;

// Shows the confirmation sheet while a clicked window awaits confirmation and
// the failure sheet while a run has failed, as window-modal dialogs of the
// settings window. A sheet closed by any other means than the controller
// changing the phase (Escape, the window manager's close button) cancels the
// run.
class SelectionSheetPresenter : public QObject {
public:
    SelectionSheetPresenter(ProbeViewModel& model, QWidget* window);
    ~SelectionSheetPresenter() override;

    QDialog* currentSheet() const { return m_sheet; }

private:
    void sync();
    void present(QDialog* sheet);
    void dismiss();

    ProbeViewModel& m_model;
    QPointer<QWidget> m_window;
    QPointer<QDialog> m_sheet;
};

} // namespace stellwick
