#pragma once

// Helpers of the tests that run on the private test desktop
// (scripts/test-desktop.sh): the test client, tools, waiting by event.

#include "async/TaskGroup.h"
#include "model/Geometry.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"

#include <QByteArray>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProcess>
#include <QRasterWindow>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace stellwick::x11 {
class XConnection;
} // namespace stellwick::x11

namespace stellwick::test {

// Runs the event loop until fired (or already fired) or timed out; nothing polls.
class Waiter {
public:
    void fire();
    bool wait(int timeoutMs = 5000);
    int count() const { return m_count; }

private:
    int m_count = 0;
    QEventLoop* m_loop = nullptr;
};

// Runs a task to its end on the real event loop; rethrows what it threw.
template <typename T> T completed(Clock& clock, Task<T> task) {
    std::optional<T> result;
    std::exception_ptr error;
    Waiter done;
    TaskGroup group(clock);
    group.spawn(
        [](Task<T> task, std::optional<T>& result, std::exception_ptr& error, Waiter& done) -> Task<void> {
            try {
                result = co_await std::move(task);
            } catch (...) {
                error = std::current_exception();
            }
            done.fire();
        }(std::move(task), result, error, done));
    if (!done.wait(30000))
        throw std::runtime_error("the task did not finish");
    if (error)
        std::rethrow_exception(error);
    return *result;
}

// A plain window of this process that records the keys it receives.
class TestWindow : public QRasterWindow {
public:
    bool showAndWait(int timeoutMs = 5000);
    QList<int> keys;

protected:
    void exposeEvent(QExposeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }

private:
    Waiter m_exposed;
};

// One process of the X11 test client (tools/testclient). Its answers
// come once the window manager has done what was asked.
class TestClient {
public:
    TestClient();
    ~TestClient();

    std::int32_t pid() const;

    // A window with the given options ("w=300 h=200 type=dialog"); 0 on failure.
    std::uint32_t open(const QString& options = {});
    bool close(std::uint32_t window) { return command(QStringLiteral("close %1").arg(window)) == "ok"; }
    bool activate(std::uint32_t window) { return command(QStringLiteral("activate %1").arg(window)) == "ok"; }
    // The outer frame as the client itself sees it, root coordinates.
    std::optional<Rect> frame(std::uint32_t window);
    // Ends the process without closing its windows first.
    void kill();

    // Asked of the window manager, as a pager would (mutter ignores a window
    // that asks to start minimized).
    bool minimize(std::uint32_t window) { return command(QStringLiteral("minimize %1").arg(window)) == "ok"; }
    QString command(const QString& line);

private:
    std::unique_ptr<QProcess> m_process;
};

// The accessibility element of a client window of that process.
AXElement windowElement(std::int32_t pid, std::uint32_t window);

// An option value for TestClient::open, percent-encoded.
QString encoded(const QString& value);

// The window manager of the test desktop (scripts/test-desktop.sh --wm), for
// the few checks a manager legitimately answers otherwise.
inline bool windowManagerIs(const char* name) {
    return qEnvironmentVariable("STELLWICK_TEST_WM", QStringLiteral("openbox")) == QLatin1String(name);
}

// Runs a tool to its end; its exit code (-1 when it could not run).
int runTool(const QString& program, const QStringList& arguments);

// Returns once `x` has delivered every event the server sent it before this
// call: a property change made through `x` itself comes back after them.
bool deliverPendingEvents(x11::XConnection& x);

// A 128-byte EDID block for a monitor of that manufacturer, product and serial.
QByteArray makeEdid(const char manufacturer[3], std::uint16_t product, std::uint32_t serial);

} // namespace stellwick::test

namespace stellwick {
// Readable values in failed comparisons (found by QTest through ADL).
char* toString(const Rect& rect);
char* toString(const Point& point);
} // namespace stellwick
