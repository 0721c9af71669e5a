#pragma once

// Presses the buttons of another process's Qt windows through the desktop
// accessibility bus (AT-SPI), found by their accessible names, the way
// assistive technology sees them. The test starts the bus; the application
// exports its widgets there (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1).

#include <QDBusConnection>
#include <QProcess>
#include <optional>

namespace stellwick::test {

class AtSpi {
public:
    ~AtSpi();

    // Starts the accessibility bus on the session bus and connects to it.
    bool start();
    // Presses the showing push button with this name in any window of the
    // process; false when there is none.
    bool press(std::uint32_t pid, const QString& name);

private:
    struct Node {
        QString service;
        QString path;
    };
    QDBusMessage call(const Node& node, const QString& interface, const QString& method,
                      const QVariantList& arguments = {});
    std::optional<Node> search(const Node& node, const QString& name);

    QProcess m_launcher;
    std::optional<QDBusConnection> m_bus;
};

} // namespace stellwick::test
