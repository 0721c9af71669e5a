#pragma once

#include "BuildInfo.h"

#include <QString>

namespace stellwick::control {

// The session-bus name and the interface are the application id; the object
// path is the id with its dots turned into slashes.
inline QString serviceName() {
    return QString::fromLatin1(build::appId);
}
inline QString interfaceName() {
    return QString::fromLatin1(build::appId);
}
inline QString objectPath() {
    return QLatin1Char('/') + QString::fromLatin1(build::appId).replace(QLatin1Char('.'), QLatin1Char('/'));
}

} // namespace stellwick::control
