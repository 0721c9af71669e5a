#pragma once

#include "platform/Updater.h"

namespace stellwick {

// The application's one door to updates, shared by the menu and the settings
// window. Constructing it starts the updater's scheduled checks.
class UpdateController {
public:
    explicit UpdateController(Updater& updater);
    UpdateController(const UpdateController&) = delete;
    UpdateController& operator=(const UpdateController&) = delete;

    // Checks now; the updater shows progress and outcome itself.
    void checkForUpdates();

private:
    Updater& m_updater;
};

} // namespace stellwick
