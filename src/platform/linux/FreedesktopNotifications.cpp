#include "platform/linux/FreedesktopNotifications.h"

#include "BuildInfo.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace stellwick::linux_platform {
namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");

QDBusMessage methodCall(const QString& method) {
    return QDBusMessage::createMethodCall(service, path, service, method);
}

} // namespace

FreedesktopNotifications::FreedesktopNotifications(const QDBusConnection& bus, int callTimeoutMs)
    : m_bus(bus)
    , m_callTimeoutMs(callTimeoutMs) {}

// Pending calls' handlers go with this object, unrun.
FreedesktopNotifications::~FreedesktopNotifications() = default;

void FreedesktopNotifications::whenFinished(const QDBusPendingCall& call,
                                            std::function<void(const QDBusPendingCall&)> handler) {
    if (call.isFinished()) {
        // Refused at once (no bus at all): a watcher would never report it.
        QMetaObject::invokeMethod(
            this, [call, handler = std::move(handler)] { handler(call); }, Qt::QueuedConnection);
        return;
    }
    // Watchers are children: they and their handlers go with this object.
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [handler = std::move(handler)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                handler(*finished);
            });
}

void FreedesktopNotifications::whenServiceAnswers(std::function<void(bool)> completion) {
    // Asking the service itself (rather than whether its name has an owner)
    // also starts a daemon that the bus launches on demand.
    whenFinished(
        m_bus.asyncCall(methodCall(QStringLiteral("GetServerInformation")), m_callTimeoutMs),
        [completion = std::move(completion)](const QDBusPendingCall& call) { completion(!call.isError()); });
}

void FreedesktopNotifications::authorizationStatus(
    std::function<void(NotificationAuthorization)> completion) {
    whenServiceAnswers([completion = std::move(completion)](bool answered) {
        completion(answered ? NotificationAuthorization::authorized : NotificationAuthorization::denied);
    });
}

void FreedesktopNotifications::requestAuthorization(std::function<void(bool granted)> completion) {
    // There is nothing to grant: a service that answers shows notifications.
    whenServiceAnswers(std::move(completion));
}

FreedesktopNotifications::Shown* FreedesktopNotifications::find(const QString& identifier) {
    for (Shown& shown : m_shown) {
        if (shown.identifier == identifier)
            return &shown;
    }
    return nullptr;
}

void FreedesktopNotifications::post(const QString& identifier, const QString& title, const QString& body) {
    Shown* shown = find(identifier);
    if (!shown) {
        if (m_shown.size() == rememberedIdentifiers)
            m_shown.pop_front();
        shown = &m_shown.emplace_back();
        shown->identifier = identifier;
    }
    // The server's id for the replacement comes with the answer to the previous post.
    if (shown->inFlight) {
        shown->queued = std::pair{title, body};
        return;
    }
    send(*shown, title, body);
}

void FreedesktopNotifications::send(Shown& shown, const QString& title, const QString& body) {
    shown.inFlight = true;
    QDBusMessage message = methodCall(QStringLiteral("Notify"));
    // The desktop entry lets the desktop group them under Stellwick and apply
    // its per-application notification settings.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QString::fromLatin1(build::appId)}};
    message << QStringLiteral("Stellwick") << shown.serverId << QString::fromLatin1(build::appId) << title
            << body << QStringList() << hints << -1;
    whenFinished(m_bus.asyncCall(message, m_callTimeoutMs),
                 [this, identifier = shown.identifier](const QDBusPendingCall& call) {
                     const QDBusPendingReply<uint> reply = call;
                     sent(identifier, reply.isValid() ? std::optional<uint>(reply.value()) : std::nullopt);
                 });
}

void FreedesktopNotifications::sent(const QString& identifier, std::optional<uint> serverId) {
    Shown* shown = find(identifier);
    if (!shown) // forgotten meanwhile: too many newer identifiers
        return;
    shown->inFlight = false;
    if (serverId)
        shown->serverId = *serverId;
    if (auto queued = std::exchange(shown->queued, std::nullopt))
        send(*shown, queued->first, queued->second);
}

} // namespace stellwick::linux_platform
