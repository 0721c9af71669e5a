#pragma once

#include "async/Task.h"
#include "model/Geometry.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace stellwick {

// One attribute write of a frame restoration.
struct WindowFrameUpdate {
    enum class Operation { position, size };
    // "position" or "size", as the restoration log names them.
    static QString name(Operation operation);
    // "AXPosition" or "AXSize".
    static const QString& attribute(Operation operation);
};

// The constants of restoring one window.
struct WindowFrameRestorationPolicy {
    // Position again after the size: a window manager may move a window while
    // resizing it.
    static constexpr std::array<WindowFrameUpdate::Operation, 3> writeOrder{
        WindowFrameUpdate::Operation::position, WindowFrameUpdate::Operation::size,
        WindowFrameUpdate::Operation::position};
    static constexpr int maximumAttempts = 10;
    static constexpr double tolerance = 3.0;    // points, per axis, inclusive
    static constexpr double retryDelay = 0.040; // seconds, before every verification but the first
    // The most a window's size increments widen the size tolerance: a window
    // declaring huge steps must not pass as arranged without being resized.
    static constexpr double maximumIncrementRoom = 64.0;
};

// How far a measured frame may lie from its target, per axis, inclusive.
struct FrameTolerance {
    double x = WindowFrameRestorationPolicy::tolerance;
    double y = WindowFrameRestorationPolicy::tolerance;
    double width = WindowFrameRestorationPolicy::tolerance;
    double height = WindowFrameRestorationPolicy::tolerance;

    // The same on every axis.
    FrameTolerance(double all = WindowFrameRestorationPolicy::tolerance)
        : x(all)
        , y(all)
        , width(all)
        , height(all) {}
    FrameTolerance(double x, double y, double width, double height)
        : x(x)
        , y(y)
        , width(width)
        , height(height) {}

    // A window that snaps its size to increments (a terminal's character
    // cells) may end up to one increment less a point off the requested size:
    // its width and height get that much room, at most maximumIncrementRoom;
    // the position and windows without increments keep `base`.
    static FrameTolerance forSizeIncrements(double base, std::optional<Size> increments);

    bool accepts(const Rect& measured, const Rect& target) const;
    bool operator==(const FrameTolerance&) const = default;
};

// The retry loop of a restoration: write, wait, measure, compare.
class WindowFrameRestorer {
public:
    // Writes the target; false when a write failed.
    using Apply = std::function<bool(const Rect& target)>;
    // Pauses before measuring; attempts count from 1. False when interrupted.
    using Wait = std::function<Task<bool>(int attempt)>;
    // The frame now; none when it cannot be read.
    using Measure = std::function<std::optional<Rect>()>;

    // True as soon as a measured frame matches the target within `tolerance`;
    // false after `attempts` misses, or at once when applying or waiting fails.
    static Task<bool> restore(Rect target, FrameTolerance tolerance, int attempts, Apply apply, Wait wait,
                              Measure measure);
};

} // namespace stellwick
