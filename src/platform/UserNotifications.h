#pragma once

#include <QString>
#include <functional>

namespace stellwick {

enum class NotificationAuthorization { notDetermined, denied, authorized, provisional, ephemeral };

// The desktop's notification service. Completions arrive later on the main
// thread (never inside the call) and must not touch controller state.
class UserNotifications {
public:
    virtual ~UserNotifications() = default;

    virtual void authorizationStatus(std::function<void(NotificationAuthorization)> completion) = 0;
    // Asks for permission to show alerts.
    virtual void requestAuthorization(std::function<void(bool granted)> completion) = 0;
    // Shows a notification now; a later one with the same identifier replaces it.
    virtual void post(const QString& identifier, const QString& title, const QString& body) = 0;
};

} // namespace stellwick
