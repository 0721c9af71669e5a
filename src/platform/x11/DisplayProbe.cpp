#include "platform/x11/DisplayProbe.h"

#include <QtGlobal>
#include <xcb/xcb.h>

namespace stellwick::x11 {

DisplayProbe DisplayProbe::run(const QByteArray& displayName) {
    const QByteArray name = displayName.isEmpty() ? qgetenv("DISPLAY") : displayName;
    if (name.isEmpty()) {
        const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                             qgetenv("XDG_SESSION_TYPE") == QByteArrayLiteral("wayland");
        return {false, wayland ? QStringLiteral("a Wayland session without X11 (DISPLAY is not set)")
                               : QStringLiteral("no X11 display (DISPLAY is not set)")};
    }
    xcb_connection_t* connection = xcb_connect(name.constData(), nullptr);
    const bool opened = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (opened)
        return {true, {}};
    return {false, QStringLiteral("the X11 display %1 cannot be opened").arg(QString::fromLocal8Bit(name))};
}

} // namespace stellwick::x11
