// The whole apply as a user starts it: RestoreSelectedProfile over D-Bus into
// the real stellwick executable, which finds each application's windows and
// restores them one by one with verification on the X11 backend. The clients
// are Tk applications (one process each, several top-level windows of one
// WM_CLASS). Before every pass each window is moved away; in the same run the
// same windows are moved to the same frames by a minimal direct xcb baseline
// (each window confirmed before the next). Prints milliseconds per window, the
// ratio and the X round trips stellwick made per window.
//
// Run it through bench/apply (a private desktop and session bus).
// Usage: apply-bench [--apps N] [--windows M] [--passes P]

#include "Median.h"
#include "XcbBaseline.h"
#include "dbus/ControlNames.h"
#include "model/LayoutJson.h"
#include "model/LayoutModel.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

using namespace stellwick;

namespace {

struct Options {
    int apps = 20;
    int windows = 3;
    int passes = 5;
};

Options parse(const QStringList& arguments) {
    Options options;
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const int value = arguments[i + 1].toInt();
        if (arguments[i] == QLatin1String("--apps"))
            options.apps = std::max(1, value);
        else if (arguments[i] == QLatin1String("--windows"))
            options.windows = std::max(1, value);
        else if (arguments[i] == QLatin1String("--passes"))
            options.passes = std::max(1, value);
    }
    return options;
}

QString className(int app) {
    return QStringLiteral("Benchapp%1").arg(app, 3, 10, QLatin1Char('0'));
}

// The managed windows of the benchmark's classes, by class.
std::map<QString, std::vector<std::uint32_t>> benchWindows() {
    std::map<QString, std::vector<std::uint32_t>> found;
    int screen = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screen);
    xcb_ewmh_connection_t ewmh{};
    xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr);
    xcb_ewmh_get_windows_reply_t list{};
    if (xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, screen), &list, nullptr)) {
        for (std::uint32_t i = 0; i < list.windows_len; ++i) {
            xcb_icccm_get_wm_class_reply_t wmClass{};
            if (xcb_icccm_get_wm_class_reply(c, xcb_icccm_get_wm_class(c, list.windows[i]), &wmClass,
                                             nullptr)) {
                const QString name = QString::fromLatin1(wmClass.class_name);
                if (name.startsWith(QLatin1String("Benchapp")))
                    found[name].push_back(list.windows[i]);
                xcb_icccm_get_wm_class_reply_wipe(&wmClass);
            }
        }
        xcb_ewmh_get_windows_reply_wipe(&list);
    }
    xcb_ewmh_connection_wipe(&ewmh);
    xcb_disconnect(c);
    return found;
}

// Profile "bench": application i on the left monitor (even i) or the right
// one, in a grid cell of its own.
StellwickState seededState(const Options& options) {
    StellwickState state = StellwickState::initialState(Date{});
    state.profiles[0].name = QStringLiteral("bench");
    const int perMonitor = (options.apps + 1) / 2;
    const int columns = int(std::ceil(std::sqrt(double(perMonitor))));
    const int rows = (perMonitor + columns - 1) / columns;
    for (int i = 0; i < options.apps; ++i) {
        const int cell = i / 2;
        const NormalizedFrame frame{double(cell % columns) / columns, double(cell / columns) / rows,
                                    1.0 / columns, 1.0 / rows};
        const QString monitor = i % 2 ? QStringLiteral("RIGHT") : QStringLiteral("LEFT");
        state.profiles[0].placements.append(AppPlacement{className(i), className(i),
                                                         DisplayReference{0, monitor, std::nullopt}, frame,
                                                         false, std::nullopt});
    }
    return state;
}

// Where each window goes between passes: somewhere else, another size.
Rect awayFrame(std::size_t index) {
    return {double(60 + (index * 37) % 2000), double(700 + (index * 11) % 200), 280, 190};
}

// CPU time (user + system) a process has used so far, in milliseconds: what
// an apply costs stellwick itself, whatever else the machine is doing.
double cpuMs(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = file.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    // utime and stime are fields 14 and 15; after ')' come fields 3, 4, ...
    return double(fields[11].toLongLong() + fields[12].toLongLong()) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

long readCounter(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().trimmed().toLong();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Options options = parse(app.arguments());
    const QString stellwick = QString::fromLocal8Bit(qgetenv("STELLWICK_BINARY"));
    const QString tkApp = QString::fromLocal8Bit(qgetenv("BENCH_TK_APP"));
    if (stellwick.isEmpty() || tkApp.isEmpty()) {
        std::fprintf(stderr, "apply-bench: run it through bench/apply\n");
        return 2;
    }
    if (!QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "apply-bench: no session bus\n");
        return 2;
    }
    bench::XcbBaseline baseline;
    if (!baseline.isConnected()) {
        std::fprintf(stderr, "apply-bench: no X display\n");
        return 2;
    }

    // The clients.
    std::vector<std::unique_ptr<QProcess>> clients;
    for (int i = 0; i < options.apps; ++i) {
        auto client = std::make_unique<QProcess>();
        client->setProcessChannelMode(QProcess::ForwardedChannels);
        client->start(QStringLiteral("/usr/bin/python3"),
                      {tkApp, className(i), QString::number(options.windows)});
        clients.push_back(std::move(client));
    }
    const int expected = options.apps * options.windows;
    std::map<QString, std::vector<std::uint32_t>> byClass;
    QElapsedTimer waiting;
    waiting.start();
    for (;;) {
        byClass = benchWindows();
        int count = 0;
        for (const auto& entry : byClass)
            count += int(entry.second.size());
        if (count >= expected)
            break;
        if (waiting.elapsed() > 60000) {
            std::fprintf(stderr, "apply-bench: only %d of %d windows appeared\n", count, expected);
            for (auto& client : clients)
                client->kill();
            for (auto& client : clients)
                client->waitForFinished(2000);
            return 1;
        }
        QThread::msleep(100);
    }
    std::vector<std::uint32_t> windows;
    for (const auto& entry : byClass)
        windows.insert(windows.end(), entry.second.begin(), entry.second.end());

    // Stellwick, with the profile seeded.
    QTemporaryDir home;
    const QString settings = home.filePath(QStringLiteral("data/org.stellwick.Stellwick/profiles.json"));
    QDir().mkpath(QFileInfo(settings).path());
    QDir().mkpath(home.filePath(QStringLiteral("runtime")));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    {
        QFile file(settings);
        if (!file.open(QIODevice::WriteOnly) || file.write(*encodeState(seededState(options))) < 0)
            return 1;
    }
    const QString counterFile = home.filePath(QStringLiteral("round-trips"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("STELLWICK_ROUND_TRIP_FILE"), counterFile);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess resident;
    // Its log (one line per restore step) would drown the figures.
    // (BENCH_STELLWICK_LOG=FILE keeps it, with times, for profiling.)
    const QString log = QString::fromLocal8Bit(qgetenv("BENCH_STELLWICK_LOG"));
    if (!log.isEmpty())
        env.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{time process} %{message}"));
    resident.setProcessEnvironment(env);
    resident.setStandardOutputFile(QProcess::nullDevice());
    resident.setStandardErrorFile(log.isEmpty() ? QProcess::nullDevice() : log);
    resident.start(stellwick, {});
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    waiting.restart();
    while (!bus->isServiceRegistered(control::serviceName())) {
        if (waiting.elapsed() > 20000 || resident.state() == QProcess::NotRunning) {
            std::fprintf(stderr, "apply-bench: stellwick did not register on the bus\n");
            return 1;
        }
        QThread::msleep(50);
    }

    const auto moveAway = [&] {
        for (std::size_t i = 0; i < windows.size(); ++i)
            baseline.move(windows[i], awayFrame(i));
    };
    const auto apply = [&]() -> std::pair<double, QString> {
        QDBusMessage call = QDBusMessage::createMethodCall(control::serviceName(), control::objectPath(),
                                                           control::interfaceName(),
                                                           QStringLiteral("RestoreSelectedProfile"));
        QElapsedTimer timer;
        timer.start();
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 120000);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        QString status = reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 3
                             ? reply.arguments()[2].toString()
                             : reply.errorMessage();
        return {ms, status};
    };
    // Settles the counter file (written on a later turn of stellwick's loop).
    const auto roundTrips = [&] {
        QThread::msleep(150);
        return readCounter(counterFile);
    };

    // A first apply finds the targets (and warms stellwick's caches).
    moveAway();
    const auto [warmMs, status] = apply();
    std::printf("first apply: %.1f ms, status: %s\n", warmMs, qPrintable(status));
    std::vector<Rect> targets;
    for (std::uint32_t window : windows)
        targets.push_back(baseline.frame(window).value_or(Rect{}));

    std::vector<double> applyMs, baselineMs, trips, cpu;
    int misplaced = 0, baselineMissed = 0;
    for (int pass = 0; pass < options.passes; ++pass) {
        moveAway();
        const long before = roundTrips();
        const double cpuBefore = cpuMs(resident.processId());
        const double ms = apply().first;
        const double cpuAfter = cpuMs(resident.processId());
        const long after = roundTrips();
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const std::optional<Rect> frame = baseline.frame(windows[i]);
            if (!frame || std::abs(frame->x - targets[i].x) > 3 || std::abs(frame->y - targets[i].y) > 3 ||
                std::abs(frame->width - targets[i].width) > 3 ||
                std::abs(frame->height - targets[i].height) > 3)
                ++misplaced;
        }
        moveAway();
        QElapsedTimer timer;
        timer.start();
        for (std::size_t i = 0; i < windows.size(); ++i)
            baselineMissed += baseline.move(windows[i], targets[i]) ? 0 : 1;
        const double direct = double(timer.nsecsElapsed()) / 1e6;

        const double n = double(windows.size());
        applyMs.push_back(ms / n);
        baselineMs.push_back(direct / n);
        if (before >= 0 && after >= 0)
            trips.push_back(double(after - before) / n);
        cpu.push_back((cpuAfter - cpuBefore) / n);
        std::printf("pass %d: apply %.2f ms/window (%.0f ms), xcb %.2f ms/window (%.0f ms), ratio %.2f, "
                    "round trips/window %.1f, stellwick CPU %.2f ms/window\n",
                    pass + 1, ms / n, ms, direct / n, direct, ms / direct,
                    trips.empty() ? -1.0 : trips.back(), cpu.back());
        std::fflush(stdout);
    }
    const double a = median(applyMs), b = median(baselineMs);
    std::printf("%d apps x %d windows = %zu windows, %d passes (medians)\n", options.apps, options.windows,
                windows.size(), options.passes);
    std::printf("apply (D-Bus, whole path): %.2f ms/window, %.0f ms total\n", a, a * double(windows.size()));
    std::printf("xcb baseline:              %.2f ms/window, %.0f ms total\n", b, b * double(windows.size()));
    std::printf("ratio apply/xcb:           %.2f\n", a / b);
    std::printf("round trips/window:        %.1f\n", median(trips));
    std::printf("stellwick CPU/window:      %.2f ms\n", median(cpu));
    std::printf("misplaced after apply: %d, baseline misses: %d\n", misplaced, baselineMissed);

    resident.terminate();
    resident.waitForFinished(5000);
    for (auto& client : clients) {
        client->kill();
        client->waitForFinished(2000);
    }
    return 0;
}
