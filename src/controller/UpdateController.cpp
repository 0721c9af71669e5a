#include "controller/UpdateController.h"

namespace stellwick {

UpdateController::UpdateController(Updater& updater)
    : m_updater(updater) {
    m_updater.start();
}

void UpdateController::checkForUpdates() {
    m_updater.checkForUpdates();
}

} // namespace stellwick
