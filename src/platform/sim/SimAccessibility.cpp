#include "platform/sim/SimAccessibility.h"

#include <algorithm>

namespace stellwick::sim {
namespace {

const SimElement* simElement(const AXElement& element) {
    return dynamic_cast<const SimElement*>(element.get());
}

AXElement makeElement(SimElement::Kind kind, std::int32_t pid, WindowId window = 0, int depth = 0) {
    auto element = std::make_shared<SimElement>();
    element->kind = kind;
    element->pid = pid;
    element->window = window;
    element->depth = depth;
    return element;
}

} // namespace

SimAccessibility::SimAccessibility(SimWorld& world, Clock& clock)
    : m_world(world)
    , m_clock(clock) {}

bool SimAccessibility::isProcessTrusted(bool prompt) {
    if (prompt)
        ++m_world.trustPrompts;
    return m_world.trusted;
}

AXElement SimAccessibility::applicationElement(std::int32_t pid) {
    return makeElement(SimElement::Kind::application, pid);
}

AXElement SimAccessibility::systemWideElement() {
    return makeElement(SimElement::Kind::systemWide, 0);
}

AXElement SimAccessibility::windowElement(WindowId id) const {
    const SimWindow* window = m_world.window(id);
    return makeElement(SimElement::Kind::window, window ? window->pid : 0, id);
}

AXError SimAccessibility::setMessagingTimeout(const AXElement& element, float seconds) {
    const SimElement* e = simElement(element);
    if (!e)
        return AXErrorCode::illegalArgument;
    if (e->kind == SimElement::Kind::application)
        m_world.applicationTimeouts[e->pid] = seconds;
    else if (e->kind == SimElement::Kind::window)
        m_world.messagingTimeouts[e->window] = seconds;
    return AXErrorCode::success;
}

AXCopyResult SimAccessibility::copyAttributeValue(const AXElement& element, const QString& attribute) {
    const SimElement* e = simElement(element);
    if (!e)
        return {AXErrorCode::illegalArgument, {}};
    switch (e->kind) {
    case SimElement::Kind::systemWide:
        return {AXErrorCode::attributeUnsupported, {}};
    case SimElement::Kind::application:
        return copyApplicationAttribute(*e, attribute);
    case SimElement::Kind::window: {
        const SimWindow* window = m_world.window(e->window);
        if (!window || !window->exists)
            return {AXErrorCode::invalidUIElement, {}};
        return copyWindowAttribute(*window, attribute);
    }
    case SimElement::Kind::child:
        return copyChildAttribute(*e, attribute);
    case SimElement::Kind::desktop:
        if (attribute == AXAttribute::role)
            return {AXErrorCode::success, QStringLiteral("AXScrollArea")};
        if (attribute == AXAttribute::parent)
            return {AXErrorCode::success, applicationElement(m_world.desktopPid)};
        return {AXErrorCode::attributeUnsupported, {}};
    }
    return {AXErrorCode::failure, {}};
}

AXCopyResult SimAccessibility::copyApplicationAttribute(const SimElement& element, const QString& attribute) {
    const SimApplication* app = m_world.application(element.pid);
    if (attribute == AXAttribute::windows) {
        if (app && app->windowsReadError)
            return {*app->windowsReadError, {}};
        if (app && app->windowsWrongType)
            return {AXErrorCode::success, QStringLiteral("not a list")};
        std::vector<AXElement> list;
        for (WindowId id : m_world.windowOrder) {
            const SimWindow* window = m_world.window(id);
            if (window && window->exists && window->pid == element.pid)
                list.push_back(windowElement(id));
        }
        return {AXErrorCode::success, list};
    }
    if (attribute == AXAttribute::role)
        return {AXErrorCode::success, QStringLiteral("AXApplication")};
    if (attribute == AXAttribute::title && app && app->app.localizedName)
        return {AXErrorCode::success, *app->app.localizedName};
    if (attribute == AXAttribute::parent)
        return {AXErrorCode::noValue, {}};
    return {AXErrorCode::attributeUnsupported, {}};
}

AXCopyResult SimAccessibility::copyWindowAttribute(const SimWindow& window, const QString& attribute) {
    if (auto error = window.readErrors.find(attribute); error != window.readErrors.end())
        return {error->second, {}};
    if (attribute == AXAttribute::role)
        return {AXErrorCode::success, window.role};
    if (attribute == AXAttribute::subrole)
        return {AXErrorCode::success, window.subrole};
    if (attribute == AXAttribute::minimized)
        return {AXErrorCode::success, window.minimized};
    if (attribute == AXAttribute::position)
        return {AXErrorCode::success, AXPointValue{window.frame.origin()}};
    if (attribute == AXAttribute::size)
        return {AXErrorCode::success, AXSizeValue{window.frame.size()}};
    if (attribute == AXAttribute::title) {
        if (!window.title)
            return {AXErrorCode::noValue, {}};
        return {AXErrorCode::success, *window.title};
    }
    if (attribute == AXAttribute::parent)
        return {AXErrorCode::success, applicationElement(window.pid)};
    return {AXErrorCode::attributeUnsupported, {}};
}

AXCopyResult SimAccessibility::copyChildAttribute(const SimElement& element, const QString& attribute) {
    const SimWindow* window = m_world.window(element.window);
    if (!window || !window->exists)
        return {AXErrorCode::invalidUIElement, {}};
    if (attribute == AXAttribute::role)
        return {AXErrorCode::success, QStringLiteral("AXGroup")};
    if (attribute == AXAttribute::window) {
        if (!window->childrenKnowWindow)
            return {AXErrorCode::attributeUnsupported, {}};
        return {AXErrorCode::success, windowElement(window->id)};
    }
    if (attribute == AXAttribute::parent) {
        if (element.depth <= 1)
            return {AXErrorCode::success, windowElement(window->id)};
        return {AXErrorCode::success,
                makeElement(SimElement::Kind::child, window->pid, window->id, element.depth - 1)};
    }
    return {AXErrorCode::attributeUnsupported, {}};
}

AXError SimAccessibility::setAttributeValue(const AXElement& element, const QString& attribute,
                                            const AXValue& value) {
    const SimElement* e = simElement(element);
    if (!e || e->kind != SimElement::Kind::window)
        return AXErrorCode::illegalArgument;
    SimWindow* window = m_world.window(e->window);
    if (!window || !window->exists)
        return AXErrorCode::invalidUIElement;
    if (auto error = window->writeErrors.find(attribute); error != window->writeErrors.end())
        return error->second;
    if (attribute == AXAttribute::position) {
        const auto* point = std::get_if<AXPointValue>(&value);
        if (!point)
            return AXErrorCode::illegalArgument;
        const Point origin = window->settlePosition ? window->settlePosition(point->point) : point->point;
        window->frame.x = origin.x;
        window->frame.y = origin.y;
    } else if (attribute == AXAttribute::size) {
        const auto* size = std::get_if<AXSizeValue>(&value);
        if (!size)
            return AXErrorCode::illegalArgument;
        const Size settled = window->settleSize ? window->settleSize(size->size) : size->size;
        window->frame.width = settled.width;
        window->frame.height = settled.height;
    } else {
        return AXErrorCode::attributeUnsupported;
    }
    m_world.writes.push_back({window->id, attribute, value});
    return AXErrorCode::success;
}

AXSettableResult SimAccessibility::isAttributeSettable(const AXElement& element, const QString& attribute) {
    const SimElement* e = simElement(element);
    if (!e || e->kind != SimElement::Kind::window)
        return {AXErrorCode::illegalArgument, false};
    const SimWindow* window = m_world.window(e->window);
    if (!window || !window->exists)
        return {AXErrorCode::invalidUIElement, false};
    if (window->settableQueryError)
        return {*window->settableQueryError, false};
    if (attribute == AXAttribute::position)
        return {AXErrorCode::success, window->positionSettable};
    if (attribute == AXAttribute::size)
        return {AXErrorCode::success, window->sizeSettable};
    return {AXErrorCode::success, false};
}

AXElementResult SimAccessibility::elementAtPosition(const AXElement& systemWide, float x, float y) {
    const SimElement* e = simElement(systemWide);
    if (!e || e->kind != SimElement::Kind::systemWide)
        return {AXErrorCode::illegalArgument, {}};
    if (m_world.hitTestError)
        return {*m_world.hitTestError, {}};
    const Point point{x, y};
    for (const SimWindow& window : m_world.windows) {
        if (!window.exists || window.minimized || !window.onCurrentSpace || !window.frame.contains(point))
            continue;
        if (window.hitDepth > 0)
            return {AXErrorCode::success,
                    makeElement(SimElement::Kind::child, window.pid, window.id, window.hitDepth)};
        return {AXErrorCode::success, windowElement(window.id)};
    }
    return {AXErrorCode::success, makeElement(SimElement::Kind::desktop, m_world.desktopPid)};
}

AXPidResult SimAccessibility::pid(const AXElement& element) {
    const SimElement* e = simElement(element);
    if (!e || e->kind == SimElement::Kind::systemWide)
        return {AXErrorCode::illegalArgument, 0};
    if (e->kind == SimElement::Kind::window || e->kind == SimElement::Kind::child) {
        const SimWindow* window = m_world.window(e->window);
        if (!window || !window->exists)
            return {AXErrorCode::invalidUIElement, 0};
        if (window->pidError)
            return {*window->pidError, 0};
        return {AXErrorCode::success, window->pid};
    }
    return {AXErrorCode::success, e->pid};
}

std::optional<Size> SimAccessibility::sizeIncrements(const AXElement& element) {
    const SimElement* e = simElement(element);
    const SimWindow* window = e ? m_world.window(e->window) : nullptr;
    return window ? window->sizeIncrements : std::nullopt;
}

Cancellable SimAccessibility::whenWriteSettled(const AXElement&, std::function<void()> settled) {
    return m_clock.schedule(0, std::move(settled));
}

} // namespace stellwick::sim
