#include "ui/SelectionSheetPresenter.h"

#include "controller/ProbeViewModel.h"
#include "ui/WindowSelectionConfirmationSheet.h"
#include "ui/WindowSelectionFailureSheet.h"

namespace stellwick {

SelectionSheetPresenter::SelectionSheetPresenter(ProbeViewModel& model, QWidget* window)
    : QObject(window)
    , m_model(model)
    , m_window(window) {
    connect(&model, &ProbeViewModel::selectionPhaseChanged, this, &SelectionSheetPresenter::sync);
    sync();
}

SelectionSheetPresenter::~SelectionSheetPresenter() {
    dismiss();
}

void SelectionSheetPresenter::sync() {
    if (const auto candidate = m_model.selectedCandidate()) {
        auto* shown = dynamic_cast<WindowSelectionConfirmationSheet*>(m_sheet.data());
        if (!shown || shown->candidate() != *candidate)
            present(new WindowSelectionConfirmationSheet(m_model, *candidate, m_window));
    } else if (const auto message = m_model.selectionFailureMessage()) {
        if (auto* shown = dynamic_cast<WindowSelectionFailureSheet*>(m_sheet.data()))
            shown->setMessage(*message);
        else
            present(new WindowSelectionFailureSheet(m_model, *message, m_window));
    } else {
        dismiss();
    }
}

void SelectionSheetPresenter::present(QDialog* sheet) {
    dismiss();
    m_sheet = sheet;
    sheet->setWindowModality(Qt::WindowModal);
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        if (m_sheet != sheet)
            return;
        m_sheet = nullptr;
        sheet->deleteLater();
        m_model.cancelWindowSelection();
    });
    sheet->open();
}

void SelectionSheetPresenter::dismiss() {
    if (!m_sheet)
        return;
    QDialog* sheet = m_sheet;
    m_sheet = nullptr; // closed by the controller: not a cancellation
    sheet->done(QDialog::Rejected);
    sheet->deleteLater();
}

} // namespace stellwick
