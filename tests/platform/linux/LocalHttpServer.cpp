#include "LocalHttpServer.h"

#include <QTcpSocket>

namespace stellwick::test {

LocalHttpServer::LocalHttpServer() {
    if (!m_server.listen(QHostAddress::LocalHost))
        qFatal("cannot listen on 127.0.0.1: %s", qPrintable(m_server.errorString()));
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl LocalHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LocalHttpServer::answer(QTcpSocket* socket) {
    if (socket->property("answered").toBool())
        return;
    const QByteArray request = socket->peek(64 * 1024);
    if (!request.contains("\r\n\r\n"))
        return; // the headers are not complete yet
    socket->readAll();
    socket->setProperty("answered", true);
    const QString path = QString::fromLatin1(request.split(' ').value(1));
    ++m_requestCount;
    emit requestReceived(path);
    if (m_silent)
        return;

    const Response response = m_responses.value(path, Response{404, "not found"});
    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(response.status) + " Canned\r\n";
    bytes += "Content-Type: application/rss+xml; charset=utf-8\r\n";
    bytes += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    bytes += response.headers;
    bytes += "Connection: close\r\n\r\n";
    bytes += response.body;
    socket->write(bytes);
    socket->disconnectFromHost();
}

} // namespace stellwick::test
