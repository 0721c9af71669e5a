#include "platform/x11/X11EventMonitors.h"

#include "platform/x11/ClientWindows.h"

#include <unistd.h>
#include <xcb/xinput.h>

namespace stellwick::x11 {
namespace {

constexpr std::uint32_t escapeKeysym = 0xff1b; // XK_Escape
constexpr std::uint32_t leftButton = 1;
// Deep enough for frame, client and an embedded tray icon.
constexpr int pointerPathDepth = 6;

std::uint64_t maskOf(const InputEvent& event) {
    return std::uint64_t{1} << static_cast<int>(event.type);
}

} // namespace

X11EventMonitors::X11EventMonitors(XConnection* x, DesktopSpace* space)
    : m_x(x)
    , m_space(space) {
    if (m_x)
        m_events = m_x->addEventHandler([this](const xcb_generic_event_t& event) { onEvent(event); });
}

X11EventMonitors::~X11EventMonitors() {
    *m_alive = false;
    selectRawEvents(false);
}

Cancellable X11EventMonitors::addGlobalMonitor(std::uint64_t mask,
                                               std::function<void(const InputEvent&)> handler) {
    auto inner = std::make_shared<Cancellable>(m_global.add({mask, std::move(handler)}));
    selectRawEvents(true);
    std::weak_ptr<bool> alive = m_alive;
    return Cancellable([this, alive, inner] {
        inner->cancel();
        // Nobody listens: stop the server from sending every key and click.
        if (alive.lock() && m_global.empty())
            selectRawEvents(false);
    });
}

Cancellable
X11EventMonitors::addLocalMonitor(std::uint64_t mask,
                                  std::function<std::optional<InputEvent>(const InputEvent&)> handler) {
    return m_local.add(mask, std::move(handler));
}

void X11EventMonitors::selectRawEvents(bool on) {
    if (!m_x || !m_x->xinputOpcode() || !m_x->isAlive() || on == m_selected)
        return;
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{
        {XCB_INPUT_DEVICE_ALL_MASTER, 1},
        on ? std::uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS)
           : 0u};
    xcb_input_xi_select_events(m_x->xcb(), m_x->root(), 1, &mask.head);
    m_x->flush();
    m_selected = on;
}

void X11EventMonitors::onEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        m_escapeKeycodes.reset();
        return;
    }
    if (type != XCB_GE_GENERIC || m_global.empty())
        return;
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != m_x->xinputOpcode())
        return;
    if (generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
        const auto& press = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
        if (press.detail != leftButton)
            return;
        // Raw events carry no position: read it now, before anything moves.
        const std::optional<Point> root = pointerRoot();
        if (!root || pointerOverOwnWindow())
            return;
        const MonitorLayout& layout = m_space->layout();
        m_clickLocation = layout.toBottomLeft(layout.toDesktop(*root));
        deliverGlobal({InputEventType::leftMouseDown, 0});
        m_clickLocation.reset();
    } else if (generic.event_type == XCB_INPUT_RAW_KEY_PRESS) {
        const auto& press = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
        if (focusOnOwnWindow())
            return; // the local monitors see it
        const auto keycode = static_cast<xcb_keycode_t>(press.detail);
        const std::uint16_t code = escapeKeycodes().contains(keycode)
                                       ? KeyCode::escape
                                       : static_cast<std::uint16_t>(0x100 | keycode);
        deliverGlobal({InputEventType::keyDown, code});
    }
}

void X11EventMonitors::deliverGlobal(const InputEvent& event) {
    m_global.forEach([&](const std::pair<std::uint64_t, std::function<void(const InputEvent&)>>& monitor) {
        if (monitor.first & maskOf(event))
            monitor.second(event);
    });
}

std::optional<Point> X11EventMonitors::pointerRoot() const {
    if (!m_x || !m_x->isAlive())
        return std::nullopt;
    auto pointer = m_x->fetch(xcb_query_pointer_reply, xcb_query_pointer(m_x->xcb(), m_x->root()));
    if (!pointer)
        return std::nullopt;
    return Point{double(pointer->root_x), double(pointer->root_y)};
}

Point X11EventMonitors::mouseLocation() const {
    if (m_clickLocation)
        return *m_clickLocation;
    const std::optional<Point> root = pointerRoot();
    if (!root)
        return {};
    const MonitorLayout& layout = m_space->layout();
    return layout.toBottomLeft(layout.toDesktop(*root));
}

bool X11EventMonitors::pointerOverOwnWindow() {
    // The windows under the pointer from the top-level down: the window
    // manager's frame, the client, anything embedded in it.
    std::vector<xcb_window_t> path;
    xcb_window_t window = m_x->root();
    for (int depth = 0; depth < pointerPathDepth; ++depth) {
        auto pointer = m_x->fetch(xcb_query_pointer_reply, xcb_query_pointer(m_x->xcb(), window));
        if (!pointer || pointer->child == XCB_WINDOW_NONE)
            break;
        window = pointer->child;
        path.push_back(window);
    }
    // The window manager's frame around our window (its title bar) counts too.
    if (!path.empty()) {
        if (const auto client = clientInside(*m_x, path.front()))
            path.push_back(*client);
    }
    return isOwn(path);
}

bool X11EventMonitors::focusOnOwnWindow() {
    auto focus = m_x->fetch(xcb_get_input_focus_reply, xcb_get_input_focus(m_x->xcb()));
    std::vector<xcb_window_t> windows;
    if (focus && focus->focus != XCB_WINDOW_NONE && focus->focus != XCB_INPUT_FOCUS_POINTER_ROOT &&
        focus->focus != m_x->root())
        windows.push_back(focus->focus);
    if (const xcb_window_t active = activeWindow(*m_x); active != XCB_WINDOW_NONE)
        windows.push_back(active);
    return isOwn(windows);
}

bool X11EventMonitors::isOwn(const std::vector<xcb_window_t>& windows) {
    const auto own = static_cast<std::int32_t>(::getpid());
    for (xcb_window_t window : windows) {
        if (localClientPid(*m_x, window) == own)
            return true;
    }
    // Without X-Resource: the process a managed window declares.
    for (const ClientFacts& client : readClients(*m_x, windows, ClientField::owner)) {
        if (client.pid == own)
            return true;
    }
    return false;
}

const std::set<xcb_keycode_t>& X11EventMonitors::escapeKeycodes() {
    if (m_escapeKeycodes)
        return *m_escapeKeycodes;
    m_escapeKeycodes.emplace();
    const xcb_setup_t* setup = xcb_get_setup(m_x->xcb());
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto mapping = m_x->fetch(xcb_get_keyboard_mapping_reply,
                              xcb_get_keyboard_mapping(m_x->xcb(), setup->min_keycode, std::uint8_t(count)));
    if (!mapping)
        return *m_escapeKeycodes;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKeycode = mapping->keysyms_per_keycode;
    const int total = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
    for (int i = 0; i < total; ++i) {
        if (keysyms[i] == escapeKeysym && perKeycode > 0)
            m_escapeKeycodes->insert(static_cast<xcb_keycode_t>(setup->min_keycode + i / perKeycode));
    }
    return *m_escapeKeycodes;
}

} // namespace stellwick::x11
