#include "platform/linux/UpdateChecker.h"

#include "BuildInfo.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <memory>

namespace stellwick::linux_platform {
namespace {

// Why a transfer was stopped on our side.
enum class Stop { none, insecureRedirect, tooLarge };

QString networkFailure(const QNetworkReply& reply, Stop stop) {
    switch (stop) {
    case Stop::insecureRedirect:
        return QStringLiteral("フィードが HTTPS ではない場所へ転送されたため、確認を中止しました。");
    case Stop::tooLarge:
        return QStringLiteral("フィードが大きすぎるため、確認を中止しました。");
    case Stop::none:
        break;
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        return QStringLiteral("サーバーがエラーを返しました（HTTP %1）。").arg(status.toInt());
    // The transfer time-out ends the reply as if it had been cancelled.
    if (reply.error() == QNetworkReply::OperationCanceledError ||
        reply.error() == QNetworkReply::TimeoutError)
        return QStringLiteral("サーバーが時間内に応答しませんでした。");
    return QStringLiteral("サーバーに接続できませんでした（%1）。").arg(reply.errorString());
}

} // namespace

UpdateChecker::UpdateChecker(VersionNumber currentVersion, int transferTimeoutMs)
    : m_currentVersion(std::move(currentVersion))
    , m_transferTimeoutMs(transferTimeoutMs)
    , m_network(new QNetworkAccessManager(this)) {}

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

    QNetworkRequest request(feed);
    request.setTransferTimeout(m_transferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Stellwick/%1").arg(QString::fromLatin1(build::version)));
    QNetworkReply* reply = m_network->get(request);

    auto stop = std::make_shared<Stop>(Stop::none);
    connect(reply, &QNetworkReply::redirected, reply, [reply, stop](const QUrl& target) {
        if (isSecureUpdateURL(target)) {
            emit reply->redirectAllowed();
            return;
        }
        *stop = Stop::insecureRedirect;
        reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, stop](qint64 received, qint64 total) {
        if (received > maximumFeedBytes || total > maximumFeedBytes) {
            *stop = Stop::tooLarge;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, stop, done = std::move(done)] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError || *stop != Stop::none) {
            done(UpdateCheckFailed{networkFailure(*reply, *stop)});
            return;
        }
        done(interpret(reply->readAll()));
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
