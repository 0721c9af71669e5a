#pragma once

// X11 backend only: what the backend reads about managed client windows, in
// pipelined batches (all requests first, then all replies: one round trip).

#include "model/Geometry.h"
#include "platform/x11/ApplicationIdentity.h"
#include "platform/x11/WindowProperties.h"
#include "platform/x11/XConnection.h"

#include <optional>
#include <utility>
#include <vector>

namespace stellwick::x11 {

namespace ClientField {
inline constexpr unsigned frame = 1;  // visible frame, frame extents, shadow margins
inline constexpr unsigned owner = 2;  // process identifier
inline constexpr unsigned kind = 4;   // window type, transient-for
inline constexpr unsigned state = 8;  // EWMH state, ICCCM state, desktop, viewable
inline constexpr unsigned hints = 16; // WM_NORMAL_HINTS, _NET_WM_ALLOWED_ACTIONS
inline constexpr unsigned all = 31;
// The root window's current desktop, read in the same round trip.
inline constexpr unsigned currentDesktop = 32;
// What the window says about its application (ApplicationIdentity).
inline constexpr unsigned identity = 64;
// The events this connection selected on the window.
inline constexpr unsigned ourEvents = 128;
// _NET_WM_NAME, else WM_NAME.
inline constexpr unsigned title = 256;
// _NET_WM_STRUT_PARTIAL and _NET_WM_STRUT, and whether the window is viewable.
inline constexpr unsigned struts = 512;
} // namespace ClientField

// ICCCM WM_STATE values.
inline constexpr std::uint32_t wmStateNormal = 1;
inline constexpr std::uint32_t wmStateIconic = 3;
// _NET_WM_DESKTOP of a window shown on every desktop.
inline constexpr std::uint32_t allDesktops = 0xffffffff;

struct ClientFacts {
    xcb_window_t window = XCB_WINDOW_NONE;
    // X error of the first request: a window that no longer exists reads BadWindow.
    std::uint8_t error = 0;
    bool exists = false;

    Rect outer; // the visible frame, root coordinates: decorations and border in, shadows out
    FrameDecoration decoration;
    std::optional<std::int32_t> pid;
    std::vector<xcb_atom_t> types;
    bool transient = false;
    std::vector<xcb_atom_t> states;
    std::optional<std::uint32_t> wmState;
    std::optional<std::uint32_t> desktop;
    bool viewable = false;
    std::optional<xcb_size_hints_t> sizeHints;
    std::optional<std::vector<xcb_atom_t>> allowedActions; // none: not published
    std::optional<std::uint32_t> currentDesktop;           // with ClientField::currentDesktop
    IdentityHints identity;                                // with ClientField::identity
    std::uint32_t ourEvents = 0;                           // with ClientField::ourEvents
    std::optional<QString> title;                          // with ClientField::title; none: unset
    std::vector<std::uint32_t> strutPartial, strut;        // with ClientField::struts

    bool hasState(xcb_atom_t atom) const;
    bool onDesktop(std::optional<std::uint32_t> current) const;
};

std::vector<ClientFacts> readClients(XConnection& x, const std::vector<xcb_window_t>& windows,
                                     unsigned fields);
// Each window with fields of its own, still in one round trip.
std::vector<ClientFacts> readClients(XConnection& x,
                                     const std::vector<std::pair<xcb_window_t, unsigned>>& windows);
ClientFacts readClient(XConnection& x, xcb_window_t window, unsigned fields);

// The process behind any window (a frame, a popup, an embedded icon), through
// the X-Resource extension; none for remote clients or without the extension.
std::optional<std::int32_t> localClientPid(XConnection& x, xcb_window_t window);

// The managed client (the window carrying WM_STATE) in a top-level window's
// subtree: the top-level itself, or a child of the window manager's frame.
std::optional<xcb_window_t> clientInside(XConnection& x, xcb_window_t topLevel);
// The managed client under a point of root coordinates, the way the server
// sees it (shaped windows' transparent parts let the point through).
std::optional<xcb_window_t> clientAt(XConnection& x, Point root);

// Root-window state.
std::vector<xcb_window_t> clientsFrontToBack(XConnection& x); // topmost first
std::optional<std::uint32_t> currentDesktop(XConnection& x);
xcb_window_t activeWindow(XConnection& x);

// One window property, any type, up to `longs` 32-bit units.
XResult<xcb_get_property_reply_t> readProperty(XConnection& x, xcb_window_t window, xcb_atom_t property,
                                               std::uint32_t longs = 1024);

} // namespace stellwick::x11
