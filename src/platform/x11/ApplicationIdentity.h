#pragma once

// X11 backend only: which application a process is, from its windows.

#include "platform/x11/DesktopEntries.h"
#include "platform/x11/WindowProperties.h"

#include <QString>
#include <optional>

namespace stellwick::x11 {

// What a window says about the application it belongs to.
struct IdentityHints {
    QString gtkApplicationId; // _GTK_APPLICATION_ID
    QString kdeDesktopFile;   // _KDE_NET_WM_DESKTOP_FILE
    WmClass wmClass;
};

struct ApplicationIdentity {
    QString bundleIdentifier; // the desktop-entry id, else the WM_CLASS class
    QString localizedName;    // the entry's Name in the user's language, else the class
    QString iconName;         // the entry's Icon; empty without an entry

    bool operator==(const ApplicationIdentity&) const = default;
};

// The identity rule, in order: the application id a GTK window declares; the
// desktop file a KDE window declares; the desktop entry matching WM_CLASS
// (StartupWMClass, then the entry's file name); else the WM_CLASS class
// itself (the instance when the class is empty). None when the window says
// nothing at all.
std::optional<ApplicationIdentity> identify(const IdentityHints& hints, DesktopEntryIndex& entries,
                                            const QStringList& locales);

} // namespace stellwick::x11
