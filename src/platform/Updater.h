#pragma once

namespace stellwick {

// Checks for new versions of this application and shows the outcome itself.
class Updater {
public:
    virtual ~Updater() = default;

    // Begins the scheduled background checks.
    virtual void start() = 0;
    // Checks now, showing progress and outcome.
    virtual void checkForUpdates() = 0;
};

} // namespace stellwick
