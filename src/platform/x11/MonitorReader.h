#pragma once

// X11 backend only: the monitors of the X screen and the space docks reserve.

#include "platform/x11/MonitorLayout.h"
#include "platform/x11/XConnection.h"

#include <QByteArray>

namespace stellwick::x11 {

// The RandR monitors (or the whole root window when the server has no RandR
// 1.5). With `withIdentity` each monitor's EDID is read for its UUID.
MonitorLayout readMonitorLayout(XConnection& x, bool withIdentity);

// The EDID block of a RandR output; empty when it has none.
QByteArray readEdid(XConnection& x, std::uint32_t output);

// The struts of the mapped managed windows (docks and panels).
std::vector<Strut> readStruts(XConnection& x, double rootWidth, double rootHeight);

} // namespace stellwick::x11
