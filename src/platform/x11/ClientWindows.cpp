#include "platform/x11/ClientWindows.h"

#include <QSysInfo>
#include <algorithm>
#include <cmath>
#include <xcb/res.h>

namespace stellwick::x11 {
namespace {

xcb_get_property_cookie_t requestProperty(XConnection& x, xcb_window_t window, xcb_atom_t property,
                                          std::uint32_t longs = 64) {
    return xcb_get_property(x.xcb(), 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, longs);
}

xcb_res_query_client_ids_cookie_t requestClientPid(XConnection& x, xcb_window_t window) {
    xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    return xcb_res_query_client_ids(x.xcb(), 1, &wanted);
}

std::optional<std::int32_t> clientPidFrom(XConnection& x, xcb_res_query_client_ids_cookie_t cookie) {
    auto reply = x.fetch(xcb_res_query_client_ids_reply, cookie);
    if (!reply)
        return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) && it.data->length >= 4) {
            const std::uint32_t pid = *xcb_res_client_id_value_value(it.data);
            if (pid > 0)
                return static_cast<std::int32_t>(pid);
        }
    }
    return std::nullopt;
}

std::vector<std::uint32_t> cardinalsOf(XConnection& x, xcb_get_property_cookie_t cookie) {
    auto reply = x.fetch(xcb_get_property_reply, cookie);
    return cardinals(reply.get());
}

const QByteArray& localHostName() {
    static const QByteArray name = QSysInfo::machineHostName().toLocal8Bit();
    return name;
}

struct Cookies {
    xcb_get_geometry_cookie_t geometry{};
    xcb_translate_coordinates_cookie_t position{};
    xcb_get_property_cookie_t extents{}, shadow{}, pid{}, machine{}, types{}, transientFor{}, states{},
        wmState{}, desktop{}, normalHints{}, allowedActions{}, currentDesktop{}, gtkApplicationId{},
        kdeDesktopFile{}, wmClass{}, netName{}, wmName{}, strutPartial{}, strut{};
    xcb_res_query_client_ids_cookie_t clientIds{};
    xcb_get_window_attributes_cookie_t attributes{};
};

void requestDeclaredPid(XConnection& x, xcb_window_t w, Cookies& c) {
    c.pid = requestProperty(x, w, x.ewmh()->_NET_WM_PID, 1);
    c.machine = requestProperty(x, w, XCB_ATOM_WM_CLIENT_MACHINE, 64);
}

Cookies request(XConnection& x, xcb_window_t w, unsigned fields) {
    const xcb_ewmh_connection_t& ewmh = *x.ewmh();
    Cookies c;
    // Always: it tells whether the window still exists.
    c.geometry = xcb_get_geometry(x.xcb(), w);
    if (fields & ClientField::frame) {
        c.position = xcb_translate_coordinates(x.xcb(), w, x.root(), 0, 0);
        c.extents = requestProperty(x, w, ewmh._NET_FRAME_EXTENTS, 4);
        c.shadow = requestProperty(x, w, x.atoms().gtkFrameExtents, 4);
    }
    if (fields & ClientField::owner) {
        if (x.hasClientIds())
            c.clientIds = requestClientPid(x, w);
        else
            requestDeclaredPid(x, w, c);
    }
    if (fields & ClientField::kind) {
        c.types = requestProperty(x, w, ewmh._NET_WM_WINDOW_TYPE, 32);
        c.transientFor = requestProperty(x, w, XCB_ATOM_WM_TRANSIENT_FOR, 1);
    }
    if (fields & ClientField::state) {
        c.states = requestProperty(x, w, ewmh._NET_WM_STATE, 32);
        c.wmState = requestProperty(x, w, x.atoms().wmState, 2);
        c.desktop = requestProperty(x, w, ewmh._NET_WM_DESKTOP, 1);
    }
    if (fields & (ClientField::state | ClientField::ourEvents | ClientField::struts))
        c.attributes = xcb_get_window_attributes(x.xcb(), w);
    if (fields & ClientField::struts) {
        c.strutPartial =
            xcb_get_property(x.xcb(), 0, w, ewmh._NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 0, 12);
        c.strut = xcb_get_property(x.xcb(), 0, w, ewmh._NET_WM_STRUT, XCB_ATOM_CARDINAL, 0, 4);
    }
    if (fields & ClientField::currentDesktop)
        c.currentDesktop = requestProperty(x, x.root(), ewmh._NET_CURRENT_DESKTOP, 1);
    if (fields & ClientField::hints) {
        c.normalHints = requestProperty(x, w, XCB_ATOM_WM_NORMAL_HINTS, 18);
        c.allowedActions = requestProperty(x, w, ewmh._NET_WM_ALLOWED_ACTIONS, 64);
    }
    if (fields & ClientField::identity) {
        c.gtkApplicationId = requestProperty(x, w, x.atoms().gtkApplicationId, 256);
        c.kdeDesktopFile = requestProperty(x, w, x.atoms().kdeDesktopFile, 256);
        c.wmClass = xcb_get_property(x.xcb(), 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    }
    if (fields & ClientField::title) {
        c.netName = xcb_get_property(x.xcb(), 0, w, ewmh._NET_WM_NAME, ewmh.UTF8_STRING, 0, 1024);
        c.wmName = requestProperty(x, w, XCB_ATOM_WM_NAME, 1024);
    }
    return c;
}

std::optional<QString> titleOf(XConnection& x, Cookies& c) {
    const xcb_atom_t utf8 = x.ewmh()->UTF8_STRING;
    auto net = x.fetch(xcb_get_property_reply, c.netName);
    auto legacy = x.fetch(xcb_get_property_reply, c.wmName);
    if (net && net->type == utf8)
        return decodeText(propertyBytes(net.get()), net->type, utf8);
    if (legacy && legacy->type != XCB_ATOM_NONE)
        return decodeText(propertyBytes(legacy.get()), legacy->type, utf8);
    return std::nullopt;
}

QString textOf(XConnection& x, xcb_get_property_cookie_t cookie) {
    auto reply = x.fetch(xcb_get_property_reply, cookie);
    return QString::fromUtf8(propertyBytes(reply.get())).remove(QChar(0));
}

// The process a window declares (_NET_WM_PID), but only for this host.
std::optional<std::int32_t> declaredPid(XConnection& x, Cookies& c) {
    const std::vector<std::uint32_t> declared = cardinalsOf(x, c.pid);
    auto machine = x.fetch(xcb_get_property_reply, c.machine);
    QByteArray host = propertyBytes(machine.get());
    while (host.endsWith('\0'))
        host.chop(1);
    const bool local = host.isEmpty() || host == localHostName();
    if (local && !declared.empty() && declared.front() > 0 && declared.front() <= 0x7fffffff)
        return static_cast<std::int32_t>(declared.front());
    return std::nullopt;
}

// The kernel's word first: X-Resource knows the process on the other end of
// the socket (right also for sandboxed clients whose _NET_WM_PID lives in
// another PID namespace). Otherwise _NET_WM_PID: then read in the same batch
// without X-Resource, in a second one for the few windows it does not know.
std::optional<std::int32_t> ownerPid(XConnection& x, Cookies& c) {
    if (x.hasClientIds())
        return clientPidFrom(x, c.clientIds);
    return declaredPid(x, c);
}

ClientFacts collect(XConnection& x, xcb_window_t w, unsigned fields, Cookies& c) {
    ClientFacts facts;
    facts.window = w;
    auto geometry = x.fetch(xcb_get_geometry_reply, c.geometry);
    facts.error = geometry.error;
    facts.exists = static_cast<bool>(geometry);
    if (fields & ClientField::frame) {
        auto position = x.fetch(xcb_translate_coordinates_reply, c.position);
        facts.decoration.extents = frameExtents(cardinalsOf(x, c.extents));
        facts.decoration.shadow = frameExtents(cardinalsOf(x, c.shadow));
        if (geometry && position) {
            facts.decoration.border = geometry->border_width;
            facts.outer = facts.decoration.outer({double(position->dst_x), double(position->dst_y),
                                                  double(geometry->width), double(geometry->height)});
        } else {
            facts.exists = false;
        }
    }
    if (fields & ClientField::owner)
        facts.pid = ownerPid(x, c);
    if (fields & ClientField::kind) {
        const auto types = cardinalsOf(x, c.types);
        facts.types.assign(types.begin(), types.end());
        facts.transient = !cardinalsOf(x, c.transientFor).empty();
    }
    if (fields & ClientField::state) {
        const auto states = cardinalsOf(x, c.states);
        facts.states.assign(states.begin(), states.end());
        if (const auto wmState = cardinalsOf(x, c.wmState); !wmState.empty())
            facts.wmState = wmState.front();
        if (const auto desktop = cardinalsOf(x, c.desktop); !desktop.empty())
            facts.desktop = desktop.front();
    }
    if (fields & (ClientField::state | ClientField::ourEvents | ClientField::struts)) {
        auto attributes = x.fetch(xcb_get_window_attributes_reply, c.attributes);
        facts.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        facts.ourEvents = attributes ? attributes->your_event_mask : 0;
    }
    if (fields & ClientField::hints) {
        auto normalHints = x.fetch(xcb_get_property_reply, c.normalHints);
        xcb_size_hints_t hints{};
        if (normalHints && xcb_icccm_get_wm_size_hints_from_reply(&hints, normalHints.get()))
            facts.sizeHints = hints;
        auto actions = x.fetch(xcb_get_property_reply, c.allowedActions);
        if (actions && actions->type != XCB_ATOM_NONE) {
            const auto values = cardinals(actions.get());
            facts.allowedActions = std::vector<xcb_atom_t>(values.begin(), values.end());
        }
    }
    if (fields & ClientField::currentDesktop) {
        if (const auto desktop = cardinalsOf(x, c.currentDesktop); !desktop.empty())
            facts.currentDesktop = desktop.front();
    }
    if (fields & ClientField::identity) {
        facts.identity.gtkApplicationId = textOf(x, c.gtkApplicationId);
        facts.identity.kdeDesktopFile = textOf(x, c.kdeDesktopFile);
        auto wmClass = x.fetch(xcb_get_property_reply, c.wmClass);
        facts.identity.wmClass = parseWmClass(propertyBytes(wmClass.get()));
    }
    if (fields & ClientField::title)
        facts.title = titleOf(x, c);
    if (fields & ClientField::struts) {
        facts.strutPartial = cardinalsOf(x, c.strutPartial);
        facts.strut = cardinalsOf(x, c.strut);
    }
    return facts;
}

} // namespace

bool ClientFacts::hasState(xcb_atom_t atom) const {
    return std::find(states.begin(), states.end(), atom) != states.end();
}

bool ClientFacts::onDesktop(std::optional<std::uint32_t> current) const {
    return !desktop || !current || *desktop == allDesktops || *desktop == *current;
}

std::vector<ClientFacts> readClients(XConnection& x, const std::vector<xcb_window_t>& windows,
                                     unsigned fields) {
    std::vector<std::pair<xcb_window_t, unsigned>> asked;
    asked.reserve(windows.size());
    for (xcb_window_t w : windows)
        asked.emplace_back(w, fields);
    return readClients(x, asked);
}

std::vector<ClientFacts> readClients(XConnection& x,
                                     const std::vector<std::pair<xcb_window_t, unsigned>>& windows) {
    std::vector<Cookies> cookies;
    cookies.reserve(windows.size());
    for (const auto& [w, fields] : windows)
        cookies.push_back(request(x, w, fields));
    std::vector<ClientFacts> facts;
    facts.reserve(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i)
        facts.push_back(collect(x, windows[i].first, windows[i].second, cookies[i]));
    if (x.hasClientIds()) {
        std::vector<std::size_t> unknown;
        for (std::size_t i = 0; i < facts.size(); ++i) {
            if ((windows[i].second & ClientField::owner) && facts[i].exists && !facts[i].pid) {
                unknown.push_back(i);
                requestDeclaredPid(x, windows[i].first, cookies[i]);
            }
        }
        for (std::size_t i : unknown)
            facts[i].pid = declaredPid(x, cookies[i]);
    }
    return facts;
}

ClientFacts readClient(XConnection& x, xcb_window_t window, unsigned fields) {
    return readClients(x, {window}, fields).front();
}

std::optional<std::int32_t> localClientPid(XConnection& x, xcb_window_t window) {
    if (!x.hasClientIds())
        return std::nullopt;
    return clientPidFrom(x, requestClientPid(x, window));
}

XResult<xcb_get_property_reply_t> readProperty(XConnection& x, xcb_window_t window, xcb_atom_t property,
                                               std::uint32_t longs) {
    return x.fetch(xcb_get_property_reply, requestProperty(x, window, property, longs));
}

namespace {

// How far a client can sit below the root's child: deep enough for
// reparenting window managers (frame, plate, client).
constexpr int reparentingDepth = 4;

} // namespace

std::optional<xcb_window_t> clientInside(XConnection& x, xcb_window_t topLevel) {
    std::vector<xcb_window_t> level{topLevel};
    for (int depth = 0; depth < reparentingDepth && !level.empty(); ++depth) {
        std::vector<xcb_get_property_cookie_t> states;
        std::vector<xcb_query_tree_cookie_t> trees;
        for (xcb_window_t w : level) {
            states.push_back(
                xcb_get_property(x.xcb(), 0, w, x.atoms().wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0));
            trees.push_back(xcb_query_tree(x.xcb(), w));
        }
        std::vector<xcb_window_t> next;
        std::optional<xcb_window_t> found;
        for (std::size_t i = 0; i < level.size(); ++i) {
            auto state = x.fetch(xcb_get_property_reply, states[i]);
            auto tree = x.fetch(xcb_query_tree_reply, trees[i]);
            if (!found && state && state->type != XCB_ATOM_NONE)
                found = level[i];
            if (tree) {
                const xcb_window_t* children = xcb_query_tree_children(tree.get());
                next.insert(next.end(), children, children + xcb_query_tree_children_length(tree.get()));
            }
        }
        if (found)
            return found;
        level = std::move(next);
    }
    return std::nullopt;
}

std::optional<xcb_window_t> clientAt(XConnection& x, Point root) {
    const auto coordinate = [](double v) {
        return std::int16_t(std::clamp(std::floor(v), -32768.0, 32767.0));
    };
    auto hit = x.fetch(
        xcb_translate_coordinates_reply,
        xcb_translate_coordinates(x.xcb(), x.root(), x.root(), coordinate(root.x), coordinate(root.y)));
    if (!hit || hit->child == XCB_WINDOW_NONE)
        return std::nullopt;
    return clientInside(x, hit->child);
}

namespace {

// The plain client list is in mapping order; the server's own stacking of the
// root's children (each client's frame, or the client without one) gives the
// order on screen. Pipelined: one round of requests per level of nesting.
std::vector<std::uint32_t> inServerStackingOrder(XConnection& x, std::vector<std::uint32_t> clients) {
    std::vector<xcb_window_t> topLevel(clients.begin(), clients.end());
    std::vector<bool> resolved(clients.size(), false);
    for (int depth = 0; depth < reparentingDepth; ++depth) {
        std::vector<std::optional<xcb_query_tree_cookie_t>> trees;
        for (std::size_t i = 0; i < clients.size(); ++i)
            trees.push_back(resolved[i] ? std::nullopt : std::optional(xcb_query_tree(x.xcb(), topLevel[i])));
        bool pending = false;
        for (std::size_t i = 0; i < clients.size(); ++i) {
            if (!trees[i])
                continue;
            auto tree = x.fetch(xcb_query_tree_reply, *trees[i]);
            if (!tree || tree->parent == x.root() || tree->parent == XCB_WINDOW_NONE) {
                resolved[i] = true;
                continue;
            }
            topLevel[i] = tree->parent;
            pending = true;
        }
        if (!pending)
            break;
    }
    auto rootTree = x.fetch(xcb_query_tree_reply, xcb_query_tree(x.xcb(), x.root()));
    if (!rootTree)
        return clients;
    const xcb_window_t* children = xcb_query_tree_children(rootTree.get());
    const xcb_window_t* end = children + xcb_query_tree_children_length(rootTree.get());
    std::vector<std::pair<std::ptrdiff_t, std::uint32_t>> ranked;
    for (std::size_t i = 0; i < clients.size(); ++i)
        ranked.emplace_back(std::find(children, end, topLevel[i]) - children, clients[i]);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < ranked.size(); ++i)
        clients[i] = ranked[i].second;
    return clients;
}

} // namespace

std::vector<xcb_window_t> clientsFrontToBack(XConnection& x) {
    auto reply = readProperty(x, x.root(), x.ewmh()->_NET_CLIENT_LIST_STACKING, 65536);
    std::vector<std::uint32_t> stacking = cardinals(reply.get());
    if (stacking.empty()) {
        // A manager without a stacking list (xfwm4): the plain list, ordered
        // as the server stacks the windows.
        reply = readProperty(x, x.root(), x.ewmh()->_NET_CLIENT_LIST, 65536);
        stacking = inServerStackingOrder(x, cardinals(reply.get()));
    }
    return std::vector<xcb_window_t>(stacking.rbegin(), stacking.rend());
}

std::optional<std::uint32_t> currentDesktop(XConnection& x) {
    auto reply = readProperty(x, x.root(), x.ewmh()->_NET_CURRENT_DESKTOP, 1);
    const auto values = cardinals(reply.get());
    return values.empty() ? std::nullopt : std::optional(values.front());
}

xcb_window_t activeWindow(XConnection& x) {
    auto reply = readProperty(x, x.root(), x.ewmh()->_NET_ACTIVE_WINDOW, 1);
    const auto values = cardinals(reply.get());
    return values.empty() ? xcb_window_t(XCB_WINDOW_NONE) : xcb_window_t(values.front());
}

} // namespace stellwick::x11
