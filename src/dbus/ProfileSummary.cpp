#include "dbus/ProfileSummary.h"

#include <QDBusMetaType>

namespace stellwick {

QDBusArgument& operator<<(QDBusArgument& argument, const ProfileSummary& summary) {
    argument.beginStructure();
    argument << summary.id << summary.name << summary.placementCount;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ProfileSummary& summary) {
    argument.beginStructure();
    argument >> summary.id >> summary.name >> summary.placementCount;
    argument.endStructure();
    return argument;
}

void registerProfileSummaryTypes() {
    qDBusRegisterMetaType<ProfileSummary>();
    qDBusRegisterMetaType<ProfileSummaryList>();
}

} // namespace stellwick
