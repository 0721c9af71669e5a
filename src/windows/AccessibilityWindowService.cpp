#include "windows/AccessibilityWindowService.h"

#include "windows/AXValueHelpers.h"
#include "windows/OnScreenWindowIndex.h"

#include <cmath>

namespace stellwick {
namespace {

// The hit element and at most this many less one of its ancestors are
// examined for the window that holds it.
constexpr int maximumHitAncestry = 12;

const QString clickedElement = QStringLiteral("クリックした要素");

AXElement elementValue(const AXCopyResult& result) {
    if (result.error != AXErrorCode::success)
        return {};
    const auto* element = std::get_if<AXElement>(&result.value);
    return element ? *element : AXElement();
}

} // namespace

AccessibilityWindowService::AccessibilityWindowService(Platform platform)
    : m_platform(platform) {}

bool AccessibilityWindowService::isTrusted(bool prompt) {
    return m_platform.accessibility.isProcessTrusted(prompt);
}

QString AccessibilityWindowService::stringAttribute(const QString& attribute, const AXElement& element) {
    const AXCopyResult result = m_platform.accessibility.copyAttributeValue(element, attribute);
    if (result.error != AXErrorCode::success)
        throw WindowServiceError::attributeUnavailable(attribute, result.error);
    const auto* text = std::get_if<QString>(&result.value);
    if (!text)
        throw WindowServiceError::attributeUnavailable(attribute, AXErrorCode::success);
    return *text;
}

std::optional<QString> AccessibilityWindowService::optionalStringAttribute(const QString& attribute,
                                                                           const AXElement& element) {
    try {
        return stringAttribute(attribute, element);
    } catch (const WindowServiceError&) {
        return std::nullopt;
    }
}

std::optional<Rect> AccessibilityWindowService::readFrame(const AXElement& element) {
    const AXCopyResult position = m_platform.accessibility.copyAttributeValue(element, AXAttribute::position);
    if (position.error != AXErrorCode::success)
        return std::nullopt;
    const AXCopyResult size = m_platform.accessibility.copyAttributeValue(element, AXAttribute::size);
    if (size.error != AXErrorCode::success)
        return std::nullopt;
    const auto origin = AXValueHelpers::pointFromValue(position.value);
    const auto extent = AXValueHelpers::sizeFromValue(size.value);
    if (!origin || !extent)
        return std::nullopt;
    return Rect::fromOriginSize(*origin, *extent);
}

bool AccessibilityWindowService::isStandardWindow(const AXElement& element) {
    return optionalStringAttribute(AXAttribute::role, element) == AXRoleValue::window &&
           optionalStringAttribute(AXAttribute::subrole, element) == AXRoleValue::standardWindow;
}

bool AccessibilityWindowService::isMinimized(const AXElement& window) {
    // Only a readable true counts: an unreadable state is taken as not minimized.
    const AXCopyResult result = m_platform.accessibility.copyAttributeValue(window, AXAttribute::minimized);
    const auto* minimized = std::get_if<bool>(&result.value);
    return result.error == AXErrorCode::success && minimized && *minimized;
}

QString AccessibilityWindowService::titleOf(const AXElement& window) {
    const std::optional<QString> title = optionalStringAttribute(AXAttribute::title, window);
    return title && !title->isEmpty() ? *title : untitledWindowTitle;
}

std::vector<WindowDescriptor>
AccessibilityWindowService::movableWindows(const RunningApplication& application) {
    if (!isTrusted(false))
        throw WindowServiceError::permissionRequired();
    Accessibility& ax = m_platform.accessibility;
    const AXElement appElement = ax.applicationElement(application.processIdentifier);
    ax.setMessagingTimeout(appElement, messagingTimeout);

    const AXCopyResult list = ax.copyAttributeValue(appElement, AXAttribute::windows);
    if (list.error != AXErrorCode::success)
        throw WindowServiceError::attributeUnavailable(AXAttribute::windows, list.error);
    const auto* windows = std::get_if<std::vector<AXElement>>(&list.value);
    if (!windows)
        throw WindowServiceError::attributeUnavailable(AXAttribute::windows, AXErrorCode::success);

    // One snapshot for all windows: only those shown now, in this workspace, count.
    const OnScreenWindowIndex onScreen = OnScreenWindowIndex::current(m_platform.windowServer);
    std::vector<WindowDescriptor> movable;
    for (std::size_t i = 0; i < windows->size(); ++i) {
        const AXElement& window = (*windows)[i];
        if (!window || !isStandardWindow(window) || isMinimized(window))
            continue;
        const std::optional<Rect> frame = readFrame(window);
        const std::uint32_t number = ax.windowNumber(window);
        if (!frame ||
            !onScreen.containsWindow(application.processIdentifier, *frame,
                                     OnScreenWindowIndex::positionalTolerance, number) ||
            !belongsTo(application, number))
            continue;
        movable.push_back({static_cast<int>(i), titleOf(window), *frame, window});
    }
    return movable;
}

bool AccessibilityWindowService::belongsTo(const RunningApplication& application,
                                           std::uint32_t windowNumber) {
    // A process hosting several applications: only the windows of this one.
    if (!application.bundleIdentifier || windowNumber == 0)
        return true;
    const auto owner =
        m_platform.applications.applicationOfWindow(application.processIdentifier, windowNumber);
    return owner && owner->bundleIdentifier == application.bundleIdentifier;
}

AccessibilityWindowService::WindowAtPoint AccessibilityWindowService::windowAtPoint(Point point) {
    if (!isTrusted(false))
        throw WindowServiceError::permissionRequired();
    if (auto found = windowFromWindowServer(point))
        return *found;
    return windowFromHitTest(point);
}

std::optional<AccessibilityWindowService::WindowAtPoint>
AccessibilityWindowService::windowFromWindowServer(Point point) {
    const OnScreenWindowIndex onScreen = OnScreenWindowIndex::current(m_platform.windowServer);
    const std::int32_t ownPid = m_platform.applications.currentProcessIdentifier();
    const auto application = onScreen.applicationAt(point, ownPid, m_platform.applications);
    if (!application)
        return std::nullopt;
    for (WindowDescriptor& window : movableWindows(*application)) {
        if (window.frame.contains(point))
            return WindowAtPoint{*application, std::move(window)};
    }
    return std::nullopt;
}

AccessibilityWindowService::WindowAtPoint AccessibilityWindowService::windowFromHitTest(Point point) {
    Accessibility& ax = m_platform.accessibility;
    const float x = static_cast<float>(point.x);
    const float y = static_cast<float>(point.y);
    // A point that is no position on any desktop never reaches the platform.
    if (!std::isfinite(x) || !std::isfinite(y))
        throw WindowServiceError::attributeUnavailable(clickedElement, AXErrorCode::illegalArgument);
    const AXElementResult hit = ax.elementAtPosition(ax.systemWideElement(), x, y);
    if (hit.error != AXErrorCode::success || !hit.element)
        throw WindowServiceError::attributeUnavailable(clickedElement, hit.error);

    const AXElement window = windowOfHitElement(hit.element);
    const AXPidResult owner = ax.pid(window);
    if (owner.error != AXErrorCode::success ||
        owner.pid == m_platform.applications.currentProcessIdentifier())
        throw WindowServiceError::noMovableWindows();
    const auto application = m_platform.applications.applicationOfWindow(owner.pid, ax.windowNumber(window));
    if (!application || application->isTerminated ||
        application->activationPolicy != ActivationPolicy::regular || !isStandardWindow(window))
        throw WindowServiceError::noMovableWindows();
    const std::optional<Rect> frame = readFrame(window);
    if (!frame)
        throw WindowServiceError::noMovableWindows();
    return WindowAtPoint{*application, WindowDescriptor{0, titleOf(window), *frame, window}};
}

AXElement AccessibilityWindowService::windowOfHitElement(const AXElement& hit) {
    Accessibility& ax = m_platform.accessibility;
    if (AXElement window = elementValue(ax.copyAttributeValue(hit, AXAttribute::window)))
        return window;
    AXElement element = hit;
    for (int examined = 1;; ++examined) {
        if (optionalStringAttribute(AXAttribute::role, element) == AXRoleValue::window)
            return element;
        if (examined == maximumHitAncestry)
            throw WindowServiceError::noMovableWindows();
        element = elementValue(ax.copyAttributeValue(element, AXAttribute::parent));
        if (!element)
            throw WindowServiceError::noMovableWindows();
    }
}

} // namespace stellwick
