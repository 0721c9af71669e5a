#include "platform/sim/SimSessionServices.h"

#include "platform/PlatformError.h"

namespace stellwick::sim {

void SimLoginItems::registerItem() {
    ++m_world.loginItemRegisterCalls;
    if (m_world.loginItemFailure)
        throw PlatformError(*m_world.loginItemFailure);
    m_world.loginItemStatus =
        m_world.loginItemNeedsApproval ? LoginItemStatus::requiresApproval : LoginItemStatus::enabled;
}

void SimLoginItems::unregisterItem() {
    ++m_world.loginItemUnregisterCalls;
    if (m_world.loginItemFailure)
        throw PlatformError(*m_world.loginItemFailure);
    m_world.loginItemStatus = LoginItemStatus::notRegistered;
}

void SimNotifications::later(std::function<void()> work) {
    std::erase_if(m_pending, [](const Cancellable& c) { return !c; });
    m_pending.push_back(m_clock.schedule(0, std::move(work)));
}

void SimNotifications::authorizationStatus(std::function<void(NotificationAuthorization)> completion) {
    const NotificationAuthorization status = m_world.notificationAuthorization;
    later([completion = std::move(completion), status] { completion(status); });
}

void SimNotifications::requestAuthorization(std::function<void(bool granted)> completion) {
    ++m_world.notificationAuthorizationRequests;
    const bool granted = m_world.grantNotificationRequest;
    m_world.notificationAuthorization =
        granted ? NotificationAuthorization::authorized : NotificationAuthorization::denied;
    later([completion = std::move(completion), granted] { completion(granted); });
}

void SimNotifications::post(const QString& identifier, const QString& title, const QString& body) {
    m_world.notifications.push_back({identifier, title, body});
}

std::optional<bool> SimDefaults::boolValue(const QString& key) const {
    const QVariant value = m_world.defaults.value(key);
    if (value.typeId() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

std::optional<double> SimDefaults::doubleValue(const QString& key) const {
    const QVariant value = m_world.defaults.value(key);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toDouble();
    default:
        return std::nullopt;
    }
}

} // namespace stellwick::sim
