#include "platform/linux/UpdateChecker.h"

#include "BuildInfo.h"
#include "platform/linux/FeedTransferModule.h"

namespace stellwick::linux_platform {

UpdateChecker::UpdateChecker(VersionNumber currentVersion, int transferTimeoutMs)
    : m_currentVersion(std::move(currentVersion))
    , m_transferTimeoutMs(transferTimeoutMs) {}

void UpdateChecker::check(const QUrl& feed, std::function<void(const UpdateCheckResult&)> done) {
    const auto failLater = [this, &done](const QString& description) {
        QMetaObject::invokeMethod(
            this, [done = std::move(done), description] { done(UpdateCheckFailed{description}); },
            Qt::QueuedConnection);
    };
    if (feed.isEmpty())
        return failLater(QStringLiteral("アップデートの確認先が設定されていません。"));
    if (!feed.isValid())
        return failLater(QStringLiteral("アップデートの確認先のアドレスが正しくありません。"));
    if (!isSecureUpdateURL(feed))
        return failLater(QStringLiteral("アップデートの確認先が HTTPS ではないため、確認しませんでした。"));
    if (!m_transfer) {
        std::variant<FeedTransfer*, QString> loaded = FeedTransferModule::create(this);
        if (const QString* why = std::get_if<QString>(&loaded))
            return failLater(
                QStringLiteral("アップデートの確認に必要な部品を読み込めませんでした（%1）。").arg(*why));
        m_transfer = std::get<FeedTransfer*>(loaded);
    }

    FeedTransferRequest request;
    request.url = feed;
    request.timeoutMs = m_transferTimeoutMs;
    request.maximumBytes = maximumFeedBytes;
    request.userAgent = QStringLiteral("Stellwick/%1").arg(QString::fromLatin1(build::version));
    request.redirectAllowed = [](const QUrl& target) { return isSecureUpdateURL(target); };
    m_transfer->fetch(request, [this, done = std::move(done)](const FeedTransferOutcome& outcome) {
        done(outcome.body ? interpret(*outcome.body) : UpdateCheckFailed{outcome.failure});
    });
}

UpdateCheckResult UpdateChecker::interpret(const QByteArray& feed) const {
    const AppcastReading reading = readAppcast(feed);
    if (reading.error)
        return UpdateCheckFailed{*reading.error};
    if (reading.newest && reading.newest->version > m_currentVersion)
        return UpdateAvailable{m_currentVersion, *reading.newest};
    return UpToDate{m_currentVersion};
}

} // namespace stellwick::linux_platform
