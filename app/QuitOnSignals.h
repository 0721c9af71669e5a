#pragma once

#include <QObject>

class QSocketNotifier;

namespace stellwick::app {

// Ends the event loop cleanly on SIGTERM, SIGINT and SIGHUP: the handler only
// writes a byte to a pipe that the event loop watches.
class QuitOnSignals : public QObject {
public:
    explicit QuitOnSignals(QObject* parent = nullptr);
    ~QuitOnSignals() override;

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace stellwick::app
