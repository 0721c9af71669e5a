// A small X11 client for the backend's tests and the benchmark. It opens
// windows on command, each exactly as asked (title, type, size hints, process
// hints, initial state), and answers only once the window manager manages
// them, so callers wait by round trip instead of by time.
//
// Commands, one per line on standard input; values are percent-encoded:
//   open key=value ...      -> "window 0x<id>" once managed
//       title  legacy-title  type (normal|dialog|utility|dock|desktop|splash|notification|menu)
//       x y w h  minw minh maxw maxh  incw inch basew baseh  fixed=1
//       minimized=1  maximized=1  modal=1  transient=<id>  desktop=<n|all>
//       class  instance  netpid=0  gtkid  kdefile  strut-top=<height>  icon=1
//       border=<X border width>  mwm-functions=<Motif function bits>
//   close <id>              -> "ok" once the window is destroyed
//   title <id> <text>       -> "ok"
//   frame <id>              -> "<x> <y> <w> <h>": outer frame, root coordinates
//   minimize <id>           -> "ok" once the window manager iconified it
//   maximize <id>           -> "ok" once it is maximized both ways
//   activate <id>           -> "ok" once it is the active window
//   desktop <n>             -> "ok" once desktop n is the current one
// (the last four ask the window manager, as a pager would, and wait for it)
//   sync                    -> "ok" after a round trip to the server
//   pid                     -> this process's identifier
//   quit                    (or end of input)
// Anything it cannot do is answered "error <reason>".
//
// `stellwick-testclient wm` is instead a minimal non-reparenting window
// manager (no frames: clients keep their X border), for a desktop started
// without one; it prints "ready" once it manages the screen.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

namespace {

struct Client {
    xcb_connection_t* c = nullptr;
    xcb_screen_t* screen = nullptr;
    int screenNumber = 0;
    xcb_ewmh_connection_t ewmh{};
    xcb_atom_t wmState = XCB_ATOM_NONE;
    xcb_atom_t gtkId = XCB_ATOM_NONE;
    xcb_atom_t kdeFile = XCB_ATOM_NONE;
    std::vector<xcb_window_t> windows; // opened and not closed
};

std::string decode(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            out.push_back(static_cast<char>(std::strtol(value.substr(i + 1, 2).c_str(), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(value[i]);
        }
    }
    return out;
}

// STRING properties are Latin-1: the UTF-8 of U+0080..U+00FF becomes one byte.
std::string latin1(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c == 0xc2 || c == 0xc3) && i + 1 < utf8.size()) {
            out.push_back(
                static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3f)));
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

std::vector<std::uint32_t> cardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 65536), nullptr);
    std::vector<std::uint32_t> values;
    if (reply && reply->format == 32) {
        auto* data = static_cast<std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

void setText(Client& cl, xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& text) {
    xcb_change_property(cl.c, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                        static_cast<std::uint32_t>(text.size()), text.data());
}

void setCardinals(Client& cl, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                  const std::vector<std::uint32_t>& values) {
    xcb_change_property(cl.c, XCB_PROP_MODE_REPLACE, w, property, type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

bool contains(const std::vector<std::uint32_t>& values, std::uint32_t value) {
    for (std::uint32_t v : values)
        if (v == value)
            return true;
    return false;
}

// The stacking list where the manager keeps one (xfwm4 does not), else the plain list.
std::vector<std::uint32_t> clientList(Client& cl) {
    auto list = cardinals(cl.c, cl.screen->root, cl.ewmh._NET_CLIENT_LIST_STACKING);
    return list.empty() ? cardinals(cl.c, cl.screen->root, cl.ewmh._NET_CLIENT_LIST) : list;
}

// The child of the root holding w: its frame, or w itself without one.
xcb_window_t topLevelOf(Client& cl, xcb_window_t w) {
    while (true) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(cl.c, xcb_query_tree(cl.c, w), nullptr);
        const xcb_window_t parent = tree ? tree->parent : cl.screen->root;
        std::free(tree);
        if (parent == cl.screen->root || parent == XCB_WINDOW_NONE)
            return w;
        w = parent;
    }
}

// On top of every other managed window, read from the server's own stacking
// order where the manager publishes none.
bool isOnTop(Client& cl, xcb_window_t w) {
    const auto stacking = cardinals(cl.c, cl.screen->root, cl.ewmh._NET_CLIENT_LIST_STACKING);
    if (!stacking.empty())
        return stacking.back() == w;
    std::vector<xcb_window_t> frames;
    for (std::uint32_t client : cardinals(cl.c, cl.screen->root, cl.ewmh._NET_CLIENT_LIST))
        frames.push_back(topLevelOf(cl, client));
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(cl.c, xcb_query_tree(cl.c, cl.screen->root), nullptr);
    xcb_window_t top = XCB_WINDOW_NONE;
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = xcb_query_tree_children_length(tree) - 1; i >= 0 && top == XCB_WINDOW_NONE; --i)
            if (std::find(frames.begin(), frames.end(), children[i]) != frames.end())
                top = children[i];
    }
    std::free(tree);
    return top == topLevelOf(cl, w);
}

// Managed: the window manager lists the window and shows it, or set it iconic,
// or keeps it on a desktop other than the current one.
bool isManaged(Client& cl, xcb_window_t w) {
    if (!contains(clientList(cl), w))
        return false;
    // Kept unmapped on another desktop, with no WM_STATE (openbox) or a
    // normal one (xfwm4).
    const auto desktop = cardinals(cl.c, w, cl.ewmh._NET_WM_DESKTOP);
    const auto current = cardinals(cl.c, cl.screen->root, cl.ewmh._NET_CURRENT_DESKTOP);
    if (!desktop.empty() && !current.empty() && desktop.front() != 0xffffffffu &&
        desktop.front() != current.front())
        return true;
    const auto state = cardinals(cl.c, w, cl.wmState);
    if (state.empty())
        return false;
    if (state.front() != XCB_ICCCM_WM_STATE_NORMAL)
        return true;
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(cl.c, xcb_get_window_attributes(cl.c, w), nullptr);
    const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return viewable;
}

bool waitUntil(Client& cl, xcb_window_t w, bool (*done)(Client&, xcb_window_t)) {
    xcb_flush(cl.c);
    while (!done(cl, w)) {
        xcb_generic_event_t* event = xcb_wait_for_event(cl.c);
        if (!event)
            return false;
        std::free(event);
    }
    return true;
}

xcb_atom_t windowType(Client& cl, const std::string& name) {
    const std::map<std::string, xcb_atom_t> types{{"normal", cl.ewmh._NET_WM_WINDOW_TYPE_NORMAL},
                                                  {"dialog", cl.ewmh._NET_WM_WINDOW_TYPE_DIALOG},
                                                  {"utility", cl.ewmh._NET_WM_WINDOW_TYPE_UTILITY},
                                                  {"dock", cl.ewmh._NET_WM_WINDOW_TYPE_DOCK},
                                                  {"desktop", cl.ewmh._NET_WM_WINDOW_TYPE_DESKTOP},
                                                  {"splash", cl.ewmh._NET_WM_WINDOW_TYPE_SPLASH},
                                                  {"notification", cl.ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION},
                                                  {"menu", cl.ewmh._NET_WM_WINDOW_TYPE_MENU}};
    auto it = types.find(name);
    return it == types.end() ? xcb_atom_t(XCB_ATOM_NONE) : it->second;
}

int number(const std::map<std::string, std::string>& options, const std::string& key, int fallback) {
    auto it = options.find(key);
    return it == options.end() ? fallback : std::atoi(it->second.c_str());
}

std::string openWindow(Client& cl, const std::map<std::string, std::string>& o) {
    auto has = [&](const char* key) { return o.count(key) > 0; };
    auto text = [&](const char* key) { return has(key) ? o.at(key) : std::string(); };
    const int x = number(o, "x", 100), y = number(o, "y", 100);
    const int w = number(o, "w", 400), h = number(o, "h", 300);

    const xcb_window_t window = xcb_generate_id(cl.c);
    const std::uint32_t values[] = {cl.screen->white_pixel, XCB_EVENT_MASK_PROPERTY_CHANGE |
                                                                XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                                                XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(cl.c, XCB_COPY_FROM_PARENT, window, cl.screen->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), static_cast<std::uint16_t>(number(o, "border", 0)),
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, cl.screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

    if (has("title")) {
        setText(cl, window, cl.ewmh._NET_WM_NAME, cl.ewmh.UTF8_STRING, text("title"));
        setText(cl, window, XCB_ATOM_WM_NAME, cl.ewmh.UTF8_STRING, text("title"));
    }
    if (has("legacy-title"))
        setText(cl, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, latin1(text("legacy-title")));

    const std::string instance = has("instance") ? text("instance") : "stellwick-testclient";
    const std::string className = has("class") ? text("class") : "StellwickTestClient";
    std::string wmClass = instance + '\0' + className + '\0';
    setText(cl, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, wmClass);

    if (number(o, "netpid", 1) != 0) {
        setCardinals(cl, window, cl.ewmh._NET_WM_PID, XCB_ATOM_CARDINAL,
                     {static_cast<std::uint32_t>(getpid())});
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        setText(cl, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, host);
    }
    if (has("gtkid"))
        setText(cl, window, cl.gtkId, cl.ewmh.UTF8_STRING, text("gtkid"));
    if (has("kdefile"))
        setText(cl, window, cl.kdeFile, XCB_ATOM_STRING, text("kdefile"));
    if (has("type")) {
        const xcb_atom_t type = windowType(cl, text("type"));
        if (type == XCB_ATOM_NONE)
            return "error unknown type";
        setCardinals(cl, window, cl.ewmh._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, {type});
    }
    if (has("transient"))
        setCardinals(cl, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW,
                     {static_cast<std::uint32_t>(std::strtoul(text("transient").c_str(), nullptr, 0))});
    if (has("desktop")) {
        const std::uint32_t desktop =
            text("desktop") == "all" ? 0xffffffffu : static_cast<std::uint32_t>(number(o, "desktop", 0));
        setCardinals(cl, window, cl.ewmh._NET_WM_DESKTOP, XCB_ATOM_CARDINAL, {desktop});
    }
    std::vector<std::uint32_t> states;
    if (number(o, "maximized", 0))
        states = {cl.ewmh._NET_WM_STATE_MAXIMIZED_VERT, cl.ewmh._NET_WM_STATE_MAXIMIZED_HORZ};
    if (text("desktop") == "all") // xfwm4 takes only the state as "on every desktop"
        states.push_back(cl.ewmh._NET_WM_STATE_STICKY);
    if (number(o, "modal", 0))
        states.push_back(cl.ewmh._NET_WM_STATE_MODAL);
    if (!states.empty())
        setCardinals(cl, window, cl.ewmh._NET_WM_STATE, XCB_ATOM_ATOM, states);
    if (has("strut-top")) {
        const std::uint32_t top = static_cast<std::uint32_t>(number(o, "strut-top", 0));
        setCardinals(cl, window, cl.ewmh._NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL,
                     {0, 0, top, 0, 0, 0, 0, 0, static_cast<std::uint32_t>(x),
                      static_cast<std::uint32_t>(x + w - 1), 0, 0});
        setCardinals(cl, window, cl.ewmh._NET_WM_STRUT, XCB_ATOM_CARDINAL, {0, 0, top, 0});
    }
    if (has("mwm-functions")) {
        const xcb_atom_t motif = atom(cl.c, "_MOTIF_WM_HINTS");
        setCardinals(cl, window, motif, motif,
                     {1, static_cast<std::uint32_t>(number(o, "mwm-functions", 0)), 0, 0, 0});
    }
    if (number(o, "icon", 0)) {
        std::vector<std::uint32_t> icon{2, 2, 0xffff0000, 0xffff0000, 0xffff0000, 0xffff0000, 4, 4};
        icon.insert(icon.end(), 16, 0xff00ff00);
        setCardinals(cl, window, cl.ewmh._NET_WM_ICON, XCB_ATOM_CARDINAL, icon);
    }

    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, x, y);
    xcb_icccm_size_hints_set_size(&hints, 1, w, h);
    if (number(o, "fixed", 0)) {
        xcb_icccm_size_hints_set_min_size(&hints, w, h);
        xcb_icccm_size_hints_set_max_size(&hints, w, h);
    }
    if (has("minw") || has("minh"))
        xcb_icccm_size_hints_set_min_size(&hints, number(o, "minw", 1), number(o, "minh", 1));
    if (has("maxw") || has("maxh"))
        xcb_icccm_size_hints_set_max_size(&hints, number(o, "maxw", 32767), number(o, "maxh", 32767));
    if (has("incw") || has("inch"))
        xcb_icccm_size_hints_set_resize_inc(&hints, number(o, "incw", 1), number(o, "inch", 1));
    if (has("basew") || has("baseh"))
        xcb_icccm_size_hints_set_base_size(&hints, number(o, "basew", 0), number(o, "baseh", 0));
    xcb_icccm_set_wm_normal_hints(cl.c, window, &hints);

    xcb_icccm_wm_hints_t wmHints{};
    xcb_icccm_wm_hints_set_input(&wmHints, 1);
    if (number(o, "minimized", 0))
        xcb_icccm_wm_hints_set_iconic(&wmHints);
    else
        xcb_icccm_wm_hints_set_normal(&wmHints);
    xcb_icccm_set_wm_hints(cl.c, window, &wmHints);

    // Told the root too, so the client list's changes wake the wait.
    const std::uint32_t rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(cl.c, cl.screen->root, XCB_CW_EVENT_MASK, &rootMask);
    xcb_map_window(cl.c, window);
    if (!waitUntil(cl, window, isManaged))
        return "error connection lost";
    cl.windows.push_back(window);
    char reply[32];
    std::snprintf(reply, sizeof reply, "window 0x%x", window);
    return reply;
}

bool isGone(Client& cl, xcb_window_t w) {
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(cl.c, xcb_get_geometry(cl.c, w), &error);
    const bool gone = geometry == nullptr;
    std::free(geometry);
    std::free(error);
    return gone;
}

void askWindowManager(Client& cl, xcb_window_t window, xcb_atom_t type, std::vector<std::uint32_t> data) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    data.resize(5, 0);
    for (int i = 0; i < 5; ++i)
        message.data.data32[i] = data[static_cast<std::size_t>(i)];
    xcb_send_event(cl.c, 0, cl.screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

std::string changeState(Client& cl, const std::string& command, xcb_window_t window) {
    const std::uint32_t rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(cl.c, cl.screen->root, XCB_CW_EVENT_MASK, &rootMask);
    bool done = false;
    if (command == "minimize") {
        askWindowManager(cl, window, atom(cl.c, "WM_CHANGE_STATE"), {XCB_ICCCM_WM_STATE_ICONIC});
        done = waitUntil(cl, window, [](Client& c, xcb_window_t w) {
            const auto state = cardinals(c.c, w, c.wmState);
            return !state.empty() && state.front() == XCB_ICCCM_WM_STATE_ICONIC;
        });
    } else if (command == "maximize") {
        askWindowManager(cl, window, cl.ewmh._NET_WM_STATE,
                         {1, cl.ewmh._NET_WM_STATE_MAXIMIZED_VERT, cl.ewmh._NET_WM_STATE_MAXIMIZED_HORZ, 2});
        done = waitUntil(cl, window, [](Client& c, xcb_window_t w) {
            const auto state = cardinals(c.c, w, c.ewmh._NET_WM_STATE);
            return contains(state, c.ewmh._NET_WM_STATE_MAXIMIZED_VERT) &&
                   contains(state, c.ewmh._NET_WM_STATE_MAXIMIZED_HORZ);
        });
    } else if (command == "activate") {
        askWindowManager(cl, window, cl.ewmh._NET_ACTIVE_WINDOW, {2, XCB_CURRENT_TIME, 0});
        // Active and raised to the top of the stacking order.
        done = waitUntil(cl, window, [](Client& c, xcb_window_t w) {
            return contains(cardinals(c.c, c.screen->root, c.ewmh._NET_ACTIVE_WINDOW), w) && isOnTop(c, w);
        });
    } else if (command == "desktop") {
        askWindowManager(cl, cl.screen->root, cl.ewmh._NET_CURRENT_DESKTOP, {window, XCB_CURRENT_TIME});
        // The desktop is current, and this client's windows are shown or
        // hidden accordingly (the manager maps them after the switch).
        done = waitUntil(cl, window, [](Client& c, xcb_window_t desktop) {
            if (!contains(cardinals(c.c, c.screen->root, c.ewmh._NET_CURRENT_DESKTOP), desktop))
                return false;
            for (xcb_window_t w : c.windows) {
                const auto on = cardinals(c.c, w, c.ewmh._NET_WM_DESKTOP);
                const auto state = cardinals(c.c, w, c.wmState);
                if (on.empty() || (!state.empty() && state.front() == XCB_ICCCM_WM_STATE_ICONIC &&
                                   (on.front() == desktop || on.front() == 0xffffffffu)))
                    continue; // minimized windows stay hidden
                const bool shouldShow = on.front() == desktop || on.front() == 0xffffffffu;
                xcb_get_window_attributes_reply_t* attributes =
                    xcb_get_window_attributes_reply(c.c, xcb_get_window_attributes(c.c, w), nullptr);
                // mutter keeps windows of other desktops mapped, iconic.
                const bool shown = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                                   (state.empty() || state.front() == XCB_ICCCM_WM_STATE_NORMAL);
                std::free(attributes);
                if (shown != shouldShow)
                    return false;
            }
            return true;
        });
    }
    return done ? "ok" : "error connection lost";
}

std::string frameOf(Client& cl, xcb_window_t w) {
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(cl.c, xcb_get_geometry(cl.c, w), nullptr);
    xcb_translate_coordinates_reply_t* position = xcb_translate_coordinates_reply(
        cl.c, xcb_translate_coordinates(cl.c, w, cl.screen->root, 0, 0), nullptr);
    std::string out = "error no such window";
    if (geometry && position) {
        auto extents = cardinals(cl.c, w, cl.ewmh._NET_FRAME_EXTENTS);
        extents.resize(4, 0);
        std::ostringstream s;
        const int border = geometry->border_width;
        s << position->dst_x - border - int(extents[0]) << ' ' << position->dst_y - border - int(extents[2])
          << ' ' << geometry->width + 2 * border + extents[0] + extents[1] << ' '
          << geometry->height + 2 * border + extents[2] + extents[3];
        out = s.str();
    }
    std::free(geometry);
    std::free(position);
    return out;
}

std::string run(Client& cl, const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "open") {
        std::map<std::string, std::string> options;
        std::string token;
        while (in >> token) {
            const auto equals = token.find('=');
            if (equals == std::string::npos)
                return "error expected key=value: " + token;
            options[token.substr(0, equals)] = decode(token.substr(equals + 1));
        }
        return openWindow(cl, options);
    }
    if (command == "close" || command == "title" || command == "frame" || command == "minimize" ||
        command == "maximize" || command == "activate" || command == "desktop") {
        std::string id;
        in >> id;
        const auto window = static_cast<xcb_window_t>(std::strtoul(id.c_str(), nullptr, 0));
        if (command == "minimize" || command == "maximize" || command == "activate" || command == "desktop")
            return changeState(cl, command, window);
        if (command == "frame")
            return frameOf(cl, window);
        if (command == "close") {
            std::erase(cl.windows, window);
            xcb_destroy_window(cl.c, window);
            return waitUntil(cl, window, isGone) ? "ok" : "error connection lost";
        }
        std::string value;
        in >> value;
        const std::string title = decode(value);
        setText(cl, window, cl.ewmh._NET_WM_NAME, cl.ewmh.UTF8_STRING, title);
        setText(cl, window, XCB_ATOM_WM_NAME, cl.ewmh.UTF8_STRING, title);
        command = "sync";
    }
    if (command == "sync") {
        std::free(xcb_get_input_focus_reply(cl.c, xcb_get_input_focus(cl.c), nullptr));
        return "ok";
    }
    if (command == "pid")
        return std::to_string(getpid());
    return "error unknown command " + command;
}

// The window manager mode: maps what asks to be mapped, lists it, and
// applies move-resize requests to the client window itself.
int manageWindows(Client& cl) {
    const xcb_window_t root = cl.screen->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    if (xcb_request_check(cl.c, xcb_change_window_attributes_checked(cl.c, root, XCB_CW_EVENT_MASK, &mask)))
        return 1; // another window manager runs
    const xcb_window_t check = xcb_generate_id(cl.c);
    xcb_create_window(cl.c, XCB_COPY_FROM_PARENT, check, root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    for (xcb_window_t w : {root, check})
        setCardinals(cl, w, cl.ewmh._NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, {check});
    std::vector<std::uint32_t> clients;
    xcb_flush(cl.c);
    std::cout << "ready" << std::endl;
    while (xcb_generic_event_t* event = xcb_wait_for_event(cl.c)) {
        const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        if ((event->response_type & 0x7f) == XCB_MAP_REQUEST) {
            const xcb_window_t w = reinterpret_cast<xcb_map_request_event_t*>(event)->window;
            setCardinals(cl, w, cl.wmState, cl.wmState, {XCB_ICCCM_WM_STATE_NORMAL, XCB_NONE});
            xcb_map_window(cl.c, w);
            clients.push_back(w);
            setCardinals(cl, root, cl.ewmh._NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW, clients);
        } else if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                   message->type == cl.ewmh._NET_MOVERESIZE_WINDOW) {
            // North-west gravity without frames: x, y place the border's corner.
            const std::uint32_t* d = message->data.data32;
            std::vector<std::uint32_t> values;
            for (int i = 0; i < 4; ++i)
                if (d[0] & (0x100u << i))
                    values.push_back(d[i + 1]);
            xcb_configure_window(cl.c, message->window, (d[0] >> 8) & 0xf, values.data());
        }
        std::free(event);
        xcb_flush(cl.c);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Client cl;
    cl.c = xcb_connect(nullptr, &cl.screenNumber);
    if (xcb_connection_has_error(cl.c)) {
        std::cerr << "stellwick-testclient: cannot connect to the X server\n";
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(cl.c));
    for (int i = 0; i < cl.screenNumber; ++i)
        xcb_screen_next(&it);
    cl.screen = it.data;
    if (!xcb_ewmh_init_atoms_replies(&cl.ewmh, xcb_ewmh_init_atoms(cl.c, &cl.ewmh), nullptr))
        return 1;
    cl.wmState = atom(cl.c, "WM_STATE");
    cl.gtkId = atom(cl.c, "_GTK_APPLICATION_ID");
    cl.kdeFile = atom(cl.c, "_KDE_NET_WM_DESKTOP_FILE");
    if (argc > 1 && std::string(argv[1]) == "wm")
        return manageWindows(cl);

    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "quit")
            break;
        if (line.empty())
            continue;
        std::cout << run(cl, line) << std::endl;
        // Events the waits did not need.
        while (xcb_generic_event_t* event = xcb_poll_for_event(cl.c))
            std::free(event);
    }
    xcb_ewmh_connection_wipe(&cl.ewmh);
    xcb_disconnect(cl.c);
    return 0;
}
