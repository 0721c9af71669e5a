#pragma once

#include "platform/Accessibility.h"
#include "platform/Clock.h"
#include "platform/x11/ClientFactsCache.h"
#include "platform/x11/ClientWindows.h"
#include "platform/x11/DesktopSpace.h"
#include "platform/x11/WriteSettling.h"
#include "platform/x11/XConnection.h"

#include <map>
#include <memory>
#include <set>

namespace stellwick::x11 {

// Accessibility over X11 and the EWMH conventions. An application element
// stands for a process; its "AXWindows" are the managed windows it owns, front
// to back. A window's position and size are its outer frame (decorations
// included) in the top-left-origin desktop space, and are written through the
// window manager (_NET_MOVERESIZE_WINDOW, north-west gravity) so that a frame
// written is the frame read back. Windows on a workspace not shown now, and
// moves or resizes the window manager does not allow (_NET_WM_ALLOWED_ACTIONS),
// are not settable. X errors become accessibility error codes: a window that
// no longer exists answers invalidUIElement.
class X11Accessibility final : public Accessibility {
public:
    X11Accessibility(XConnection& x, ClientFactsCache& clients, DesktopSpace& space, Clock& clock);
    ~X11Accessibility() override;
    X11Accessibility(const X11Accessibility&) = delete;
    X11Accessibility& operator=(const X11Accessibility&) = delete;

    // True with a live connection to a desktop whose window manager follows
    // EWMH. There is nothing to prompt for on X11.
    bool isProcessTrusted(bool prompt) override;
    AXElement applicationElement(std::int32_t pid) override;
    AXElement systemWideElement() override;
    AXError setMessagingTimeout(const AXElement& element, float seconds) override;
    AXCopyResult copyAttributeValue(const AXElement& element, const QString& attribute) override;
    AXError setAttributeValue(const AXElement& element, const QString& attribute,
                              const AXValue& value) override;
    AXSettableResult isAttributeSettable(const AXElement& element, const QString& attribute) override;
    AXElementResult elementAtPosition(const AXElement& systemWide, float x, float y) override;
    AXPidResult pid(const AXElement& element) override;
    std::optional<Size> sizeIncrements(const AXElement& window) override;
    FixedAxes fixedSizeAxes(const AXElement& window) override;
    // The client window's id.
    std::uint32_t windowNumber(const AXElement& window) override;
    Cancellable whenWriteSettled(const AXElement& window, std::function<void()> settled) override;

private:
    AXCopyResult copyApplicationAttribute(std::int32_t pid, const QString& attribute);
    AXCopyResult copyWindowAttribute(xcb_window_t window, const QString& attribute);
    AXError moveResize(xcb_window_t window, std::optional<Point> origin, std::optional<Size> size);
    // Sends the moves written since the last call, one request per window.
    void sendMoves();

    // Writes of one window made in the same turn of the event loop (position,
    // size, position again) go out together as one request: at the end of
    // the turn, or when the caller starts waiting for them to settle.
    struct PendingMove {
        int flags = 0;
        Rect target; // root coordinates, both halves of the writes combined
        FrameDecoration decoration;
    };

    // Everything the window attributes need, read in one round trip. The
    // questions about one window come in a row (role, subrole, minimized,
    // position, size; or settable, increments, position, size and the
    // writes), so the answer is reused for the same window while nothing was
    // sent or delivered since and it is only just read; a frame read after a
    // write (the verification) always reads the server again.
    ClientFacts windowFacts(xcb_window_t window, bool frameFromServer = false);
    struct RecentFacts {
        ClientFacts facts;
        std::uint64_t generation = 0;
        double at = 0; // the clock's uptime
        bool frameFromServer = false;
    };
    // Whether the window's frame is to be read from the server rather than
    // from what events keep current (the read that verifies a write).
    bool frameFromServer(xcb_window_t window);
    static constexpr double factsReuse = 0.002; // seconds

    XConnection& m_x;
    Clock& m_clock;
    ClientFactsCache& m_clients;
    DesktopSpace& m_space;
    WriteSettling m_settling;
    std::optional<RecentFacts> m_recent;
    std::map<xcb_window_t, PendingMove> m_pending;
    std::set<xcb_window_t> m_written; // not read back since
    bool m_sendQueued = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace stellwick::x11
