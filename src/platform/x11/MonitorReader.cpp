#include "platform/x11/MonitorReader.h"

#include "platform/x11/ClientWindows.h"
#include "platform/x11/EdidIdentity.h"

#include <xcb/randr.h>

namespace stellwick::x11 {
namespace {

QString atomName(XConnection& x, xcb_atom_t atom) {
    auto reply = x.fetch(xcb_get_atom_name_reply, xcb_get_atom_name(x.xcb(), atom));
    if (!reply)
        return {};
    return QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
}

} // namespace

QByteArray readEdid(XConnection& x, std::uint32_t output) {
    if (x.atoms().edid == XCB_ATOM_NONE)
        return {};
    auto reply = x.fetch(xcb_randr_get_output_property_reply,
                         xcb_randr_get_output_property(x.xcb(), output, x.atoms().edid,
                                                       XCB_GET_PROPERTY_TYPE_ANY, 0, 256, 0, 0));
    if (!reply || reply->format != 8)
        return {};
    return QByteArray(reinterpret_cast<const char*>(xcb_randr_get_output_property_data(reply.get())),
                      xcb_randr_get_output_property_data_length(reply.get()));
}

MonitorLayout readMonitorLayout(XConnection& x, bool withIdentity) {
    if (!x.isAlive())
        return {};
    std::vector<Monitor> monitors;
    if (x.hasMonitors()) {
        auto reply = x.fetch(xcb_randr_get_monitors_reply, xcb_randr_get_monitors(x.xcb(), x.root(), 1));
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                const xcb_randr_monitor_info_t* info = it.data;
                Monitor monitor;
                monitor.name = atomName(x, info->name);
                monitor.rootFrame = {double(info->x), double(info->y), double(info->width),
                                     double(info->height)};
                monitor.primary = info->primary;
                if (xcb_randr_monitor_info_outputs_length(info) > 0)
                    monitor.output = xcb_randr_monitor_info_outputs(info)[0];
                monitors.push_back(monitor);
            }
        }
    }
    if (monitors.empty()) {
        const auto [width, height] = x.rootSize();
        if (width == 0 || height == 0)
            return {};
        monitors.push_back({QStringLiteral("screen"), {0, 0, double(width), double(height)}, true, {}, {}});
    }
    if (withIdentity) {
        for (Monitor& monitor : monitors) {
            if (!monitor.output)
                continue;
            if (auto identity = parseEdid(readEdid(x, *monitor.output)))
                monitor.uuid = displayUuid(*identity);
        }
    }
    return MonitorLayout(std::move(monitors));
}

std::vector<Strut> readStruts(XConnection& x, double rootWidth, double rootHeight) {
    const xcb_ewmh_connection_t& ewmh = *x.ewmh();
    const std::vector<xcb_window_t> clients = clientsFrontToBack(x);
    struct Pending {
        xcb_get_property_cookie_t partial, full;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Pending> pending;
    for (xcb_window_t w : clients) {
        pending.push_back(
            {xcb_get_property(x.xcb(), 0, w, ewmh._NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 0, 12),
             xcb_get_property(x.xcb(), 0, w, ewmh._NET_WM_STRUT, XCB_ATOM_CARDINAL, 0, 4),
             xcb_get_window_attributes(x.xcb(), w)});
    }
    std::vector<Strut> struts;
    for (Pending& p : pending) {
        auto partial = x.fetch(xcb_get_property_reply, p.partial);
        auto full = x.fetch(xcb_get_property_reply, p.full);
        auto attributes = x.fetch(xcb_get_window_attributes_reply, p.attributes);
        // A hidden panel reserves nothing.
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        if (auto strut = strutFrom(cardinals(partial.get()), cardinals(full.get()), rootWidth, rootHeight))
            struts.push_back(*strut);
    }
    return struts;
}

} // namespace stellwick::x11
