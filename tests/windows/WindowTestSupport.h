#pragma once

// Helpers for the window-access tests: readable failure output for geometry
// values, and a desktop whose window tasks run in virtual time.

#include "async/TaskGroup.h"
#include "model/Geometry.h"
#include "model/LayoutModel.h"
#include "platform/sim/SimDesktop.h"
#include "support/SimFixtures.h"
#include "windows/AccessibilityWindowService.h"

#include <QtTest>
#include <memory>
#include <optional>
#include <type_traits>

namespace stellwick {

inline char* toString(const Point& p) {
    return qstrdup(QStringLiteral("(%1, %2)").arg(p.x).arg(p.y).toUtf8());
}
inline char* toString(const Rect& r) {
    return qstrdup(r.describe().toUtf8());
}
inline char* toString(const NormalizedFrame& f) {
    return toString(Rect{f.x, f.y, f.width, f.height});
}

namespace test {

// What a window task ended with, once `finished`.
template <typename T> struct TaskOutcome {
    bool finished = false;
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> value;
    std::optional<WindowServiceError> error;
};

// A desktop with one screen, one regular application "Editor" and the window
// service on it.
struct WindowDesk {
    static constexpr std::int32_t editorPid = 100;
    sim::SimDesktop d;
    AccessibilityWindowService service{d.platform()};
    RunningApplication editor = regularApp(editorPid, "org.example.editor", "Editor");
    TaskGroup tasks{d.clock()};

    WindowDesk() {
        addPrimaryScreen(d);
        d.addApplication(editor);
    }
    sim::WindowId add(sim::SimWindow window) { return d.addWindow(std::move(window)); }

    // Spawns the task; it starts on the next turn of the (virtual) event loop.
    template <typename T> std::shared_ptr<TaskOutcome<T>> start(Task<T> task, TaskRef* handle = nullptr) {
        auto outcome = std::make_shared<TaskOutcome<T>>();
        TaskRef ref = tasks.spawn(capture(std::move(task), outcome));
        if (handle)
            *handle = ref;
        return outcome;
    }
    // Starts the task and lets virtual time run long enough for any restoration.
    template <typename T> std::shared_ptr<TaskOutcome<T>> run(Task<T> task) {
        auto outcome = start(std::move(task));
        d.clock().advance(60);
        return outcome;
    }

private:
    template <typename T> static Task<void> capture(Task<T> task, std::shared_ptr<TaskOutcome<T>> outcome) {
        try {
            if constexpr (std::is_void_v<T>) {
                co_await std::move(task);
                outcome->value = true;
            } else {
                outcome->value.emplace(co_await std::move(task));
            }
        } catch (const WindowServiceError& error) {
            outcome->error = error;
        }
        outcome->finished = true;
    }
};

} // namespace test
} // namespace stellwick
