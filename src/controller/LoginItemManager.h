#pragma once

#include "platform/LoginItems.h"

namespace stellwick {

// Registration of this application as a login item.
class LoginItemManager {
public:
    explicit LoginItemManager(LoginItems& loginItems)
        : m_loginItems(loginItems) {}

    bool isEnabled() const { return m_loginItems.status() == LoginItemStatus::enabled; }

    // Registers or unregisters as needed; throws PlatformError on refusal.
    void setEnabled(bool enabled);

private:
    LoginItems& m_loginItems;
};

} // namespace stellwick
