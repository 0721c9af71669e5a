#pragma once

// X11 backend only: the accessibility elements of the X11 desktop.

#include "platform/Accessibility.h"

#include <cstdint>
#include <memory>
#include <xcb/xcb.h>

namespace stellwick::x11 {

struct X11Element final : AXElementData {
    enum class Kind {
        systemWide,  // hit testing
        application, // a process; its windows are the managed windows it owns
        window,      // a managed client window
        desktop,     // what lies under a point without a managed window
    };
    Kind kind = Kind::window;
    std::int32_t pid = 0;
    xcb_window_t window = XCB_WINDOW_NONE;

    static AXElement make(Kind kind, std::int32_t pid = 0, xcb_window_t window = XCB_WINDOW_NONE) {
        auto element = std::make_shared<X11Element>();
        element->kind = kind;
        element->pid = pid;
        element->window = window;
        return element;
    }
    static const X11Element* from(const AXElement& element) {
        return dynamic_cast<const X11Element*>(element.get());
    }
};

} // namespace stellwick::x11
