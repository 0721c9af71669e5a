#pragma once

#include "model/Geometry.h"
#include "model/LayoutModel.h"

#include <QString>
#include <optional>
#include <variant>

namespace stellwick {

// The window the user clicked, waiting for confirmation.
struct WindowSelectionCandidate {
    QString bundleIdentifier;
    QString applicationName; // localized name, or the bundle identifier without one
    QString windowTitle;
    Rect frame; // top-left-origin desktop space, when clicked
    DisplayReference display;

    bool operator==(const WindowSelectionCandidate&) const = default;
};

// The phase of a click-to-select run.
class WindowSelectionPhase {
public:
    struct Idle {
        bool operator==(const Idle&) const = default;
    };
    struct Selecting {
        bool operator==(const Selecting&) const = default;
    };
    struct Selected {
        WindowSelectionCandidate candidate;
        bool operator==(const Selected&) const = default;
    };
    struct Failed {
        QString message;
        bool operator==(const Failed&) const = default;
    };

    static WindowSelectionPhase idle() { return WindowSelectionPhase(Idle{}); }
    static WindowSelectionPhase selecting() { return WindowSelectionPhase(Selecting{}); }
    static WindowSelectionPhase selected(WindowSelectionCandidate candidate) {
        return WindowSelectionPhase(Selected{std::move(candidate)});
    }
    static WindowSelectionPhase failed(QString message) {
        return WindowSelectionPhase(Failed{std::move(message)});
    }

    WindowSelectionPhase() = default;

    bool isIdle() const { return std::holds_alternative<Idle>(m_value); }
    bool isSelecting() const { return std::holds_alternative<Selecting>(m_value); }
    std::optional<WindowSelectionCandidate> candidate() const {
        if (const auto* s = std::get_if<Selected>(&m_value))
            return s->candidate;
        return std::nullopt;
    }
    std::optional<QString> failureMessage() const {
        if (const auto* f = std::get_if<Failed>(&m_value))
            return f->message;
        return std::nullopt;
    }

    bool operator==(const WindowSelectionPhase&) const = default;

private:
    template <typename T>
    explicit WindowSelectionPhase(T value)
        : m_value(std::move(value)) {}
    std::variant<Idle, Selecting, Selected, Failed> m_value;
};

// Holds the phase of the current selection; every operation sets it outright.
class WindowSelectionSession {
public:
    const WindowSelectionPhase& phase() const { return m_phase; }

    void begin() { m_phase = WindowSelectionPhase::selecting(); }
    void select(WindowSelectionCandidate candidate) {
        m_phase = WindowSelectionPhase::selected(std::move(candidate));
    }
    void fail(QString message) { m_phase = WindowSelectionPhase::failed(std::move(message)); }
    void reset() { m_phase = WindowSelectionPhase::idle(); }

private:
    WindowSelectionPhase m_phase;
};

} // namespace stellwick
