#pragma once

// X11 backend only: decoding window properties. Pure functions over property
// data, so the rules are tested without a server.

#include "model/Geometry.h"
#include "platform/Accessibility.h"
#include "platform/x11/MonitorLayout.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

namespace stellwick::x11 {

// The values of a format-32 property; empty for anything else.
std::vector<std::uint32_t> cardinals(const xcb_get_property_reply_t* reply);
QByteArray propertyBytes(const xcb_get_property_reply_t* reply);

// Text of a property typed UTF8_STRING, STRING (Latin-1) or COMPOUND_TEXT
// (taken as UTF-8 when it is valid, else Latin-1); none for other types.
std::optional<QString> decodeText(const QByteArray& bytes, xcb_atom_t type, xcb_atom_t utf8String);

// WM_CLASS: instance and class, two NUL-terminated strings.
struct WmClass {
    QString instance;
    QString className;
    bool operator==(const WmClass&) const = default;
};
WmClass parseWmClass(const QByteArray& bytes);

// What a managed window is, from _NET_WM_WINDOW_TYPE (the first type this
// backend knows) and WM_TRANSIENT_FOR.
enum class WindowKind { normal, dialog, utility, menu, splash, dock, desktop, notification, other };
WindowKind windowKind(const std::vector<xcb_atom_t>& types, bool transient,
                      const xcb_ewmh_connection_t& ewmh);
// Standard windows are normal windows that are not transient for another.
QString subroleFor(WindowKind kind, bool transient, bool modal);

struct FrameExtents {
    double left = 0, right = 0, top = 0, bottom = 0;
    bool operator==(const FrameExtents&) const = default;
};
FrameExtents frameExtents(const std::vector<std::uint32_t>& values);

// What lies around the visible part of a client window: its X border (drawn
// by the server; a non-reparenting window manager keeps it), the window
// manager's decorations outside that (_NET_FRAME_EXTENTS), and, inside the
// window, the invisible shadow margins that a client drawing its own
// decorations leaves under a compositor (_GTK_FRAME_EXTENTS). The frame read,
// stored and written is the visible one. One rule for reading and writing, so
// that a frame written is the frame read back.
struct FrameDecoration {
    FrameExtents extents;
    double border = 0;
    FrameExtents shadow;

    // The visible frame of a client window's area (root coordinates).
    Rect outer(const Rect& client) const;
    // The client window's area behind a visible frame.
    Rect client(const Rect& outer) const;
    // What a north-west-gravity move-resize asks for to show that visible
    // frame: the window manager's frame origin and the client's size.
    Rect moveResize(const Rect& outer) const;
};

// WM_NORMAL_HINTS: resize increments when the window declares some other than 1×1.
std::optional<Size> resizeIncrements(const xcb_size_hints_t& hints);
// Minimum size equal to maximum size: the window cannot be resized.
bool isFixedSize(const xcb_size_hints_t& hints);
// The same per axis: width and height fixed on their own.
std::pair<bool, bool> fixedAxes(const xcb_size_hints_t& hints);

// What _NET_WM_ALLOWED_ACTIONS lets others do to a window; everything when
// the window manager publishes no such list.
struct AllowedChanges {
    bool move = true;
    bool resize = true;
    bool operator==(const AllowedChanges&) const = default;
};
AllowedChanges allowedChanges(const std::optional<std::vector<xcb_atom_t>>& actions,
                              const xcb_ewmh_connection_t& ewmh);

// _NET_WM_STRUT_PARTIAL (12 values) or _NET_WM_STRUT (4 values, whole edges).
std::optional<Strut> strutFrom(const std::vector<std::uint32_t>& partial,
                               const std::vector<std::uint32_t>& full, double rootWidth, double rootHeight);

// The largest image of _NET_WM_ICON (width, height, then ARGB pixels, repeated);
// none when the data holds no complete image.
std::optional<QImage> largestIcon(const std::vector<std::uint32_t>& data);

} // namespace stellwick::x11
