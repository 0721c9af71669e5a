#include "windows/WindowFrameRestorer.h"

#include "platform/Accessibility.h"

#include <algorithm>
#include <cmath>

namespace stellwick {

QString WindowFrameUpdate::name(Operation operation) {
    return operation == Operation::position ? QStringLiteral("position") : QStringLiteral("size");
}

const QString& WindowFrameUpdate::attribute(Operation operation) {
    return operation == Operation::position ? AXAttribute::position : AXAttribute::size;
}

FrameTolerance FrameTolerance::forSizeIncrements(double base, std::optional<Size> increments) {
    FrameTolerance tolerance(base);
    if (!increments)
        return tolerance;
    const auto room = [base](double increment) {
        if (!std::isfinite(increment) || increment <= 0)
            return base;
        return std::max(base, std::min(increment - 1, WindowFrameRestorationPolicy::maximumIncrementRoom));
    };
    tolerance.width = room(increments->width);
    tolerance.height = room(increments->height);
    return tolerance;
}

bool FrameTolerance::accepts(const Rect& measured, const Rect& target) const {
    return std::abs(measured.minX() - target.x) <= x && std::abs(measured.minY() - target.y) <= y &&
           std::abs(measured.width - target.width) <= width &&
           std::abs(measured.height - target.height) <= height;
}

Task<bool> WindowFrameRestorer::restore(Rect target, FrameTolerance tolerance, int attempts, Apply apply,
                                        Wait wait, Measure measure) {
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (!apply(target))
            co_return false;
        Task<bool> pause = wait(attempt);
        if (!co_await std::move(pause))
            co_return false;
        const std::optional<Rect> measured = measure();
        if (measured && tolerance.accepts(*measured, target))
            co_return true;
    }
    co_return false;
}

} // namespace stellwick
