#pragma once

#include "platform/EventMonitors.h"
#include "platform/Subscribers.h"

#include <QObject>
#include <optional>

namespace stellwick::x11 {

// Key code reported for keys other than Escape: never 53.
std::uint16_t keyCodeFor(int qtKey, quint32 nativeScanCode);

// Events sent to this application's own windows, seen through an event filter
// on the application object. A monitor returning none swallows the event: it
// reaches neither the window nor its shortcuts.
class LocalEventFilter final : public QObject {
public:
    using Handler = std::function<std::optional<InputEvent>(const InputEvent&)>;

    LocalEventFilter();
    ~LocalEventFilter() override;

    Cancellable add(std::uint64_t mask, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when some monitor swallowed the event.
    bool deliver(const InputEvent& event);
    void updateInstallation();

    Subscribers<std::pair<std::uint64_t, Handler>> m_monitors;
    bool m_installed = false;
    // Qt offers a key as a shortcut override before pressing it: the monitors
    // decide once, and the press follows that decision.
    std::optional<std::pair<int, bool>> m_overrideDecision; // key, swallowed
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace stellwick::x11
