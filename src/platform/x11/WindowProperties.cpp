#include "platform/x11/WindowProperties.h"

#include <algorithm>
#include <cstring>

namespace stellwick::x11 {

std::vector<std::uint32_t> cardinals(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 32)
        return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply) / 4;
    return std::vector<std::uint32_t>(data, data + length);
}

QByteArray propertyBytes(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 8)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                      xcb_get_property_value_length(reply));
}

std::optional<QString> decodeText(const QByteArray& bytes, xcb_atom_t type, xcb_atom_t utf8String) {
    QByteArray text = bytes;
    while (text.endsWith('\0'))
        text.chop(1);
    if (type == utf8String)
        return QString::fromUtf8(text);
    if (type == XCB_ATOM_STRING)
        return QString::fromLatin1(text);
    if (type == XCB_ATOM_NONE)
        return std::nullopt;
    // COMPOUND_TEXT and anything else textual: UTF-8 if it decodes cleanly
    // (no replacement character that the bytes did not spell out).
    const QString decoded = QString::fromUtf8(text);
    const bool clean = !decoded.contains(QChar::ReplacementCharacter) || text.contains("\xef\xbf\xbd");
    return clean ? decoded : QString::fromLatin1(text);
}

WmClass parseWmClass(const QByteArray& bytes) {
    const QList<QByteArray> parts = bytes.split('\0');
    WmClass wmClass;
    if (!parts.isEmpty())
        wmClass.instance = QString::fromLocal8Bit(parts.at(0));
    if (parts.size() > 1)
        wmClass.className = QString::fromLocal8Bit(parts.at(1));
    return wmClass;
}

WindowKind windowKind(const std::vector<xcb_atom_t>& types, bool transient,
                      const xcb_ewmh_connection_t& ewmh) {
    for (xcb_atom_t type : types) {
        if (type == ewmh._NET_WM_WINDOW_TYPE_NORMAL)
            return WindowKind::normal;
        if (type == ewmh._NET_WM_WINDOW_TYPE_DIALOG)
            return WindowKind::dialog;
        if (type == ewmh._NET_WM_WINDOW_TYPE_UTILITY || type == ewmh._NET_WM_WINDOW_TYPE_TOOLBAR)
            return WindowKind::utility;
        if (type == ewmh._NET_WM_WINDOW_TYPE_MENU || type == ewmh._NET_WM_WINDOW_TYPE_DROPDOWN_MENU ||
            type == ewmh._NET_WM_WINDOW_TYPE_POPUP_MENU || type == ewmh._NET_WM_WINDOW_TYPE_COMBO ||
            type == ewmh._NET_WM_WINDOW_TYPE_TOOLTIP)
            return WindowKind::menu;
        if (type == ewmh._NET_WM_WINDOW_TYPE_SPLASH)
            return WindowKind::splash;
        if (type == ewmh._NET_WM_WINDOW_TYPE_DOCK)
            return WindowKind::dock;
        if (type == ewmh._NET_WM_WINDOW_TYPE_DESKTOP)
            return WindowKind::desktop;
        if (type == ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION)
            return WindowKind::notification;
        if (type == ewmh._NET_WM_WINDOW_TYPE_DND)
            return WindowKind::other;
        // Unknown (vendor) types: look at the next one.
    }
    // No known type: a transient window is a dialog, anything else normal.
    return transient ? WindowKind::dialog : WindowKind::normal;
}

QString subroleFor(WindowKind kind, bool transient, bool modal) {
    switch (kind) {
    case WindowKind::normal:
        return transient || modal ? AXRoleValue::dialog : AXRoleValue::standardWindow;
    case WindowKind::dialog:
        return AXRoleValue::dialog;
    case WindowKind::utility:
    case WindowKind::menu:
        return AXRoleValue::floatingWindow;
    case WindowKind::notification:
        return AXRoleValue::systemDialog;
    case WindowKind::splash:
    case WindowKind::dock:
    case WindowKind::desktop:
    case WindowKind::other:
        break;
    }
    return AXRoleValue::unknown;
}

FrameExtents frameExtents(const std::vector<std::uint32_t>& values) {
    if (values.size() < 4)
        return {};
    return {double(values[0]), double(values[1]), double(values[2]), double(values[3])};
}

namespace {

// From the client window's edges to the visible frame's, per side: border and
// decorations widen the frame, shadow margins narrow it.
FrameExtents visibleMargins(const FrameDecoration& d) {
    return {d.border + d.extents.left - d.shadow.left, d.border + d.extents.right - d.shadow.right,
            d.border + d.extents.top - d.shadow.top, d.border + d.extents.bottom - d.shadow.bottom};
}

} // namespace

Rect FrameDecoration::outer(const Rect& client) const {
    const FrameExtents m = visibleMargins(*this);
    return {client.x - m.left, client.y - m.top, client.width + m.left + m.right,
            client.height + m.top + m.bottom};
}

Rect FrameDecoration::client(const Rect& outer) const {
    const FrameExtents m = visibleMargins(*this);
    return {outer.x + m.left, outer.y + m.top, outer.width - m.left - m.right,
            outer.height - m.top - m.bottom};
}

Rect FrameDecoration::moveResize(const Rect& outer) const {
    const Rect area = client(outer);
    return {outer.x - shadow.left, outer.y - shadow.top, area.width, area.height};
}

std::optional<Size> resizeIncrements(const xcb_size_hints_t& hints) {
    if (!(hints.flags & XCB_ICCCM_SIZE_HINT_P_RESIZE_INC))
        return std::nullopt;
    const double width = std::max(hints.width_inc, 1);
    const double height = std::max(hints.height_inc, 1);
    if (width <= 1 && height <= 1)
        return std::nullopt;
    return Size{width, height};
}

bool isFixedSize(const xcb_size_hints_t& hints) {
    const auto [width, height] = fixedAxes(hints);
    return width && height;
}

std::pair<bool, bool> fixedAxes(const xcb_size_hints_t& hints) {
    const std::uint32_t both = XCB_ICCCM_SIZE_HINT_P_MIN_SIZE | XCB_ICCCM_SIZE_HINT_P_MAX_SIZE;
    if ((hints.flags & both) != both)
        return {false, false};
    return {hints.min_width > 0 && hints.min_width == hints.max_width,
            hints.min_height > 0 && hints.min_height == hints.max_height};
}

AllowedChanges allowedChanges(const std::optional<std::vector<xcb_atom_t>>& actions,
                              const xcb_ewmh_connection_t& ewmh) {
    if (!actions)
        return {};
    const auto allows = [&](xcb_atom_t action) {
        return std::find(actions->begin(), actions->end(), action) != actions->end();
    };
    return {allows(ewmh._NET_WM_ACTION_MOVE), allows(ewmh._NET_WM_ACTION_RESIZE)};
}

std::optional<Strut> strutFrom(const std::vector<std::uint32_t>& partial,
                               const std::vector<std::uint32_t>& full, double rootWidth, double rootHeight) {
    Strut s;
    if (partial.size() >= 12) {
        s.left = partial[0];
        s.right = partial[1];
        s.top = partial[2];
        s.bottom = partial[3];
        s.leftStartY = partial[4];
        s.leftEndY = partial[5];
        s.rightStartY = partial[6];
        s.rightEndY = partial[7];
        s.topStartX = partial[8];
        s.topEndX = partial[9];
        s.bottomStartX = partial[10];
        s.bottomEndX = partial[11];
    } else if (full.size() >= 4) {
        s.left = full[0];
        s.right = full[1];
        s.top = full[2];
        s.bottom = full[3];
        s.leftEndY = s.rightEndY = rootHeight - 1;
        s.topEndX = s.bottomEndX = rootWidth - 1;
    } else {
        return std::nullopt;
    }
    if (s.left <= 0 && s.right <= 0 && s.top <= 0 && s.bottom <= 0)
        return std::nullopt;
    return s;
}

std::optional<QImage> largestIcon(const std::vector<std::uint32_t>& data) {
    std::size_t best = 0;
    std::uint64_t bestArea = 0;
    for (std::size_t i = 0; i + 2 <= data.size();) {
        const std::uint64_t width = data[i], height = data[i + 1];
        const std::uint64_t area = width * height;
        if (width == 0 || height == 0 || width > 4096 || height > 4096 || data.size() - i - 2 < area)
            break; // malformed: stop rather than read past the end
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
        i += 2 + area;
    }
    if (bestArea == 0)
        return std::nullopt;
    const int width = int(data[best]), height = int(data[best + 1]);
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), &data[best + 2 + std::size_t(y) * width], std::size_t(width) * 4);
    return image;
}

} // namespace stellwick::x11
