#pragma once

#include "platform/Cancellable.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace stellwick {

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

// A running application as the platform knows it at the moment of asking.
struct RunningApplication {
    std::int32_t processIdentifier = 0;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool isTerminated = false;

    bool operator==(const RunningApplication&) const = default;
};

class Applications {
public:
    virtual ~Applications() = default;

    virtual std::optional<RunningApplication> runningApplication(std::int32_t pid) const = 0;
    // Every running instance with that bundle identifier, oldest first.
    virtual std::vector<RunningApplication> runningApplications(const QString& bundleIdentifier) const = 0;
    // The icon of the installed application; none when no such application is known.
    virtual std::optional<QImage> applicationIcon(const QString& bundleIdentifier) const = 0;

    // The application a window of that process belongs to (one process may
    // host windows of several applications), by the window's number; the
    // process's own application without a number.
    virtual std::optional<RunningApplication> applicationOfWindow(std::int32_t pid,
                                                                  std::uint32_t /*windowNumber*/) const {
        return runningApplication(pid);
    }

    virtual std::int32_t currentProcessIdentifier() const = 0;
    // Brings this application's windows to the front.
    virtual void activateCurrentApplication() = 0;

    // Called on the main thread for each application that starts.
    [[nodiscard]] virtual Cancellable
    subscribeApplicationLaunches(std::function<void(const RunningApplication&)> handler) = 0;
};

} // namespace stellwick
