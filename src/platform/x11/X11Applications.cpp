#include "platform/x11/X11Applications.h"

#include "platform/x11/Processes.h"

#include <QGuiApplication>
#include <QIcon>
#include <QWindow>
#include <algorithm>
#include <unistd.h>

namespace stellwick::x11 {
namespace {

constexpr int iconSize = 256;

bool isNormal(const ClientFacts& window, const xcb_ewmh_connection_t& ewmh) {
    return windowKind(window.types, window.transient, ewmh) == WindowKind::normal;
}

bool hasGuiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

X11Applications::X11Applications(XConnection& x, ClientFactsCache& clients, DesktopEntryIndex& entries)
    : m_x(x)
    , m_cache(clients)
    , m_entries(entries)
    , m_locales(messageLocales()) {
    m_events = m_x.addEventHandler([this](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return;
        // Both lists: managers update them one after the other, and the
        // stacking list is the one read.
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (property.window == m_x.root() && (property.atom == m_x.ewmh()->_NET_CLIENT_LIST ||
                                              property.atom == m_x.ewmh()->_NET_CLIENT_LIST_STACKING))
            onClientListChanged();
    });
}

std::vector<X11Applications::Process> X11Applications::processes() const {
    std::vector<Process> out;
    if (!m_x.isAlive())
        return out;
    const std::vector<xcb_window_t> managed = m_cache.clientsFrontToBack();
    std::vector<ClientFacts> windows =
        m_cache.read(managed, ClientField::owner | ClientField::kind | ClientField::identity);
    m_cache.keepOnly(managed);
    for (ClientFacts& window : windows) {
        if (!window.exists || !window.pid)
            continue;
        auto it =
            std::find_if(out.begin(), out.end(), [&](const Process& p) { return p.pid == *window.pid; });
        if (it == out.end())
            it = out.insert(out.end(), Process{*window.pid, {}});
        it->windows.push_back(std::move(window));
    }
    return out;
}

std::optional<ApplicationIdentity> X11Applications::identityOf(const ClientFacts& window) const {
    return identify(window.identity, m_entries, m_locales);
}

RunningApplication X11Applications::application(const Process& process,
                                                const std::optional<ApplicationIdentity>& identity) const {
    const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();
    RunningApplication app;
    app.processIdentifier = process.pid;
    const bool regular = std::any_of(process.windows.begin(), process.windows.end(),
                                     [&](const ClientFacts& w) { return isNormal(w, ewmh); });
    app.activationPolicy = regular ? ActivationPolicy::regular : ActivationPolicy::accessory;
    if (identity) {
        app.bundleIdentifier = identity->bundleIdentifier;
        app.localizedName = identity->localizedName;
    }
    return app;
}

std::vector<RunningApplication> X11Applications::describe(const std::vector<Process>& processes) const {
    const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();
    m_entries.refresh();
    // One window speaks for each process: its front-most normal one.
    std::vector<RunningApplication> out;
    for (const Process& process : processes) {
        auto normal = std::find_if(process.windows.begin(), process.windows.end(),
                                   [&](const ClientFacts& w) { return isNormal(w, ewmh); });
        const ClientFacts& speaker = normal != process.windows.end() ? *normal : process.windows.front();
        out.push_back(application(process, identityOf(speaker)));
    }
    return out;
}

std::vector<X11Applications::NamedWindow>
X11Applications::namedWindows(const std::vector<Process>& processes) const {
    const xcb_ewmh_connection_t& ewmh = *m_x.ewmh();
    m_entries.refresh();
    std::vector<NamedWindow> out;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        const std::size_t first = out.size();
        for (const ClientFacts& w : processes[i].windows) {
            if (isNormal(w, ewmh))
                out.push_back({i, w.window, true, identityOf(w)});
        }
        if (out.size() == first) {
            const ClientFacts& w = processes[i].windows.front();
            out.push_back({i, w.window, false, identityOf(w)});
        }
    }
    return out;
}

std::optional<RunningApplication> X11Applications::runningApplication(std::int32_t pid) const {
    std::vector<Process> all = processes();
    auto it = std::find_if(all.begin(), all.end(), [pid](const Process& p) { return p.pid == pid; });
    if (it != all.end())
        return describe({*it}).front();
    if (!processExists(pid))
        return std::nullopt;
    RunningApplication background;
    background.processIdentifier = pid;
    background.activationPolicy = ActivationPolicy::prohibited;
    return background;
}

std::vector<RunningApplication> X11Applications::runningApplications(const QString& bundleIdentifier) const {
    const std::vector<Process> all = processes();
    std::vector<RunningApplication> matching;
    std::set<std::size_t> found;
    for (const NamedWindow& named : namedWindows(all)) {
        if (named.identity && named.identity->bundleIdentifier == bundleIdentifier &&
            found.insert(named.process).second)
            matching.push_back(application(all[named.process], named.identity));
    }
    std::stable_sort(matching.begin(), matching.end(),
                     [](const RunningApplication& a, const RunningApplication& b) {
                         const auto startA = processStartTime(a.processIdentifier);
                         const auto startB = processStartTime(b.processIdentifier);
                         if (startA && startB && *startA != *startB)
                             return *startA < *startB;
                         return a.processIdentifier < b.processIdentifier;
                     });
    return matching;
}

std::optional<RunningApplication> X11Applications::applicationOfWindow(std::int32_t pid,
                                                                       std::uint32_t windowNumber) const {
    if (windowNumber == 0 || !m_x.isAlive())
        return runningApplication(pid);
    // A managed normal window of the process that names its application
    // tells all on its own (the process is then a regular application): one
    // round trip instead of reading every window of the desktop.
    const xcb_window_t window = windowNumber;
    const std::vector<xcb_window_t> managed = m_cache.clientsFrontToBack();
    const ClientFacts facts =
        m_cache.read(window, ClientField::owner | ClientField::kind | ClientField::identity);
    const bool listed = std::find(managed.begin(), managed.end(), window) != managed.end();
    if (listed && facts.exists && facts.pid == pid && isNormal(facts, *m_x.ewmh())) {
        m_entries.refresh();
        if (const auto identity = identityOf(facts)) {
            RunningApplication app;
            app.processIdentifier = pid;
            app.activationPolicy = ActivationPolicy::regular;
            app.bundleIdentifier = identity->bundleIdentifier;
            app.localizedName = identity->localizedName;
            return app;
        }
    }
    std::optional<RunningApplication> app = runningApplication(pid);
    if (!app || !facts.exists)
        return app;
    m_entries.refresh();
    if (const auto identity = identityOf(facts)) {
        app->bundleIdentifier = identity->bundleIdentifier;
        app->localizedName = identity->localizedName;
    }
    return app;
}

std::optional<QImage> X11Applications::applicationIcon(const QString& bundleIdentifier) const {
    m_entries.refresh();
    if (auto entry = m_entries.byId(bundleIdentifier); entry && !entry->icon.isEmpty()) {
        if (entry->icon.startsWith(QLatin1Char('/'))) {
            QImage image(entry->icon);
            if (!image.isNull())
                return image;
        } else if (hasGuiApplication()) {
            const QIcon icon = QIcon::fromTheme(entry->icon);
            if (!icon.isNull()) {
                const QImage image = icon.pixmap(iconSize, iconSize).toImage();
                if (!image.isNull())
                    return image;
            }
        }
    }
    // The icon a running window of that application carries.
    for (const NamedWindow& named : namedWindows(processes())) {
        if (!named.identity || named.identity->bundleIdentifier != bundleIdentifier)
            continue;
        auto reply = readProperty(m_x, named.window, m_x.ewmh()->_NET_WM_ICON, 4 * 1024 * 1024);
        if (auto image = largestIcon(cardinals(reply.get())))
            return image;
    }
    return std::nullopt;
}

std::int32_t X11Applications::currentProcessIdentifier() const {
    return static_cast<std::int32_t>(::getpid());
}

void X11Applications::activateCurrentApplication() {
    if (!hasGuiApplication())
        return;
    QWindow* target = QGuiApplication::focusWindow();
    if (!target) {
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            const Qt::WindowType type = window->type();
            if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog)) {
                target = window;
                break;
            }
        }
    }
    if (!target)
        return;
    target->raise();
    target->requestActivate();
    // Qt asks as an application, which focus-stealing prevention may refuse
    // to a process the user did not just click; this request is the user's.
    if (QGuiApplication::platformName() == QLatin1String("xcb") && m_x.isAlive()) {
        xcb_ewmh_request_change_active_window(
            m_x.ewmh(), m_x.screenNumber(), static_cast<xcb_window_t>(target->winId()),
            XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME, XCB_WINDOW_NONE);
        m_x.flush();
    }
}

std::map<X11Applications::LaunchKey, RunningApplication>
X11Applications::shownApplications(const std::vector<Process>& processes) const {
    std::map<LaunchKey, RunningApplication> out;
    for (const NamedWindow& named : namedWindows(processes)) {
        if (!named.normal)
            continue;
        const Process& process = processes[named.process];
        const QString id = named.identity ? named.identity->bundleIdentifier : QString();
        out.try_emplace({process.pid, id}, application(process, named.identity));
    }
    return out;
}

Cancellable
X11Applications::subscribeApplicationLaunches(std::function<void(const RunningApplication&)> handler) {
    if (m_launchHandlers.empty()) {
        m_known.clear();
        m_clients.clear();
        // What is shown now was not launched. Looking at it means identifying
        // every window (and reading the desktop entries), so it waits for the
        // next turn of the event loop: a start then shows its tray icon first.
        m_baselinePending = true;
        m_x.later(m_alive, [this] { takeLaunchBaseline(); });
    }
    return m_launchHandlers.add(std::move(handler));
}

void X11Applications::takeLaunchBaseline() {
    if (!std::exchange(m_baselinePending, false))
        return;
    for (const auto& [key, app] : shownApplications(processes()))
        m_known.insert(key);
}

void X11Applications::onClientListChanged() {
    if (m_launchHandlers.empty())
        return;
    if (m_baselinePending)
        return takeLaunchBaseline();
    // An application is launched once per process: it stays known while the
    // process lives, even after closing all its windows.
    std::erase_if(m_known, [](const LaunchKey& key) { return !processExists(key.first); });
    std::vector<RunningApplication> launched;
    for (const auto& [key, app] : shownApplications(processes())) {
        if (m_known.insert(key).second)
            launched.push_back(app);
    }
    for (const RunningApplication& app : launched)
        m_launchHandlers.notify(app);
}

} // namespace stellwick::x11
