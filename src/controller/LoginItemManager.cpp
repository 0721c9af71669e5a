#include "controller/LoginItemManager.h"

namespace stellwick {

void LoginItemManager::setEnabled(bool enabled) {
    const LoginItemStatus status = m_loginItems.status();
    if (enabled) {
        if (status != LoginItemStatus::enabled)
            m_loginItems.registerItem();
    } else {
        if (status != LoginItemStatus::notRegistered)
            m_loginItems.unregisterItem();
    }
}

} // namespace stellwick
