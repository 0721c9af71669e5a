#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

namespace stellwick::test {

// A tiny HTTP/1.1 server on 127.0.0.1 with canned answers per path, for
// checks that must go over a real socket. Unknown paths get 404; a silent
// server accepts connections and never answers.
class LocalHttpServer final : public QObject {
    Q_OBJECT

public:
    struct Response {
        Response(int status = 200, QByteArray body = {}, QByteArray headers = {})
            : status(status)
            , body(std::move(body))
            , headers(std::move(headers)) {}
        int status;
        QByteArray body;
        QByteArray headers; // extra header lines, each ending in \r\n
    };

    LocalHttpServer();

    QUrl url(const QString& path) const;
    void serve(const QString& path, Response response) { m_responses.insert(path, std::move(response)); }
    void setSilent(bool silent) { m_silent = silent; }
    int requestCount() const { return m_requestCount; }

signals:
    void requestReceived(const QString& path);

private:
    void answer(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QString, Response> m_responses;
    bool m_silent = false;
    int m_requestCount = 0;
};

} // namespace stellwick::test
