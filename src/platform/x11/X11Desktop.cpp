#include "platform/x11/X11Desktop.h"

#include "platform/x11/ClientFactsCache.h"
#include "platform/x11/DesktopEntries.h"
#include "platform/x11/DesktopSpace.h"
#include "platform/x11/OfflineServices.h"
#include "platform/x11/X11Accessibility.h"
#include "platform/x11/X11Applications.h"
#include "platform/x11/X11EventMonitors.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11WindowServer.h"
#include "platform/x11/XConnection.h"

#include <QLoggingCategory>

namespace stellwick::x11 {

struct X11Desktop::Services {
    // Declared in the order of construction; destroyed in reverse, the
    // connection last.
    std::unique_ptr<XConnection> connection;
    std::unique_ptr<DesktopSpace> space;
    std::unique_ptr<ClientFactsCache> clients;
    DesktopEntryIndex entries;
    std::unique_ptr<Screens> screens;
    std::unique_ptr<WindowServer> windowServer;
    std::unique_ptr<Accessibility> accessibility;
    std::unique_ptr<Applications> applications;
    std::unique_ptr<X11EventMonitors> eventMonitors;
};

namespace {

const QLoggingCategory& sessionCategory() {
    static const QLoggingCategory category("org.stellwick.Stellwick.Session", QtInfoMsg);
    return category;
}

} // namespace

QString X11Desktop::sessionNotice(const QProcessEnvironment& environment) {
    const bool wayland = environment.value(QStringLiteral("XDG_SESSION_TYPE"))
                                 .compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 ||
                         !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (!wayland)
        return {};
    return QStringLiteral(
        "Wayland セッションです。配置できるのは X11 で動くアプリ（XWayland）のウィンドウだけで、"
        "Wayland で動くアプリのウィンドウは見えないため配置できません。");
}

std::unique_ptr<X11Desktop> X11Desktop::open(Clock& clock, const QByteArray& displayName) {
    if (const QString notice = sessionNotice(); !notice.isEmpty())
        qCInfo(sessionCategory()).noquote() << notice;
    auto services = std::make_unique<Services>();
    services->connection = XConnection::connect(displayName);
    if (XConnection* x = services->connection.get()) {
        services->space = std::make_unique<DesktopSpace>(*x);
        services->clients = std::make_unique<ClientFactsCache>(*x, clock);
        services->screens = std::make_unique<X11Screens>(*x, *services->clients);
        services->windowServer = std::make_unique<X11WindowServer>(*x, *services->clients, *services->space);
        services->accessibility =
            std::make_unique<X11Accessibility>(*x, *services->clients, *services->space, clock);
        services->applications = std::make_unique<X11Applications>(*x, *services->clients, services->entries);
    } else {
        services->screens = std::make_unique<OfflineScreens>();
        services->windowServer = std::make_unique<OfflineWindowServer>();
        services->accessibility = std::make_unique<OfflineAccessibility>(clock);
        services->applications = std::make_unique<OfflineApplications>();
    }
    services->eventMonitors =
        std::make_unique<X11EventMonitors>(services->connection.get(), services->space.get());
    return std::unique_ptr<X11Desktop>(new X11Desktop(std::move(services)));
}

X11Desktop::X11Desktop(std::unique_ptr<Services> services)
    : m_services(std::move(services)) {}

X11Desktop::~X11Desktop() = default;

bool X11Desktop::isConnected() const {
    return m_services->connection && m_services->connection->isAlive();
}

Screens& X11Desktop::screens() {
    return *m_services->screens;
}
WindowServer& X11Desktop::windowServer() {
    return *m_services->windowServer;
}
Accessibility& X11Desktop::accessibility() {
    return *m_services->accessibility;
}
Applications& X11Desktop::applications() {
    return *m_services->applications;
}
EventMonitors& X11Desktop::eventMonitors() {
    return *m_services->eventMonitors;
}
XConnection* X11Desktop::connection() {
    return m_services->connection.get();
}

} // namespace stellwick::x11
