#pragma once

#include "dbus/ProfileSummary.h"

#include <QDBusConnection>
#include <QString>
#include <QVariant>
#include <optional>

namespace stellwick {

// Talks to the running instance over the session bus, for the command line.
// Calls block: the command line has nothing else to do meanwhile.
class ControlClient {
public:
    explicit ControlClient(QDBusConnection bus);

    // Whether an instance owns the application's bus name.
    bool instanceIsRunning() const;
    // Waits up to `timeoutMs` for an instance to take the name.
    bool waitForInstance(int timeoutMs) const;

    struct Reply {
        bool ok = false;
        QString error; // the error message when not ok
        QVariantList values;
    };
    Reply call(const QString& method, const QVariantList& arguments = {}, int timeoutMs = 25000) const;
    std::optional<QVariant> property(const QString& name) const;
    std::optional<ProfileSummaryList> profiles() const;

private:
    QDBusConnection m_bus;
};

// A profile named on the command line by its id or by a name only it has.
struct ProfileMatch {
    std::optional<ProfileSummary> profile;
    QString error; // why nothing matched, when nothing did
};
ProfileMatch matchProfile(const ProfileSummaryList& profiles, const QString& nameOrId);

} // namespace stellwick
