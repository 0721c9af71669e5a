#pragma once

namespace stellwick {

// Lets one whole-profile application run at a time.
struct AutomationGate {
    bool isApplying = false;

    bool tryBegin() {
        if (isApplying)
            return false;
        isApplying = true;
        return true;
    }
    void end() { isApplying = false; }
};

} // namespace stellwick
