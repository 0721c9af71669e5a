#pragma once

#include <QByteArray>
#include <QString>

namespace stellwick::x11 {

// Whether an X11 display can actually be opened, tried with a short-lived
// connection, and if not, why, in words for the user. Asked before any GUI
// platform is initialised: a display that is unset, empty or gone must never
// abort the start.
struct DisplayProbe {
    bool available = false;
    QString reason; // empty when available

    // `displayName` empty: the DISPLAY environment variable.
    static DisplayProbe run(const QByteArray& displayName = {});
};

} // namespace stellwick::x11
