#pragma once

#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/EventMonitors.h"
#include "platform/LoginItems.h"
#include "platform/Screens.h"
#include "platform/UserNotifications.h"
#include "platform/WindowServer.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace stellwick::sim {

using WindowId = int;

// A window of the simulated desktop and how it behaves when read and written.
// Frames are in the top-left-origin desktop space.
struct SimWindow {
    WindowId id = 0;
    std::int32_t pid = 0;
    Rect frame{};
    std::optional<QString> title = QStringLiteral("Window"); // none: the title cannot be read
    QString role = AXRoleValue::window;
    QString subrole = AXRoleValue::standardWindow;
    bool minimized = false;
    bool onCurrentSpace = true; // listed by the window server (when not minimized)
    int layer = WindowLevel::normal;
    bool exists = true; // false once removed: its element answers invalidUIElement

    // Writing.
    bool positionSettable = true;
    bool sizeSettable = true;
    std::optional<AXError> settableQueryError{};
    std::map<QString, AXError> writeErrors{}; // attribute -> code, for every write
    // The origin or size the window actually takes for a requested one.
    std::function<Point(Point)> settlePosition{};
    std::function<Size(Size)> settleSize{};
    std::optional<Size> sizeIncrements{};

    // Reading.
    std::map<QString, AXError> readErrors{}; // attribute -> code
    std::optional<AXError> pidError{};

    // Hit testing: how many elements deep the element under the pointer sits
    // inside the window (0: the window itself), and whether those elements
    // answer "AXWindow".
    int hitDepth = 0;
    bool childrenKnowWindow = true;
};

struct SimWrite {
    WindowId window = 0;
    QString attribute;
    AXValue value;
};

struct SimApplication {
    RunningApplication app;
    std::optional<AXError> windowsReadError;
    bool windowsWrongType = false;
};

struct SimWindowServerExtra {
    WindowServerEntry entry;
    bool desktopElement = false;
};

struct SimNotification {
    QString identifier;
    QString title;
    QString body;
};

// Everything the simulated desktop knows; the adapters read and change it, the
// SimDesktop control interface sets it up.
struct SimWorld {
    // Screens, primary first, frames in the bottom-left-origin space.
    std::vector<PlatformScreen> screens;
    std::optional<std::size_t> mainScreenIndex = 0;

    // Windows front-most first. AXWindows lists an application's windows in
    // the order they were added.
    std::vector<SimWindow> windows;    // z-order
    std::vector<WindowId> windowOrder; // creation order
    WindowId nextWindowId = 1;
    std::vector<SimWindowServerExtra> extraEntries; // listed before the windows
    bool windowListAvailable = true;
    std::vector<SimWrite> writes;
    std::map<WindowId, float> messagingTimeouts;
    std::map<std::int32_t, float> applicationTimeouts;

    std::vector<SimApplication> applications;
    QHash<QString, QImage> icons;
    std::int32_t ownPid = 4242;
    std::int32_t desktopPid = 1; // owner of the element under a point with no window
    std::optional<AXError> hitTestError;
    int activations = 0;

    bool trusted = true;
    int trustPrompts = 0;

    Point mouseLocation;
    std::optional<bool> lastKeyReachedOwnWindows;

    LoginItemStatus loginItemStatus = LoginItemStatus::notRegistered;
    std::optional<QString> loginItemFailure;
    bool loginItemNeedsApproval = false;
    int loginItemRegisterCalls = 0;
    int loginItemUnregisterCalls = 0;

    NotificationAuthorization notificationAuthorization = NotificationAuthorization::authorized;
    bool grantNotificationRequest = true;
    int notificationAuthorizationRequests = 0;
    std::vector<SimNotification> notifications;

    QVariantMap defaults;

    std::optional<QUrl> settingsURL = QUrl(QStringLiteral("https://example.invalid/help/window-access"));
    std::vector<QUrl> openedURLs;

    SimWindow* window(WindowId id);
    const SimWindow* window(WindowId id) const;
    SimApplication* application(std::int32_t pid);
    const SimApplication* application(std::int32_t pid) const;
};

} // namespace stellwick::sim
