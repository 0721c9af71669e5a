#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>

namespace stellwick {

// One profile as the control interface lists it: D-Bus signature (ssu).
struct ProfileSummary {
    QString id; // upper-case UUID
    QString name;
    uint placementCount = 0;

    bool operator==(const ProfileSummary&) const = default;
};
using ProfileSummaryList = QList<ProfileSummary>;

QDBusArgument& operator<<(QDBusArgument& argument, const ProfileSummary& summary);
const QDBusArgument& operator>>(const QDBusArgument& argument, ProfileSummary& summary);

// Registers the types with Qt's meta-type and D-Bus systems; call once before use.
void registerProfileSummaryTypes();

} // namespace stellwick

Q_DECLARE_METATYPE(stellwick::ProfileSummary)
Q_DECLARE_METATYPE(stellwick::ProfileSummaryList)
