#pragma once

#include "platform/linux/FeedTransfer.h"
#include "platform/linux/UpdateCheckResult.h"

#include <QObject>
#include <functional>

namespace stellwick::linux_platform {

// One check: fetches the release feed over HTTPS and compares its newest
// release with the running version. It only reads the feed: nothing is ever
// downloaded or installed. The network stack is loaded at the first check.
class UpdateChecker final : public QObject {
public:
    UpdateChecker(VersionNumber currentVersion, int transferTimeoutMs);

    // The most a feed may weigh.
    static constexpr qint64 maximumFeedBytes = 1 << 20;

    // `done` runs later on the main thread, never inside this call, and not
    // at all once this object is gone. Checks may overlap.
    void check(const QUrl& feed, std::function<void(const UpdateCheckResult&)> done);

private:
    UpdateCheckResult interpret(const QByteArray& feed) const;

    VersionNumber m_currentVersion;
    int m_transferTimeoutMs;
    // A child made at the first check, so that it and its transfers go only
    // after this object's connections are cut and no completion can run
    // during destruction.
    FeedTransfer* m_transfer = nullptr;
};

} // namespace stellwick::linux_platform
