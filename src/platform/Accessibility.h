#pragma once

#include "model/Geometry.h"
#include "platform/Cancellable.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace stellwick {

// Error codes of accessibility calls; 0 is success.
using AXError = std::int32_t;
namespace AXErrorCode {
inline constexpr AXError success = 0;
inline constexpr AXError failure = -25200;
inline constexpr AXError illegalArgument = -25201;
inline constexpr AXError invalidUIElement = -25202;
inline constexpr AXError cannotComplete = -25204;
inline constexpr AXError attributeUnsupported = -25205;
inline constexpr AXError notImplemented = -25208;
inline constexpr AXError apiDisabled = -25211;
inline constexpr AXError noValue = -25212;
} // namespace AXErrorCode

namespace AXAttribute {
inline const QString windows = QStringLiteral("AXWindows");
inline const QString role = QStringLiteral("AXRole");
inline const QString subrole = QStringLiteral("AXSubrole");
inline const QString minimized = QStringLiteral("AXMinimized");
inline const QString position = QStringLiteral("AXPosition");
inline const QString size = QStringLiteral("AXSize");
inline const QString title = QStringLiteral("AXTitle");
inline const QString parent = QStringLiteral("AXParent");
inline const QString window = QStringLiteral("AXWindow");
} // namespace AXAttribute

namespace AXRoleValue {
inline const QString window = QStringLiteral("AXWindow");
inline const QString standardWindow = QStringLiteral("AXStandardWindow");
inline const QString dialog = QStringLiteral("AXDialog");
inline const QString floatingWindow = QStringLiteral("AXFloatingWindow");
inline const QString systemDialog = QStringLiteral("AXSystemDialog");
inline const QString unknown = QStringLiteral("AXUnknown");
} // namespace AXRoleValue

// An element of another application's interface: an application, a window, a
// control, or the system-wide element. Each backend derives its own kind; the
// logic only passes them back. Shared, so a descriptor keeps its window alive.
class AXElementData {
public:
    virtual ~AXElementData() = default;
};
using AXElement = std::shared_ptr<const AXElementData>;

// Boxed geometry values, as the position and size attributes carry them.
struct AXPointValue {
    Point point;
    bool operator==(const AXPointValue&) const = default;
};
struct AXSizeValue {
    Size size;
    bool operator==(const AXSizeValue&) const = default;
};
// A value of a kind the system has no use for.
struct AXOtherValue {
    bool operator==(const AXOtherValue&) const = default;
};

// An attribute value: nothing, a Boolean, a number, a string, a boxed point or
// size, an element, a list of elements, or something else.
using AXValue = std::variant<std::monostate, bool, std::int64_t, double, QString, AXPointValue, AXSizeValue,
                             AXElement, std::vector<AXElement>, AXOtherValue>;

struct AXCopyResult {
    AXError error = AXErrorCode::success;
    AXValue value;
};

struct AXSettableResult {
    AXError error = AXErrorCode::success;
    bool settable = false;
};

struct AXElementResult {
    AXError error = AXErrorCode::success;
    AXElement element;
};

struct AXPidResult {
    AXError error = AXErrorCode::success;
    std::int32_t pid = 0;
};

// Reading and moving other applications' windows. All calls are synchronous,
// on the main thread, and bounded by the element's messaging timeout.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Whether this process may read and move other applications' windows. With
    // `prompt` the platform may ask the user for the permission.
    virtual bool isProcessTrusted(bool prompt) = 0;

    virtual AXElement applicationElement(std::int32_t pid) = 0;
    virtual AXElement systemWideElement() = 0;
    virtual AXError setMessagingTimeout(const AXElement& element, float seconds) = 0;

    virtual AXCopyResult copyAttributeValue(const AXElement& element, const QString& attribute) = 0;
    virtual AXError setAttributeValue(const AXElement& element, const QString& attribute,
                                      const AXValue& value) = 0;
    virtual AXSettableResult isAttributeSettable(const AXElement& element, const QString& attribute) = 0;
    // The deepest element under a point of the top-left-origin desktop space.
    virtual AXElementResult elementAtPosition(const AXElement& systemWide, float x, float y) = 0;
    virtual AXPidResult pid(const AXElement& element) = 0;

    // The resize increments a window declares (terminals snap to character
    // cells); none when it declares none.
    virtual std::optional<Size> sizeIncrements(const AXElement& window) = 0;

    // Axes along which a window keeps its size whatever is asked (its minimum
    // equals its maximum there).
    struct FixedAxes {
        bool width = false;
        bool height = false;
        bool operator==(const FixedAxes&) const = default;
    };
    virtual FixedAxes fixedSizeAxes(const AXElement&) { return {}; }

    // The number the window server lists this window under
    // (WindowServerEntry::windowNumber); 0 when unknown.
    virtual std::uint32_t windowNumber(const AXElement&) { return 0; }

    // Calls `settled` on the main thread once a frame just written to `window`
    // had its chance to take effect: at the latest on a later turn of the event
    // loop, possibly later when the platform reports the window manager's
    // answer (bounded). Destroying the handle before then cancels the call.
    [[nodiscard]] virtual Cancellable whenWriteSettled(const AXElement& window,
                                                       std::function<void()> settled) = 0;
};

} // namespace stellwick
