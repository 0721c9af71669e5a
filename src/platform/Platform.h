#pragma once

#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Clock.h"
#include "platform/EventMonitors.h"
#include "platform/LoginItems.h"
#include "platform/RestorationLog.h"
#include "platform/Screens.h"
#include "platform/SettingsLink.h"
#include "platform/UserDefaults.h"
#include "platform/UserNotifications.h"
#include "platform/WindowServer.h"

namespace stellwick {

// The platform services the logic reaches, all outliving their users. The
// running application wires the real Linux ones; tests wire a simulated desktop.
struct Platform {
    Clock& clock;
    Screens& screens;
    WindowServer& windowServer;
    Accessibility& accessibility;
    Applications& applications;
    EventMonitors& eventMonitors;
    LoginItems& loginItems;
    UserNotifications& notifications;
    UserDefaults& defaults;
    SettingsLink& settingsLink;
    RestorationLog& restorationLog;
};

} // namespace stellwick
