#include "dbus/ControlService.h"

#include "dbus/ControlNames.h"
#include "model/Uuid.h"

#include <QDBusMessage>
#include <string_view>

namespace stellwick {
namespace {

static_assert(std::string_view(build::appId) == "org.stellwick.Stellwick",
              "the D-Bus interface name in ControlService must follow the application id");

QString kindName(AppStatusKind kind) {
    switch (kind) {
    case AppStatusKind::information:
        return QStringLiteral("information");
    case AppStatusKind::success:
        return QStringLiteral("success");
    case AppStatusKind::warning:
        return QStringLiteral("warning");
    case AppStatusKind::error:
        return QStringLiteral("error");
    }
    return QString();
}

} // namespace

ControlService::ControlService(ProbeViewModel& controller, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_clock(clock)
    , m_bus(QString())
    , m_tasks(clock) {
    registerProfileSummaryTypes();
    connect(&controller, &ProbeViewModel::statusChanged, this, [this] {
        ++m_statusChanges;
        noteChanged({"StatusKind", "StatusTitle", "StatusDetail"});
    });
    connect(&controller, &ProbeViewModel::statusMessageChanged, this,
            [this] { noteChanged({"StatusMessage"}); });
    connect(&controller, &ProbeViewModel::isTrustedChanged, this, [this] { noteChanged({"IsTrusted"}); });
    connect(&controller, &ProbeViewModel::stateChanged, this, [this] {
        noteChanged({"SelectedProfileID", "Profiles"});
    });
    connect(&controller, &ProbeViewModel::applyAfterLoginEnabledChanged, this,
            [this] { noteChanged({"ApplyAfterLoginEnabled"}); });
    connect(&controller, &ProbeViewModel::applyOnDisplayChangeEnabledChanged, this,
            [this] { noteChanged({"ApplyOnDisplayChangeEnabled"}); });
    connect(&controller, &ProbeViewModel::isLoginItemEnabledChanged, this,
            [this] { noteChanged({"IsLoginItemEnabled"}); });
}

ControlService::~ControlService() {
    if (m_bus.isConnected())
        m_bus.unregisterObject(control::objectPath());
}

bool ControlService::registerOn(QDBusConnection bus) {
    m_bus = bus;
    // Remember what a client sees now, so that only real changes are announced.
    for (const char* name :
         {"StatusKind", "StatusTitle", "StatusDetail", "StatusMessage", "IsTrusted", "SelectedProfileID",
          "Profiles", "ApplyAfterLoginEnabled", "ApplyOnDisplayChangeEnabled", "IsLoginItemEnabled"})
        m_announced.insert(QString::fromLatin1(name), property(name));
    return bus.registerObject(control::objectPath(), this,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
}

QString ControlService::statusKind() const {
    return kindName(m_controller.status().kind);
}
QString ControlService::statusTitle() const {
    return m_controller.status().title;
}
QString ControlService::statusDetail() const {
    return m_controller.status().detail.value_or(QString());
}
QString ControlService::statusMessage() const {
    return m_controller.statusMessage();
}
bool ControlService::isTrusted() const {
    return m_controller.isTrusted();
}
QString ControlService::selectedProfileID() const {
    return canonicalUuidString(m_controller.state().selectedProfileID);
}
bool ControlService::applyAfterLoginEnabled() const {
    return m_controller.applyAfterLoginEnabled();
}
bool ControlService::applyOnDisplayChangeEnabled() const {
    return m_controller.applyOnDisplayChangeEnabled();
}
bool ControlService::isLoginItemEnabled() const {
    return m_controller.isLoginItemEnabled();
}

ProfileSummaryList ControlService::profiles() const {
    ProfileSummaryList list;
    for (const LayoutProfile& profile : m_controller.state().profiles)
        list.append(
            {canonicalUuidString(profile.id), profile.name, static_cast<uint>(profile.placements.size())});
    return list;
}

void ControlService::ApplySelectedProfile() {
    m_controller.applySelectedProfile();
}

bool ControlService::RestoreSelectedProfile(QString&, QString&) {
    setDelayedReply(true);
    m_tasks.spawn(replyWhenRestored(QPointer<ControlService>(this), message()));
    return false;
}

Task<void> ControlService::replyWhenRestored(QPointer<ControlService> self, QDBusMessage request) {
    if (!self)
        co_return;
    const int changesBefore = self->m_statusChanges;
    Task<std::int64_t> apply = self->m_controller.restoreSelectedProfile(std::nullopt);
    co_await std::move(apply);
    if (!self)
        co_return;
    // An apply that found another one running returns without a status.
    const bool applied = self->m_statusChanges != changesBefore;
    self->m_bus.send(request.createReply({applied, self->statusKind(), self->statusMessage()}));
}

std::optional<QUuid> ControlService::knownProfile(const QString& id) {
    const std::optional<QUuid> uuid = parseCanonicalUuid(id);
    if (!uuid) {
        sendErrorReply(QDBusError::InvalidArgs,
                       QStringLiteral("プロファイルIDの形式が正しくありません: \"%1\"").arg(id));
        return std::nullopt;
    }
    for (const LayoutProfile& profile : m_controller.state().profiles) {
        if (profile.id == *uuid)
            return uuid;
    }
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("そのIDのプロファイルはありません: %1").arg(id));
    return std::nullopt;
}

void ControlService::SelectProfile(const QString& id) {
    if (const auto uuid = knownProfile(id))
        m_controller.selectProfile(*uuid);
}

void ControlService::CreateProfile(const QString& name) {
    m_controller.createProfile(name);
}

void ControlService::RenameProfile(const QString& id, const QString& name) {
    if (const auto uuid = knownProfile(id))
        m_controller.renameProfile(*uuid, name);
}

void ControlService::DeleteProfile(const QString& id) {
    if (const auto uuid = knownProfile(id))
        m_controller.deleteProfile(*uuid);
}

void ControlService::SetApplyAfterLoginEnabled(bool enabled) {
    m_controller.setApplyAfterLoginEnabled(enabled);
}

void ControlService::SetApplyOnDisplayChangeEnabled(bool enabled) {
    m_controller.setApplyOnDisplayChangeEnabled(enabled);
}

void ControlService::SetLoginItemEnabled(bool enabled) {
    m_controller.setLoginItemEnabled(enabled);
}

void ControlService::RefreshPermissionStatus() {
    m_controller.refreshPermissionStatus();
}

void ControlService::Show() {
    emit showRequested();
}

void ControlService::Quit() {
    emit quitRequested();
}

void ControlService::noteChanged(std::initializer_list<const char*> properties) {
    for (const char* name : properties)
        m_pending.insert(QString::fromLatin1(name));
    // One announcement per turn of the event loop, however many fields changed.
    if (!m_flush)
        m_flush = m_clock.schedule(0, [this] { announceChanges(); });
}

void ControlService::announceChanges() {
    m_flush = Cancellable();
    QVariantMap changed;
    for (const QString& name : std::exchange(m_pending, {})) {
        const QVariant value = property(name.toLatin1().constData());
        if (m_announced.value(name) == value)
            continue;
        m_announced.insert(name, value);
        changed.insert(name, value);
    }
    if (changed.isEmpty() || !m_bus.isConnected())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(control::objectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << control::interfaceName() << changed << QStringList();
    m_bus.send(signal);
}

} // namespace stellwick
