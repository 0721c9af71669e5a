#include "platform/x11/LocalEventFilter.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace stellwick::x11 {
namespace {

std::uint64_t maskOf(const InputEvent& event) {
    return std::uint64_t{1} << static_cast<int>(event.type);
}

} // namespace

std::uint16_t keyCodeFor(int qtKey, quint32 nativeScanCode) {
    if (qtKey == Qt::Key_Escape)
        return KeyCode::escape;
    return static_cast<std::uint16_t>(0x100 | (nativeScanCode & 0xff));
}

LocalEventFilter::LocalEventFilter() = default;

LocalEventFilter::~LocalEventFilter() {
    *m_alive = false;
    if (m_installed && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

Cancellable LocalEventFilter::add(std::uint64_t mask, Handler handler) {
    Cancellable inner = m_monitors.add({mask, std::move(handler)});
    updateInstallation();
    std::weak_ptr<bool> alive = m_alive;
    return Cancellable([this, alive, inner = std::make_shared<Cancellable>(std::move(inner))] {
        inner->cancel();
        if (alive.lock())
            updateInstallation();
    });
}

void LocalEventFilter::updateInstallation() {
    QCoreApplication* app = QCoreApplication::instance();
    const bool wanted = !m_monitors.empty() && app;
    if (wanted == m_installed)
        return;
    if (wanted)
        app->installEventFilter(this);
    else if (app)
        app->removeEventFilter(this);
    m_installed = wanted;
    m_overrideDecision.reset();
}

bool LocalEventFilter::deliver(const InputEvent& event) {
    bool swallowed = false;
    m_monitors.forEach([&](const std::pair<std::uint64_t, Handler>& monitor) {
        if ((monitor.first & maskOf(event)) && !monitor.second(event))
            swallowed = true;
    });
    return swallowed;
}

bool LocalEventFilter::eventFilter(QObject* watched, QEvent* event) {
    // Qt hands an input event first to the window and then on to the widget
    // or item inside it, each time through this filter: look at it once, at
    // the window. Shortcut overrides go to the focus object only.
    const bool atWindow = qobject_cast<QWindow*>(watched) != nullptr;
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        if (watched != QGuiApplication::focusObject())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool swallowed =
            deliver({InputEventType::keyDown, keyCodeFor(key->key(), key->nativeScanCode())});
        m_overrideDecision = std::pair(key->key(), swallowed);
        if (swallowed)
            event->accept(); // taken by the "window": no shortcut fires
        return swallowed;
    }
    case QEvent::KeyPress: {
        if (!atWindow)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_overrideDecision && m_overrideDecision->first == key->key()) {
            const bool swallowed = m_overrideDecision->second;
            m_overrideDecision.reset();
            return swallowed;
        }
        m_overrideDecision.reset();
        return deliver({InputEventType::keyDown, keyCodeFor(key->key(), key->nativeScanCode())});
    }
    case QEvent::MouseButtonPress: {
        if (!atWindow)
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        return deliver({InputEventType::leftMouseDown, 0});
    }
    default:
        return false;
    }
}

} // namespace stellwick::x11
