#pragma once

// X11 backend only: reply ownership and how X errors read as accessibility errors.

#include "platform/Accessibility.h"

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace stellwick::x11 {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// A reply (or event) that xcb allocated with malloc.
template <typename T> using XPtr = std::unique_ptr<T, FreeDeleter>;

// The outcome of one request with a reply: the reply, or the X error code
// (0 with no reply means the connection failed).
template <typename T> struct XResult {
    XPtr<T> reply;
    std::uint8_t error = 0;

    explicit operator bool() const { return static_cast<bool>(reply); }
    T* operator->() const { return reply.get(); }
    T* get() const { return reply.get(); }
};

// Collects the reply of `cookie` with xcb's reply function `fn`; errors stay
// local to this call instead of reaching the event queue.
template <typename T, typename Cookie>
XResult<T> fetch(xcb_connection_t* c, T* (*fn)(xcb_connection_t*, Cookie, xcb_generic_error_t**),
                 Cookie cookie) {
    xcb_generic_error_t* error = nullptr;
    XResult<T> result{XPtr<T>(fn(c, cookie, &error)), 0};
    if (error) {
        result.error = error->error_code;
        std::free(error);
    }
    return result;
}

// An X error as an accessibility error: a window or drawable that no longer
// exists is an invalid element; anything else (a lost connection included)
// means the request could not be completed.
inline AXError axErrorFor(std::uint8_t xError) {
    switch (xError) {
    case XCB_WINDOW:
    case XCB_DRAWABLE:
        return AXErrorCode::invalidUIElement;
    default:
        return AXErrorCode::cannotComplete;
    }
}

} // namespace stellwick::x11
