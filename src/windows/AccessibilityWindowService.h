#pragma once

#include "platform/Platform.h"

namespace stellwick {

// The one place that reads and moves other applications' windows.
class AccessibilityWindowService {
public:
    explicit AccessibilityWindowService(Platform platform);

    // Whether this process may read and move other applications' windows;
    // with `prompt` the platform may ask the user.
    bool isTrusted(bool prompt);

private:
    Platform m_platform;
};

} // namespace stellwick
