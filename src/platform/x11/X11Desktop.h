#pragma once

#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Clock.h"
#include "platform/EventMonitors.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <memory>

namespace stellwick::x11 {

class XConnection;

// The desktop services of an X11 session, over one connection to the X server
// whose events the Qt event loop delivers: screens, the window list, window
// access, running applications and desktop-wide event monitors. Everything on
// the main thread; the services live as long as this object.
class X11Desktop {
public:
    // Connects to `displayName` (empty: $DISPLAY). Always gives a desktop:
    // without a display (or a Wayland session without X11) its services report
    // no screens, no windows and no trust, and only the local event monitors
    // work. `clock` bounds the waits for the window manager.
    static std::unique_ptr<X11Desktop> open(Clock& clock, const QByteArray& displayName = {});
    ~X11Desktop();

    // Under a Wayland session (XDG_SESSION_TYPE=wayland, or WAYLAND_DISPLAY
    // set) the X server is XWayland, which shows the windows of X11
    // applications only: this line tells the user what works and what does
    // not. Empty outside such a session.
    static QString
    sessionNotice(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    // A usable X connection. Trust also needs an EWMH window manager.
    bool isConnected() const;

    Screens& screens();
    WindowServer& windowServer();
    Accessibility& accessibility();
    Applications& applications();
    EventMonitors& eventMonitors();

    // The connection itself, for this backend's tests and tools; null when
    // not connected.
    XConnection* connection();

private:
    struct Services;
    explicit X11Desktop(std::unique_ptr<Services> services);
    std::unique_ptr<Services> m_services;
};

} // namespace stellwick::x11
