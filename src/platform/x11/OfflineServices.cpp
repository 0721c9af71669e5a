#include "platform/x11/OfflineServices.h"

#include "platform/x11/X11Element.h"

#include <QGuiApplication>
#include <QWindow>
#include <unistd.h>

namespace stellwick::x11 {

int OfflineWindowServer::windowLevelForKey(int key) const {
    return key == WindowLevelKey::mainMenu ? WindowLevel::mainMenu : WindowLevel::normal;
}

AXElement OfflineAccessibility::applicationElement(std::int32_t pid) {
    return X11Element::make(X11Element::Kind::application, pid);
}

AXElement OfflineAccessibility::systemWideElement() {
    return X11Element::make(X11Element::Kind::systemWide);
}

std::int32_t OfflineApplications::currentProcessIdentifier() const {
    return static_cast<std::int32_t>(::getpid());
}

void OfflineApplications::activateCurrentApplication() {
    // Whatever the session, Qt can still bring its own window forward.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && (window->type() == Qt::Window || window->type() == Qt::Dialog)) {
            window->raise();
            window->requestActivate();
            return;
        }
    }
}

} // namespace stellwick::x11
