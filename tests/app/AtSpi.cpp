#include "AtSpi.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QTest>

namespace stellwick::test {

namespace {
const QString accessible = QStringLiteral("org.a11y.atspi.Accessible");
constexpr std::uint32_t pushButtonRole = 43;
constexpr std::uint32_t showingState = 1u << 25;
} // namespace

AtSpi::~AtSpi() {
    if (m_bus)
        QDBusConnection::disconnectFromBus(m_bus->name());
    m_launcher.terminate();
    m_launcher.waitForFinished(5000);
}

bool AtSpi::start() {
    m_launcher.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
                     {QStringLiteral("--launch-immediately")});
    const auto address = [] {
        return QDBusReply<QString>(QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                           QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"))));
    };
    if (!m_launcher.waitForStarted() || !QTest::qWaitFor([&] { return address().isValid(); }, 10000))
        return false;
    m_bus = QDBusConnection::connectToBus(address().value(), QStringLiteral("stellwick-test-a11y"));
    return m_bus->isConnected();
}

QDBusMessage AtSpi::call(const Node& node, const QString& interface, const QString& method,
                         const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    message.setArguments(arguments);
    return m_bus->call(message, QDBus::Block, 2000);
}

std::optional<AtSpi::Node> AtSpi::search(const Node& node, const QString& name) {
    const QDBusMessage nodeName = call(node, QStringLiteral("org.freedesktop.DBus.Properties"),
                                       QStringLiteral("Get"), {accessible, QStringLiteral("Name")});
    if (nodeName.arguments().value(0).value<QDBusVariant>().variant().toString() == name) {
        const QDBusReply<std::uint32_t> role = call(node, accessible, QStringLiteral("GetRole"));
        const auto state = qdbus_cast<QList<std::uint32_t>>(
            call(node, accessible, QStringLiteral("GetState")).arguments().value(0));
        if (role.isValid() && role.value() == pushButtonRole && !state.isEmpty() && (state[0] & showingState))
            return node;
    }
    const QDBusMessage children = call(node, accessible, QStringLiteral("GetChildren"));
    const QDBusArgument list = children.arguments().value(0).value<QDBusArgument>();
    QList<Node> found;
    list.beginArray();
    while (!list.atEnd()) {
        QDBusObjectPath path;
        found.append(Node{});
        list.beginStructure();
        list >> found.back().service >> path;
        list.endStructure();
        found.back().path = path.path();
    }
    list.endArray();
    for (const Node& child : found)
        if (auto match = search(child, name))
            return match;
    return std::nullopt;
}

bool AtSpi::press(std::uint32_t pid, const QString& name) {
    if (!m_bus)
        return false;
    for (const QString& service : m_bus->interface()->registeredServiceNames().value()) {
        if (!service.startsWith(QLatin1Char(':')) || m_bus->interface()->servicePid(service).value() != pid)
            continue;
        if (auto button = search({service, QStringLiteral("/org/a11y/atspi/accessible/root")}, name)) {
            const QDBusReply<bool> done =
                call(*button, QStringLiteral("org.a11y.atspi.Action"), QStringLiteral("DoAction"), {0});
            return done.isValid() && done.value();
        }
    }
    return false;
}

} // namespace stellwick::test
