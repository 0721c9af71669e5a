#pragma once

// The least a program can do to move a window exactly and know it did: ask the
// window manager, then read the frame back until it is there.

#include "model/Geometry.h"

#include <cstdint>
#include <optional>

struct xcb_connection_t;

namespace stellwick::bench {

class XcbBaseline {
public:
    XcbBaseline();
    ~XcbBaseline();
    XcbBaseline(const XcbBaseline&) = delete;
    XcbBaseline& operator=(const XcbBaseline&) = delete;

    bool isConnected() const;

    // Moves the window's outer frame (root coordinates) through
    // _NET_MOVERESIZE_WINDOW and waits for the window manager's
    // ConfigureNotify events until the frame read back is within `tolerance`
    // (per axis; width and height get the window's size increments) or a
    // second has passed. True when it got there.
    bool move(std::uint32_t window, const Rect& outer, double tolerance = 3.0);

    // The outer frame now, root coordinates.
    std::optional<Rect> frame(std::uint32_t window);

private:
    struct State;
    State* m_state;
};

} // namespace stellwick::bench
