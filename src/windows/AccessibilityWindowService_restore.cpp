// Moving windows: arranging an application's windows in an area and restoring
// each window's frame with verification, traced in the restoration log.

#include "async/Awaitables.h"
#include "windows/AXValueHelpers.h"
#include "windows/AccessibilityWindowService.h"
#include "windows/CascadeLayout.h"
#include "windows/WindowFrameRestorer.h"

#include <exception>
#include <limits>
#include <memory>

namespace stellwick {
namespace {

using Policy = WindowFrameRestorationPolicy;
using Operation = WindowFrameUpdate::Operation;

const QString positionAndSize = QStringLiteral("位置とサイズ");

QString describe(const std::optional<Rect>& frame) {
    return frame ? frame->describe() : QStringLiteral("nil");
}

QString describe(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const WindowServiceError& error) {
        return error.localizedDescription();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
}

// The first verification waits for the window manager's answer to the writes;
// later ones pause a little. A cancelled pause is recorded as the failure.
Task<bool> pauseBeforeMeasuring(Platform platform, AXElement window, int attempt,
                                std::shared_ptr<std::exception_ptr> failure) {
    if (attempt == 1) {
        // Named, not a temporary of the co_await expression: GCC 12 destroys
        // such temporaries twice.
        WaitForCallback settled([&platform, &window](std::function<void()> done) {
            return platform.accessibility.whenWriteSettled(window, std::move(done));
        });
        co_await settled;
        co_return true;
    }
    try {
        co_await sleepFor(platform.clock, Policy::retryDelay);
    } catch (const CancellationError&) {
        *failure = std::current_exception();
        co_return false;
    }
    co_return true;
}

} // namespace

Task<ArrangementResult> AccessibilityWindowService::arrangeWindows(std::vector<WindowDescriptor> windows,
                                                                   Rect area) {
    if (windows.empty())
        throw WindowServiceError::noMovableWindows();
    const std::vector<Rect> frames =
        CascadeLayout::frames(static_cast<int>(windows.size()), area, CascadeLayout::cascadeStep,
                              CascadeLayout::cascadeMaximumOffset);
    ArrangementResult result;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        try {
            Task<void> restore = restoreFrame(windows[i].element, frames[i]);
            co_await std::move(restore);
            ++result.arrangedCount;
        } catch (...) {
            // Refused, cancelled (the remaining windows still get their first
            // attempt) or any other failure of this one window: it is skipped,
            // and arranged + skipped always adds up to the windows given.
            ++result.skippedCount;
        }
    }
    co_return result;
}

bool AccessibilityWindowService::isSettable(const AXElement& element, const QString& attribute) {
    const AXSettableResult result = m_platform.accessibility.isAttributeSettable(element, attribute);
    return result.error == AXErrorCode::success && result.settable;
}

Task<void> AccessibilityWindowService::restoreFrame(AXElement element, Rect target) {
    RestorationLog& log = m_platform.restorationLog;
    const std::optional<Rect> before = readFrame(element);
    const AXPidResult owner = m_platform.accessibility.pid(element);
    const QString pid = QString::number(owner.error == AXErrorCode::success ? owner.pid : 0);
    log.info(QStringLiteral("restore start pid=%1 before=%2 target=%3")
                 .arg(pid, describe(before), target.describe()));

    if (!isSettable(element, AXAttribute::position) || !isSettable(element, AXAttribute::size))
        throw WindowServiceError::attributeUnavailable(positionAndSize, AXErrorCode::cannotComplete);

    FrameTolerance tolerance = FrameTolerance::forSizeIncrements(
        Policy::tolerance, m_platform.accessibility.sizeIncrements(element));
    // A size the window fixes along one axis is taken as it is there.
    const Accessibility::FixedAxes fixed = m_platform.accessibility.fixedSizeAxes(element);
    if (fixed.width)
        tolerance.width = std::numeric_limits<double>::infinity();
    if (fixed.height)
        tolerance.height = std::numeric_limits<double>::infinity();
    auto failure = std::make_shared<std::exception_ptr>();
    WindowFrameRestorer::Apply apply = [this, element, failure](const Rect& frame) {
        try {
            writeFrame(element, frame);
            return true;
        } catch (const WindowServiceError&) {
            *failure = std::current_exception();
            return false;
        }
    };
    WindowFrameRestorer::Wait wait = [platform = m_platform, element, failure](int attempt) {
        return pauseBeforeMeasuring(platform, element, attempt, failure);
    };
    WindowFrameRestorer::Measure measure = [this, element] { return readFrame(element); };
    // The loop is a named task: lambdas in a co_await expression trip GCC 12.
    Task<bool> attempts = WindowFrameRestorer::restore(target, tolerance, Policy::maximumAttempts,
                                                       std::move(apply), std::move(wait), std::move(measure));
    const bool matched = co_await std::move(attempts);

    if (matched) {
        log.info(
            QStringLiteral("restore succeeded pid=%1 measured=%2").arg(pid, describe(readFrame(element))));
        co_return;
    }
    if (*failure) {
        log.error(QStringLiteral("restore write failed pid=%1 error=%2 measured=%3")
                      .arg(pid, describe(*failure), describe(readFrame(element))));
        if (before) {
            try {
                writeFrame(element, *before);
            } catch (const WindowServiceError&) {
                // The window stays where the failed attempt left it.
            }
        }
        std::rethrow_exception(*failure);
    }
    // Left where it settled: writing the old frame back could fail the same way.
    log.error(QStringLiteral("restore verification failed pid=%1 target=%2 measured=%3")
                  .arg(pid, target.describe(), describe(readFrame(element))));
    throw WindowServiceError::attributeUnavailable(positionAndSize, AXErrorCode::cannotComplete);
}

void AccessibilityWindowService::writeFrame(const AXElement& element, const Rect& frame) {
    const std::optional<AXValue> position = AXValueHelpers::valueFromPoint(frame.origin());
    const std::optional<AXValue> size = AXValueHelpers::valueFromSize(frame.size());
    if (!position || !size)
        throw WindowServiceError::attributeUnavailable(positionAndSize, AXErrorCode::failure);
    RestorationLog& log = m_platform.restorationLog;
    for (const Operation operation : Policy::writeOrder) {
        const QString& attribute = WindowFrameUpdate::attribute(operation);
        const AXError code = m_platform.accessibility.setAttributeValue(
            element, attribute, operation == Operation::position ? *position : *size);
        if (code != AXErrorCode::success) {
            log.error(QStringLiteral("%1 write returned %2").arg(attribute, QString::number(code)));
            throw WindowServiceError::attributeUnavailable(
                operation == Operation::position ? QStringLiteral("位置") : QStringLiteral("サイズ"), code);
        }
        if (log.isDebugEnabled()) {
            log.debug(QStringLiteral("after %1 frame=%2")
                          .arg(WindowFrameUpdate::name(operation), describe(readFrame(element))));
        }
    }
}

} // namespace stellwick
