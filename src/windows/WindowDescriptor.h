#pragma once

#include "model/Geometry.h"
#include "platform/Accessibility.h"

#include <QString>

namespace stellwick {

// One movable window of another application, as the window service hands it out.
struct WindowDescriptor {
    // Position in the application's window list (0 when found by hit testing).
    int id = 0;
    QString title;
    Rect frame;        // top-left-origin desktop space, when read
    AXElement element; // keeps the window's element alive

    bool operator==(const WindowDescriptor&) const = default;
};

} // namespace stellwick
