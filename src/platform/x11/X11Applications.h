#pragma once

#include "platform/Applications.h"
#include "platform/x11/ApplicationIdentity.h"
#include "platform/x11/ClientFactsCache.h"
#include "platform/x11/ClientWindows.h"
#include "platform/x11/XConnection.h"

#include <map>
#include <memory>
#include <set>
#include <utility>

namespace stellwick::x11 {

// Running applications seen through their windows. A process is a regular
// application when it owns a managed normal window; one that owns only docks,
// panels, desktop, notification or other secondary windows is an accessory; a
// living process without managed windows is prohibited. Its identity comes
// from its front-most normal window (ApplicationIdentity). An application is
// launched when its first normal window appears in the client list. A process
// may host windows of several applications (each window names its own): it
// is found under each of them, a window belongs to the one it names, and each
// of them is launched with its first normal window.
class X11Applications final : public Applications {
public:
    X11Applications(XConnection& x, ClientFactsCache& clients, DesktopEntryIndex& entries);

    std::optional<RunningApplication> runningApplication(std::int32_t pid) const override;
    std::vector<RunningApplication> runningApplications(const QString& bundleIdentifier) const override;
    // The application the window names (its class or application id); the
    // process's own when it names none. The number is the client window's id.
    std::optional<RunningApplication> applicationOfWindow(std::int32_t pid,
                                                          std::uint32_t windowNumber) const override;
    // The desktop entry's icon from the icon theme (or its file), else the
    // icon a running window of that application carries; none when unknown.
    std::optional<QImage> applicationIcon(const QString& bundleIdentifier) const override;
    std::int32_t currentProcessIdentifier() const override;
    // Raises and focuses this process's top-level Qt window, asking the window
    // manager as a pager would, so focus-stealing prevention lets it through.
    void activateCurrentApplication() override;
    Cancellable subscribeApplicationLaunches(std::function<void(const RunningApplication&)> handler) override;

private:
    struct Process {
        std::int32_t pid = 0;
        std::vector<ClientFacts> windows; // front to back
    };
    std::vector<Process> processes() const;
    std::vector<RunningApplication> describe(const std::vector<Process>& processes) const;
    // What a window read with ClientField::identity says it is; none for a
    // window that says nothing. Refresh the desktop entries first.
    std::optional<ApplicationIdentity> identityOf(const ClientFacts& window) const;
    // Each window with the identity it names, for the normal windows of
    // every process (or its first window when it has no normal one).
    struct NamedWindow {
        std::size_t process;
        xcb_window_t window;
        bool normal;
        std::optional<ApplicationIdentity> identity;
    };
    std::vector<NamedWindow> namedWindows(const std::vector<Process>& processes) const;
    RunningApplication application(const Process& process,
                                   const std::optional<ApplicationIdentity>& identity) const;
    // The applications shown in normal windows, by process and bundle
    // identifier (empty when the window names none).
    using LaunchKey = std::pair<std::int32_t, QString>;
    std::map<LaunchKey, RunningApplication> shownApplications(const std::vector<Process>& processes) const;
    void onClientListChanged();
    // Records the applications shown now as not launched, once per subscription.
    void takeLaunchBaseline();

    XConnection& m_x;
    ClientFactsCache& m_cache;
    DesktopEntryIndex& m_entries;
    QStringList m_locales;
    Subscribers<std::function<void(const RunningApplication&)>> m_launchHandlers;
    std::set<LaunchKey> m_known;         // applications shown so far, while someone listens
    std::vector<xcb_window_t> m_clients; // the managed windows last looked at, sorted
    Cancellable m_events;
    bool m_baselinePending = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace stellwick::x11
