#include "XcbBaseline.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

namespace stellwick::bench {

struct XcbBaseline::State {
    xcb_connection_t* c = nullptr;
    int screen = 0;
    xcb_window_t root = 0;
    xcb_ewmh_connection_t ewmh{};
};

namespace {

std::uint32_t wire(double value) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(value)));
}

} // namespace

XcbBaseline::XcbBaseline()
    : m_state(new State) {
    m_state->c = xcb_connect(nullptr, &m_state->screen);
    if (xcb_connection_has_error(m_state->c))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_state->c));
    for (int i = 0; i < m_state->screen; ++i)
        xcb_screen_next(&it);
    m_state->root = it.data->root;
    xcb_ewmh_init_atoms_replies(&m_state->ewmh, xcb_ewmh_init_atoms(m_state->c, &m_state->ewmh), nullptr);
}

XcbBaseline::~XcbBaseline() {
    if (!xcb_connection_has_error(m_state->c))
        xcb_ewmh_connection_wipe(&m_state->ewmh);
    xcb_disconnect(m_state->c);
    delete m_state;
}

bool XcbBaseline::isConnected() const {
    return m_state->root != 0;
}

std::optional<Rect> XcbBaseline::frame(std::uint32_t window) {
    xcb_connection_t* c = m_state->c;
    const auto geometryCookie = xcb_get_geometry(c, window);
    const auto positionCookie = xcb_translate_coordinates(c, window, m_state->root, 0, 0);
    const auto extentsCookie =
        xcb_get_property(c, 0, window, m_state->ewmh._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 0, 4);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, geometryCookie, nullptr);
    xcb_translate_coordinates_reply_t* position = xcb_translate_coordinates_reply(c, positionCookie, nullptr);
    xcb_get_property_reply_t* extents = xcb_get_property_reply(c, extentsCookie, nullptr);
    std::optional<Rect> result;
    if (geometry && position) {
        std::uint32_t e[4] = {0, 0, 0, 0};
        if (extents && xcb_get_property_value_length(extents) >= 16)
            std::copy_n(static_cast<const std::uint32_t*>(xcb_get_property_value(extents)), 4, e);
        result = Rect{double(position->dst_x) - e[0], double(position->dst_y) - e[2],
                      double(geometry->width) + e[0] + e[1], double(geometry->height) + e[2] + e[3]};
    }
    std::free(geometry);
    std::free(position);
    std::free(extents);
    return result;
}

bool XcbBaseline::move(std::uint32_t window, const Rect& outer, double tolerance) {
    xcb_connection_t* c = m_state->c;
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);

    const auto extentsCookie =
        xcb_get_property(c, 0, window, m_state->ewmh._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 0, 4);
    const auto hintsCookie = xcb_icccm_get_wm_normal_hints(c, window);
    xcb_get_property_reply_t* extents = xcb_get_property_reply(c, extentsCookie, nullptr);
    std::uint32_t e[4] = {0, 0, 0, 0};
    if (extents && xcb_get_property_value_length(extents) >= 16)
        std::copy_n(static_cast<const std::uint32_t*>(xcb_get_property_value(extents)), 4, e);
    std::free(extents);
    xcb_size_hints_t hints{};
    double toleranceWidth = tolerance, toleranceHeight = tolerance;
    if (xcb_icccm_get_wm_normal_hints_reply(c, hintsCookie, &hints, nullptr) &&
        (hints.flags & XCB_ICCCM_SIZE_HINT_P_RESIZE_INC)) {
        toleranceWidth = std::max(tolerance, double(hints.width_inc) - 1);
        toleranceHeight = std::max(tolerance, double(hints.height_inc) - 1);
    }

    const auto flags = static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(
        XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y | XCB_EWMH_MOVERESIZE_WINDOW_WIDTH |
        XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT);
    xcb_ewmh_request_moveresize_window(&m_state->ewmh, m_state->screen, window, XCB_GRAVITY_NORTH_WEST,
                                       XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, flags, wire(outer.x), wire(outer.y),
                                       wire(outer.width - e[0] - e[1]), wire(outer.height - e[2] - e[3]));
    xcb_flush(c);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    auto landed = [&] {
        const std::optional<Rect> now = frame(window);
        return now && std::abs(now->x - outer.x) <= tolerance && std::abs(now->y - outer.y) <= tolerance &&
               std::abs(now->width - outer.width) <= toleranceWidth &&
               std::abs(now->height - outer.height) <= toleranceHeight;
    };
    bool done = landed();
    while (!done && std::chrono::steady_clock::now() < deadline) {
        // Read back after each answer of the manager (or anything else);
        // block on the socket while nothing has come.
        bool answered = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            std::free(event);
            answered = true;
        }
        if (answered) {
            done = landed();
            continue;
        }
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (::poll(&fd, 1, int(std::max<long long>(left.count(), 1))) <= 0)
            break;
    }
    const std::uint32_t none = 0;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &none);
    xcb_flush(c);
    return done;
}

} // namespace stellwick::bench
