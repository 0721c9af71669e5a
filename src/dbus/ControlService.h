#pragma once

#include "async/TaskGroup.h"
#include "controller/ProbeViewModel.h"
#include "dbus/ProfileSummary.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QSet>

namespace stellwick {

// The controller on the session bus, for desktop shortcuts and scripts. Every
// method calls the controller action of the same meaning, so statuses, saving
// and refusals are the controller's own; malformed or unknown profile ids are
// refused with an InvalidArgs error and change nothing. Properties follow the
// controller and announce changes with org.freedesktop.DBus.Properties.PropertiesChanged.
class ControlService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.stellwick.Stellwick")
    Q_PROPERTY(QString StatusKind READ statusKind)
    Q_PROPERTY(QString StatusTitle READ statusTitle)
    Q_PROPERTY(QString StatusDetail READ statusDetail)
    Q_PROPERTY(QString StatusMessage READ statusMessage)
    Q_PROPERTY(bool IsTrusted READ isTrusted)
    Q_PROPERTY(QString SelectedProfileID READ selectedProfileID)
    Q_PROPERTY(stellwick::ProfileSummaryList Profiles READ profiles)
    Q_PROPERTY(bool ApplyAfterLoginEnabled READ applyAfterLoginEnabled)
    Q_PROPERTY(bool ApplyOnDisplayChangeEnabled READ applyOnDisplayChangeEnabled)
    Q_PROPERTY(bool IsLoginItemEnabled READ isLoginItemEnabled)

public:
    ControlService(ProbeViewModel& controller, Clock& clock, QObject* parent = nullptr);
    ~ControlService() override;

    // Exports the object at the control path on `bus`; false when the path is taken.
    bool registerOn(QDBusConnection bus);

    QString statusKind() const;
    QString statusTitle() const;
    QString statusDetail() const;
    QString statusMessage() const;
    bool isTrusted() const;
    QString selectedProfileID() const;
    ProfileSummaryList profiles() const;
    bool applyAfterLoginEnabled() const;
    bool applyOnDisplayChangeEnabled() const;
    bool isLoginItemEnabled() const;

public slots:
    void ApplySelectedProfile();
    // Applies and answers when the apply has finished: whether it ran (false
    // when another apply was running), the status kind and the status line.
    bool RestoreSelectedProfile(QString& statusKind, QString& statusMessage);
    void SelectProfile(const QString& id);
    void CreateProfile(const QString& name);
    void RenameProfile(const QString& id, const QString& name);
    void DeleteProfile(const QString& id);
    void SetApplyAfterLoginEnabled(bool enabled);
    void SetApplyOnDisplayChangeEnabled(bool enabled);
    void SetLoginItemEnabled(bool enabled);
    void RefreshPermissionStatus();
    // Brings the application's window forward (a second start asks for this).
    void Show();
    void Quit();

signals:
    void showRequested();
    void quitRequested();

private:
    // The profile with that id, or an InvalidArgs reply and none.
    std::optional<QUuid> knownProfile(const QString& id);
    void noteChanged(std::initializer_list<const char*> properties);
    void announceChanges();
    static Task<void> replyWhenRestored(QPointer<ControlService> self, QDBusMessage request);

    ProbeViewModel& m_controller;
    Clock& m_clock;
    QDBusConnection m_bus;
    QVariantMap m_announced; // the values last announced, to send only real changes
    QSet<QString> m_pending;
    Cancellable m_flush;
    int m_statusChanges = 0;
    TaskGroup m_tasks; // last: destroyed first
};

} // namespace stellwick
