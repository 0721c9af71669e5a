#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

namespace stellwick::linux_platform {

// One download of the release feed.
struct FeedTransferRequest {
    QUrl url;
    int timeoutMs = 30'000;
    qint64 maximumBytes = 1 << 20;
    QString userAgent;
    // Whether a redirect may be followed to this address.
    std::function<bool(const QUrl&)> redirectAllowed;
};

// What a download brought: the feed, or why there is none, as a sentence.
struct FeedTransferOutcome {
    std::optional<QByteArray> body;
    QString failure;
};

// Downloads the release feed. The network stack lives in a module that is
// loaded at the first check (see FeedTransferModule), so that a process that
// never checks never loads it.
class FeedTransfer : public QObject {
public:
    using QObject::QObject;
    ~FeedTransfer() override = default;

    // `done` runs later on the main thread, never inside this call, and not
    // at all once this object is gone. Transfers may overlap.
    virtual void fetch(const FeedTransferRequest& request,
                       std::function<void(const FeedTransferOutcome&)> done) = 0;
};

// The module's one entry point: a new transfer object owned by `parent`.
using CreateFeedTransfer = FeedTransfer* (*)(QObject* parent);
inline constexpr const char* createFeedTransferSymbol = "stellwick_create_feed_transfer";

} // namespace stellwick::linux_platform
