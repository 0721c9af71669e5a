#pragma once

#include "async/Task.h"
#include "model/Geometry.h"
#include "platform/Platform.h"
#include "windows/ArrangementResult.h"
#include "windows/WindowDescriptor.h"
#include "windows/WindowServiceError.h"

#include <QString>
#include <optional>
#include <vector>

namespace stellwick {

// The one place that reads and moves other applications' windows: whether we
// may, which windows of an application may be moved, which window lies under
// a point, and moving windows into an area with verification. Holds no state
// between calls. Main thread only; frames and points in the top-left-origin
// desktop space.
class AccessibilityWindowService {
public:
    // Bounds each read from an application that does not answer (seconds).
    static constexpr float messagingTimeout = 1.5f;
    inline static const QString untitledWindowTitle = QStringLiteral("名称なし");

    explicit AccessibilityWindowService(Platform platform);

    // Whether this process may read and move other applications' windows;
    // with `prompt` the platform may ask the user.
    bool isTrusted(bool prompt);

    // The application's standard, unminimized windows that are on screen in
    // the current workspace, in its own window-list order; ids are positions in
    // that list. Throws WindowServiceError (permission, unreadable window list).
    std::vector<WindowDescriptor> movableWindows(const RunningApplication& application);

    struct WindowAtPoint {
        RunningApplication application;
        WindowDescriptor window;
    };
    // The standard window of a regular application under the point, never one
    // of this process. Throws WindowServiceError.
    WindowAtPoint windowAtPoint(Point point);

    // Cascades the windows inside `area` and restores each in turn; a window
    // that fails, whatever the failure, is counted as skipped. Throws noMovableWindows for an empty list.
    Task<ArrangementResult> arrangeWindows(std::vector<WindowDescriptor> windows, Rect area);
    // Writes the frame, waits, reads it back and retries until it matches.
    // Throws WindowServiceError, or CancellationError when the task is
    // cancelled during a pause (the earlier frame is then written back).
    Task<void> restoreFrame(AXElement element, Rect target);
    // Position, size, position. Throws WindowServiceError at the first refusal.
    void writeFrame(const AXElement& element, const Rect& frame);

    // The attribute as a string; throws attributeUnavailable (code 0 when the
    // value is not a string).
    QString stringAttribute(const QString& attribute, const AXElement& element);
    // Position and size; none when either cannot be read.
    std::optional<Rect> readFrame(const AXElement& element);
    bool isStandardWindow(const AXElement& element);

private:
    std::optional<QString> optionalStringAttribute(const QString& attribute, const AXElement& element);
    QString titleOf(const AXElement& window);
    bool isMinimized(const AXElement& window);
    bool belongsTo(const RunningApplication& application, std::uint32_t windowNumber);
    std::optional<WindowAtPoint> windowFromWindowServer(Point point);
    WindowAtPoint windowFromHitTest(Point point);
    AXElement windowOfHitElement(const AXElement& hit);
    bool isSettable(const AXElement& element, const QString& attribute);

    Platform m_platform;
};

} // namespace stellwick
