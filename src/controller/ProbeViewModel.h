#pragma once

#include "async/TaskGroup.h"
#include "controller/AutomationGate.h"
#include "controller/ControllerTypes.h"
#include "controller/LoginItemManager.h"
#include "model/AppStatus.h"
#include "model/LayoutModel.h"
#include "model/ProfileStore.h"
#include "model/ScreenGeometry.h"
#include "platform/Platform.h"
#include "windows/AccessibilityWindowService.h"
#include "windows/WindowSelectionMonitor.h"
#include "windows/WindowSelectionSession.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <map>
#include <optional>

namespace stellwick {

// Keys of the user defaults.
namespace DefaultsKey {
inline const QString applyAfterLogin = QStringLiteral("applyAfterLogin");
inline const QString applyOnDisplayChange = QStringLiteral("applyOnDisplayChange");
inline const QString lastAppliedBootMarker = QStringLiteral("lastAppliedBootMarker");
} // namespace DefaultsKey

// The one controller: owns the live state, performs every user action, runs the
// automatic triggers and reports through one status line. Views observe its
// properties (each assignment emits the change signal, also for an equal
// value) and call its actions. Main thread only.
class ProbeViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(bool isTrusted READ isTrusted NOTIFY isTrustedChanged)
    Q_PROPERTY(stellwick::StellwickState state READ state NOTIFY stateChanged)
    Q_PROPERTY(bool isLoginItemEnabled READ isLoginItemEnabled NOTIFY isLoginItemEnabledChanged)
    Q_PROPERTY(bool applyAfterLoginEnabled READ applyAfterLoginEnabled NOTIFY applyAfterLoginEnabledChanged)
    Q_PROPERTY(bool applyOnDisplayChangeEnabled READ applyOnDisplayChangeEnabled NOTIFY
                   applyOnDisplayChangeEnabledChanged)
    Q_PROPERTY(
        stellwick::WindowSelectionPhase selectionPhase READ selectionPhase NOTIFY selectionPhaseChanged)
    Q_PROPERTY(stellwick::AppStatus status READ status NOTIFY statusChanged)
    Q_PROPERTY(QString restoreSummary READ restoreSummary NOTIFY restoreSummaryChanged)

public:
    // Runs the whole start-up: loads the settings file, reads the switches,
    // checks the permission without prompting and sets the start-up status.
    // Never saves and never prompts.
    ProbeViewModel(ProfileStore store, Platform platform, QObject* parent = nullptr);
    ~ProbeViewModel() override;

    // Observable fields.
    const QString& statusMessage() const { return m_statusMessage; }
    bool isTrusted() const { return m_isTrusted; }
    const StellwickState& state() const { return m_state; }
    bool isLoginItemEnabled() const { return m_isLoginItemEnabled; }
    bool applyAfterLoginEnabled() const { return m_applyAfterLoginEnabled; }
    bool applyOnDisplayChangeEnabled() const { return m_applyOnDisplayChangeEnabled; }
    const WindowSelectionPhase& selectionPhase() const { return m_selectionPhase; }
    const AppStatus& status() const { return m_status; }
    // A sentence about the last whole-profile apply, naming what triggered it
    // ("ログイン時: 3枚のウィンドウを復元しました。"); empty before the first.
    const QString& restoreSummary() const { return m_restoreSummary; }

    // Queries for the views.
    std::optional<LayoutProfile> selectedProfile() const { return m_state.selectedProfile(); }
    std::optional<WindowSelectionCandidate> selectedCandidate() const { return m_selectionPhase.candidate(); }
    std::optional<QString> selectionFailureMessage() const { return m_selectionPhase.failureMessage(); }
    std::optional<QImage> appIcon(const QString& bundleIdentifier) const;
    // The candidate's frame as fractions of the display holding its centre.
    std::optional<NormalizedFrame> previewFrame(const WindowSelectionCandidate& candidate) const;

    // Whether edits reach the settings file in this run.
    bool canPersist() const { return m_canPersist; }

    // Profile and placement editing.
    void selectProfile(const QUuid& id);
    void createProfile(const QString& name);
    void renameProfile(const QUuid& id, const QString& name);
    void deleteProfile(const QUuid& id);
    void removeApplication(const QString& bundleIdentifier);
    void setArrangeOnLaunch(bool enabled, const QString& bundleIdentifier);
    void updatePlacementArea(const QString& bundleIdentifier, const NormalizedFrame& frame);

    // Click-to-select registration.
    void beginWindowSelection();
    void cancelWindowSelection();
    // The click location, bottom-left-origin desktop space (the monitor calls this).
    void handleSelectionClick(Point location);
    void saveSelectedWindow();

    // Applying the selected profile. The action returns at once; the task
    // reports through the status line.
    void applySelectedProfile();
    // The whole apply; returns the number of windows arranged (0 on every
    // early exit, also when another apply is running).
    Task<std::int64_t> restoreSelectedProfile(std::optional<QString> reason);

    // Permission, login item and switches.
    void requestAccessibilityPermission();
    void refreshPermissionStatus();
    void openAccessibilitySettings();
    void setLoginItemEnabled(bool enabled);
    void setApplyAfterLoginEnabled(bool enabled);
    void setApplyOnDisplayChangeEnabled(bool enabled);

    // Automation: also reached through the subscriptions made at start-up.
    void handleDisplayChange();
    void handleApplicationLaunch(const RunningApplication& application);
    Task<bool> arrangeLaunchedApplication(RunningApplication application, AppPlacement placement);

    // Arrange-on-launch tasks still registered, by bundle identifier.
    std::size_t launchTaskCount() const { return m_launchTasks.size(); }

signals:
    void statusMessageChanged();
    void isTrustedChanged();
    void stateChanged();
    void isLoginItemEnabledChanged();
    void applyAfterLoginEnabledChanged();
    void applyOnDisplayChangeEnabledChanged();
    void selectionPhaseChanged();
    void statusChanged();
    void restoreSummaryChanged();

private:
    // Tests reach states the actions never make (a selection naming no profile).
    friend class ProbeViewModelTestAccess;

    // Reports: status = (kind, title, detail, now); statusMessage = its one-line form.
    void setStatus(AppStatusKind kind, const QString& title,
                   const std::optional<QString>& detail = std::nullopt);
    // Writes the whole state unless saving is off for this run; reports a
    // failure, or `message` as a success. True when the file was written.
    bool persist(const std::optional<QString>& message = std::nullopt);
    // Requests cancellation of every arrange-on-launch task and forgets them.
    void cancelAllLaunchTasks();
    // The same for one application's task.
    void cancelLaunchTask(const QString& bundleIdentifier);

    ScreenGeometry geometry() const { return ScreenGeometry(m_platform.screens, m_platform.windowServer); }
    void publishSelectionPhase() { assignSelectionPhase(m_selectionSession.phase()); }
    void postRestoreNotification(const RestoreResult& result);
    void scheduleLoginApply();
    void subscribeToDisplayChanges();
    void subscribeToApplicationLaunches();
    static Task<void> manualApplyTask(QPointer<ProbeViewModel> self);
    static Task<void> displayChangeApplyTask(QPointer<ProbeViewModel> self);
    static Task<void> afterLoginTask(QPointer<ProbeViewModel> self, Clock& clock, double bootMarker);
    static Task<void> arrangeOnLaunchTask(QPointer<ProbeViewModel> self, Clock& clock,
                                          QString bundleIdentifier, RunningApplication application);

    // Assignments of the observable fields, each emitting its signal.
    void assignStatusMessage(const QString& value);
    void assignIsTrusted(bool value);
    void assignState(const StellwickState& value);
    void assignIsLoginItemEnabled(bool value);
    void assignApplyAfterLoginEnabled(bool value);
    void assignApplyOnDisplayChangeEnabled(bool value);
    void assignSelectionPhase(const WindowSelectionPhase& value);
    void assignStatus(const AppStatus& value);

    Date now() const { return m_platform.clock.now(); }
    // Reports a call from another thread as the programming error it is.
    static void requireMainThread(const char* operation);

private:
    // Observable fields, in declaration order.
    QString m_statusMessage;
    bool m_isTrusted = false;
    StellwickState m_state;
    bool m_isLoginItemEnabled = false;
    bool m_applyAfterLoginEnabled = true;
    bool m_applyOnDisplayChangeEnabled = true;
    WindowSelectionPhase m_selectionPhase;
    AppStatus m_status;
    QString m_restoreSummary;

private:
    Platform m_platform;
    AccessibilityWindowService m_service;
    ProfileStore m_store;
    LoginItemManager m_loginItemManager;
    UserDefaults& m_defaults;
    bool m_canPersist = true;
    Cancellable m_displayChangeCancellable;
    Cancellable m_displayChangeDebounce;
    Cancellable m_appLaunchCancellable;
    std::map<QString, TaskRef> m_launchTasks;
    AutomationGate m_automationGate;
    WindowSelectionMonitor m_selectionMonitor;
    WindowSelectionSession m_selectionSession;
    // Last, so it is destroyed first: no task outlives the fields it uses.
    TaskGroup m_tasks;
};

} // namespace stellwick
