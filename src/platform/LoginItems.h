#pragma once

namespace stellwick {

enum class LoginItemStatus { notRegistered, enabled, requiresApproval, notFound };

// Registration of this application to start when the user logs in.
class LoginItems {
public:
    virtual ~LoginItems() = default;

    virtual LoginItemStatus status() const = 0;
    // Both throw PlatformError with the platform's description on refusal.
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};

} // namespace stellwick
