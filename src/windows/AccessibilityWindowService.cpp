#include "windows/AccessibilityWindowService.h"

namespace stellwick {

AccessibilityWindowService::AccessibilityWindowService(Platform platform)
    : m_platform(platform)
{
}

bool AccessibilityWindowService::isTrusted(bool prompt) { return m_platform.accessibility.isProcessTrusted(prompt); }

} // namespace stellwick
