#pragma once

#include "platform/linux/Appcast.h"

#include <variant>

namespace stellwick::linux_platform {

// What one update check found.
struct UpToDate {
    VersionNumber currentVersion;
};
struct UpdateAvailable {
    VersionNumber currentVersion;
    AppcastItem release;
};
struct UpdateCheckFailed {
    // A readable sentence for the update window.
    QString description;
};

using UpdateCheckResult = std::variant<UpToDate, UpdateAvailable, UpdateCheckFailed>;

// Shows update checks to the user.
class UpdatePresenter {
public:
    virtual ~UpdatePresenter() = default;

    // A check the user asked for has begun.
    virtual void showChecking() = 0;
    virtual void showResult(const UpdateCheckResult& result) = 0;
};

} // namespace stellwick::linux_platform
