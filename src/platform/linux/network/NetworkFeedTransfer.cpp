// The feed download over HTTPS, built as a module of its own so that the
// network stack (and what it links: Kerberos, proxy detection, TLS) is loaded
// only when an update check first runs.

#include "platform/linux/FeedTransfer.h"

#include <QNetworkAccessManager>
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

class NetworkFeedTransfer final : public FeedTransfer {
public:
    explicit NetworkFeedTransfer(QObject* parent)
        : FeedTransfer(parent)
        // A child, so that it and its replies go only after this object's
        // connections are cut and no completion can run during destruction.
        , m_network(new QNetworkAccessManager(this)) {}

    void fetch(const FeedTransferRequest& request,
               std::function<void(const FeedTransferOutcome&)> done) override {
        QNetworkRequest get(request.url);
        get.setTransferTimeout(request.timeoutMs);
        get.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
        get.setMaximumRedirectsAllowed(5);
        get.setHeader(QNetworkRequest::UserAgentHeader, request.userAgent);
        QNetworkReply* reply = m_network->get(get);

        auto stop = std::make_shared<Stop>(Stop::none);
        connect(reply, &QNetworkReply::redirected, reply,
                [reply, stop, allowed = request.redirectAllowed](const QUrl& target) {
                    if (allowed && allowed(target)) {
                        emit reply->redirectAllowed();
                        return;
                    }
                    *stop = Stop::insecureRedirect;
                    reply->abort();
                });
        connect(reply, &QNetworkReply::downloadProgress, reply,
                [reply, stop, limit = request.maximumBytes](qint64 received, qint64 total) {
                    if (received > limit || total > limit) {
                        *stop = Stop::tooLarge;
                        reply->abort();
                    }
                });
        connect(reply, &QNetworkReply::finished, this, [reply, stop, done = std::move(done)] {
            reply->deleteLater();
            if (reply->error() != QNetworkReply::NoError || *stop != Stop::none) {
                done(FeedTransferOutcome{std::nullopt, networkFailure(*reply, *stop)});
                return;
            }
            done(FeedTransferOutcome{reply->readAll(), {}});
        });
    }

private:
    QNetworkAccessManager* m_network;
};

} // namespace
} // namespace stellwick::linux_platform

extern "C" Q_DECL_EXPORT stellwick::linux_platform::FeedTransfer*
stellwick_create_feed_transfer(QObject* parent) {
    return new stellwick::linux_platform::NetworkFeedTransfer(parent);
}
