#pragma once

#include "windows/WindowSelectionSession.h"

#include <QDialog>

namespace stellwick {

class ProbeViewModel;

// Asks whether to save the clicked window into the selected profile. Return
// saves, Escape cancels the run.
class WindowSelectionConfirmationSheet : public QDialog {
public:
    WindowSelectionConfirmationSheet(ProbeViewModel& model, const WindowSelectionCandidate& candidate,
                                     QWidget* parent);

    const WindowSelectionCandidate& candidate() const { return m_candidate; }

private:
    WindowSelectionCandidate m_candidate;
};

} // namespace stellwick
