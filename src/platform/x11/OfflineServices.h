#pragma once

// What the desktop services answer without a usable X11 session (no display,
// or a Wayland session without X11): no screens, no windows, no trust, and
// never a crash.

#include "platform/Accessibility.h"
#include "platform/Applications.h"
#include "platform/Clock.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"

namespace stellwick::x11 {

class OfflineScreens final : public Screens {
public:
    std::vector<PlatformScreen> screens() const override { return {}; }
    std::optional<PlatformScreen> mainScreen() const override { return std::nullopt; }
    Cancellable subscribeScreenParameterChanges(std::function<void()>) override {
        return Cancellable([] {});
    }
};

class OfflineWindowServer final : public WindowServer {
public:
    std::optional<std::vector<WindowServerEntry>> windowList(unsigned) const override { return std::nullopt; }
    int windowLevelForKey(int key) const override;
};

class OfflineAccessibility final : public Accessibility {
public:
    explicit OfflineAccessibility(Clock& clock)
        : m_clock(clock) {}
    bool isProcessTrusted(bool) override { return false; }
    AXElement applicationElement(std::int32_t pid) override;
    AXElement systemWideElement() override;
    AXError setMessagingTimeout(const AXElement&, float) override { return AXErrorCode::apiDisabled; }
    AXCopyResult copyAttributeValue(const AXElement&, const QString&) override {
        return {AXErrorCode::apiDisabled, {}};
    }
    AXError setAttributeValue(const AXElement&, const QString&, const AXValue&) override {
        return AXErrorCode::apiDisabled;
    }
    AXSettableResult isAttributeSettable(const AXElement&, const QString&) override {
        return {AXErrorCode::apiDisabled, false};
    }
    AXElementResult elementAtPosition(const AXElement&, float, float) override {
        return {AXErrorCode::apiDisabled, {}};
    }
    AXPidResult pid(const AXElement&) override { return {AXErrorCode::apiDisabled, 0}; }
    std::optional<Size> sizeIncrements(const AXElement&) override { return std::nullopt; }
    Cancellable whenWriteSettled(const AXElement&, std::function<void()> settled) override {
        return m_clock.schedule(0, std::move(settled));
    }

private:
    Clock& m_clock;
};

class OfflineApplications final : public Applications {
public:
    std::optional<RunningApplication> runningApplication(std::int32_t) const override { return std::nullopt; }
    std::vector<RunningApplication> runningApplications(const QString&) const override { return {}; }
    std::optional<QImage> applicationIcon(const QString&) const override { return std::nullopt; }
    std::int32_t currentProcessIdentifier() const override;
    void activateCurrentApplication() override;
    Cancellable subscribeApplicationLaunches(std::function<void(const RunningApplication&)>) override {
        return Cancellable([] {});
    }
};

} // namespace stellwick::x11
