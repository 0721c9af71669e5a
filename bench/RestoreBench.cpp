// Restores 20 windows (10 of the X11 test client, 10 xterm) through the real
// restoration path: AccessibilityWindowService::restoreFrame on the X11
// backend with the system clock. In the same run the same kind of moves are
// made by a minimal direct xcb baseline (move, then read back until there) and
// by wmctrl, one process per window. Prints milliseconds per window and the
// ratios. Run it on the test desktop: bench/run-restore-bench.sh.

#include "Median.h"
#include "XcbBaseline.h"
#include "async/TaskGroup.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/SimDesktop.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Element.h"
#include "windows/AccessibilityWindowService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <numeric>

using namespace stellwick;

namespace {

constexpr int rounds = 5;
constexpr int clientWindows = 10;
constexpr int terminals = 10;

struct Subject {
    WindowDescriptor descriptor;
    std::uint32_t window = 0;
    bool terminal = false;
};

// Three layouts of 20 frames over both monitors, so that every pass moves
// every window.
Rect target(int layout, std::size_t index) {
    const double shift = 23.0 * layout;
    const int column = int(index % 5), row = int(index / 5);
    return {20 + column * 500 + shift, 40 + row * 250 + shift, 430 - 2 * shift, 210 - shift};
}

double mean(const std::vector<double>& values) {
    return values.empty() ? 0 : std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
}

// Runs the event loop until finish() is called or the time is up.
class Completion {
public:
    void finish() {
        m_done = true;
        if (m_loop)
            m_loop->quit();
    }
    bool wait(int timeoutMs) {
        if (m_done)
            return true;
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
        return m_done;
    }

private:
    bool m_done = false;
    QEventLoop* m_loop = nullptr;
};

Task<void> restoreAll(AccessibilityWindowService& service, const std::vector<Subject>& subjects, int layout,
                      std::vector<double>& milliseconds, int& failures, Completion& done) {
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        QElapsedTimer timer;
        timer.start();
        try {
            Task<void> restore = service.restoreFrame(subjects[i].descriptor.element, target(layout, i));
            co_await std::move(restore);
        } catch (const WindowServiceError&) {
            ++failures;
        }
        milliseconds.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    done.finish();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    linux_platform::SystemClock clock;
    auto desktop = x11::X11Desktop::open(clock);
    if (!desktop->isConnected() || !desktop->accessibility().isProcessTrusted(false)) {
        std::fprintf(stderr, "restore-bench: needs an X11 desktop with an EWMH window manager "
                             "(bench/run-restore-bench.sh starts one)\n");
        return 1;
    }
    sim::SimDesktop session; // session services the window service does not use, and a quiet log
    const Platform sessionPlatform = session.platform();
    const Platform platform{clock,
                            desktop->screens(),
                            desktop->windowServer(),
                            desktop->accessibility(),
                            desktop->applications(),
                            desktop->eventMonitors(),
                            sessionPlatform.loginItems,
                            sessionPlatform.notifications,
                            sessionPlatform.defaults,
                            sessionPlatform.settingsLink,
                            sessionPlatform.restorationLog};
    AccessibilityWindowService service(platform);

    // The subjects: one test client with ten windows, ten terminals.
    int launchedTerminals = 0;
    Completion terminalsReady;
    Cancellable launches =
        desktop->applications().subscribeApplicationLaunches([&](const RunningApplication& launched) {
            const bool terminal = launched.localizedName == QStringLiteral("XTerm") ||
                                  launched.bundleIdentifier == QStringLiteral("XTerm");
            if (terminal && ++launchedTerminals == terminals)
                terminalsReady.finish();
        });
    QProcess client;
    client.start(QStringLiteral(STELLWICK_TESTCLIENT), {});
    client.waitForStarted();
    for (int i = 0; i < clientWindows; ++i) {
        client.write(QStringLiteral("open title=client-%1 x=%2 y=%3 w=400 h=200\n")
                         .arg(i)
                         .arg(40 * i)
                         .arg(30 * i)
                         .toUtf8());
        while (!client.canReadLine() && client.waitForReadyRead(10000)) {
        }
        client.readLine();
    }
    std::vector<std::unique_ptr<QProcess>> xterms;
    for (int i = 0; i < terminals; ++i) {
        auto xterm = std::make_unique<QProcess>();
        xterm->start(QStringLiteral("xterm"),
                     {QStringLiteral("-geometry"), QStringLiteral("60x12+%1+%2").arg(60 * i).arg(40 * i),
                      QStringLiteral("-T"), QStringLiteral("term-%1").arg(i)});
        xterms.push_back(std::move(xterm));
    }
    if (!terminalsReady.wait(20000)) {
        std::fprintf(stderr, "restore-bench: the terminals did not appear (is xterm installed?)\n");
        return 1;
    }

    std::vector<Subject> subjects;
    auto collect = [&](std::int32_t pid, bool terminal) {
        const auto running = desktop->applications().runningApplication(pid);
        if (!running)
            return;
        for (const WindowDescriptor& d : service.movableWindows(*running))
            subjects.push_back({d, x11::X11Element::from(d.element)->window, terminal});
    };
    collect(std::int32_t(client.processId()), false);
    for (const auto& xterm : xterms)
        collect(std::int32_t(xterm->processId()), true);
    if (subjects.size() != clientWindows + terminals) {
        std::fprintf(stderr, "restore-bench: expected %d windows, found %zu\n", clientWindows + terminals,
                     subjects.size());
        return 1;
    }

    bench::XcbBaseline baseline;
    std::vector<double> restoreMs, restoreClientMs, restoreTerminalMs, xcbMs, wmctrlMs;
    int restoreFailures = 0, xcbFailures = 0, wmctrlFailures = 0;
    TaskGroup tasks(clock);
    for (int round = 0; round < rounds; ++round) {
        // Restoration path.
        std::vector<double> pass;
        Completion done;
        tasks.spawn(restoreAll(service, subjects, 0, pass, restoreFailures, done));
        if (!done.wait(60000)) {
            std::fprintf(stderr, "restore-bench: restoration did not finish\n");
            return 1;
        }
        for (std::size_t i = 0; i < pass.size(); ++i)
            (subjects[i].terminal ? restoreTerminalMs : restoreClientMs).push_back(pass[i]);
        restoreMs.insert(restoreMs.end(), pass.begin(), pass.end());

        // Direct xcb: move, read back until there.
        for (std::size_t i = 0; i < subjects.size(); ++i) {
            QElapsedTimer timer;
            timer.start();
            if (!baseline.move(subjects[i].window, target(1, i)))
                ++xcbFailures;
            xcbMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        }

        // wmctrl: one process per window; it does not wait for the result.
        for (std::size_t i = 0; i < subjects.size(); ++i) {
            const Rect t = target(2, i);
            QElapsedTimer timer;
            timer.start();
            const int status = QProcess::execute(
                QStringLiteral("wmctrl"),
                {QStringLiteral("-i"), QStringLiteral("-r"), QString::number(subjects[i].window),
                 QStringLiteral("-e"),
                 QStringLiteral("0,%1,%2,%3,%4").arg(t.x).arg(t.y).arg(t.width - 2).arg(t.height - 25)});
            if (status != 0)
                ++wmctrlFailures;
            wmctrlMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }

    const int attempts =
        std::count_if(session.log().lines.begin(), session.log().lines.end(),
                      [](const sim::LogLine& l) { return l.text.startsWith(QLatin1String("after ")); }) /
        3;
    std::printf(
        "Restoring %d windows (%d test-client windows, %d xterm), %d rounds; ms per window, median / mean\n",
        clientWindows + terminals, clientWindows, terminals, rounds);
    std::printf("  restoration path (restoreFrame)   %7.2f / %7.2f   (test client %.2f, xterm %.2f)\n",
                median(restoreMs), mean(restoreMs), median(restoreClientMs), median(restoreTerminalMs));
    std::printf("  direct xcb (move, read back)      %7.2f / %7.2f\n", median(xcbMs), mean(xcbMs));
    std::printf("  wmctrl, one process per window    %7.2f / %7.2f\n", median(wmctrlMs), mean(wmctrlMs));
    std::printf("Ratios of medians: restoration / xcb = %.2f, restoration / wmctrl = %.2f\n",
                median(restoreMs) / median(xcbMs), median(restoreMs) / median(wmctrlMs));
    std::printf("Restorations: %zu, attempts %d, failed %d; xcb moves not confirmed %d; wmctrl failures %d\n",
                restoreMs.size(), attempts, restoreFailures, xcbFailures, wmctrlFailures);

    client.write("quit\n");
    client.waitForFinished();
    for (auto& xterm : xterms) {
        xterm->terminate();
        xterm->waitForFinished();
    }
    return restoreFailures == 0 ? 0 : 2;
}
