#include "dbus/ControlClient.h"

#include "dbus/ControlNames.h"
#include "model/Uuid.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace stellwick {

ControlClient::ControlClient(QDBusConnection bus)
    : m_bus(std::move(bus)) {
    registerProfileSummaryTypes();
}

bool ControlClient::instanceIsRunning() const {
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    const QDBusReply<bool> owned = m_bus.interface()->isServiceRegistered(control::serviceName());
    return owned.isValid() && owned.value();
}

bool ControlClient::waitForInstance(int timeoutMs) const {
    if (instanceIsRunning())
        return true;
    if (!m_bus.isConnected())
        return false;
    QDBusServiceWatcher watcher(control::serviceName(), m_bus, QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    // The name may have been taken between the first look and the watch.
    if (!instanceIsRunning())
        loop.exec();
    return instanceIsRunning();
}

ControlClient::Reply ControlClient::call(const QString& method, const QVariantList& arguments,
                                         int timeoutMs) const {
    QDBusMessage message = QDBusMessage::createMethodCall(control::serviceName(), control::objectPath(),
                                                          control::interfaceName(), method);
    message.setArguments(arguments);
    const QDBusMessage answer = m_bus.call(message, QDBus::Block, timeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage)
        return Reply{false, answer.errorMessage().isEmpty() ? answer.errorName() : answer.errorMessage(), {}};
    return Reply{true, {}, answer.arguments()};
}

std::optional<QVariant> ControlClient::property(const QString& name) const {
    QDBusMessage message = QDBusMessage::createMethodCall(control::serviceName(), control::objectPath(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
    message << control::interfaceName() << name;
    const QDBusMessage answer = m_bus.call(message);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
        return std::nullopt;
    return answer.arguments().first().value<QDBusVariant>().variant();
}

std::optional<ProfileSummaryList> ControlClient::profiles() const {
    const std::optional<QVariant> value = property(QStringLiteral("Profiles"));
    if (!value)
        return std::nullopt;
    ProfileSummaryList list;
    value->value<QDBusArgument>() >> list;
    return list;
}

ProfileMatch matchProfile(const ProfileSummaryList& profiles, const QString& nameOrId) {
    if (const std::optional<QUuid> id = parseCanonicalUuid(nameOrId)) {
        for (const ProfileSummary& profile : profiles) {
            if (parseCanonicalUuid(profile.id) == id)
                return {profile, {}};
        }
    }
    std::optional<ProfileSummary> found;
    int count = 0;
    for (const ProfileSummary& profile : profiles) {
        if (profile.name == nameOrId) {
            found = profile;
            ++count;
        }
    }
    if (count == 1)
        return {found, {}};
    if (count > 1) {
        return {std::nullopt,
                QStringLiteral("「%1」という名前のプロファイルが%2個あります。IDで指定してください。")
                    .arg(nameOrId)
                    .arg(count)};
    }
    return {std::nullopt, QStringLiteral("プロファイル「%1」が見つかりません。").arg(nameOrId)};
}

} // namespace stellwick
