#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// An HTTP server on 127.0.0.1 that records each request and answers with a fixed status.
// Header-only without a meta-object of its own, so other test folders can include it.
class LoopbackServer : public QObject
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    LoopbackServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &LoopbackServer::onNewConnection);
    }

    quint16 port() const { return m_server.serverPort(); }
    void setStatus(int status) { m_status = status; }
    const QList<Request> &requests() const { return m_requests; }
    // Connections accepted, complete or not.
    int connectionCount() const { return m_connections; }

private:
    void onNewConnection()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++m_connections;
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype headerEnd = buffer->indexOf("\r\n\r\n");
                if (headerEnd < 0) {
                    return;
                }
                Request request;
                const QList<QByteArray> lines = buffer->left(headerEnd).split('\n');
                const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
                request.method = requestLine.value(0);
                request.path = requestLine.value(1);
                for (qsizetype i = 1; i < lines.size(); ++i) {
                    const qsizetype colon = lines[i].indexOf(':');
                    if (colon > 0) {
                        request.headers.insert(
                            lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
                    }
                }
                const qsizetype length = request.headers.value("content-length").toLongLong();
                if (buffer->size() < headerEnd + 4 + length) {
                    return;
                }
                request.body = buffer->mid(headerEnd + 4, length);
                buffer->remove(0, headerEnd + 4 + length);
                m_requests.append(request);
                const QByteArray body = "{}";
                socket->write("HTTP/1.1 " + QByteArray::number(m_status)
                    + " Status\r\nContent-Type: application/json\r\n"
                      "Content-Length: "
                    + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
    QList<Request> m_requests;
    int m_status = 200;
    int m_connections = 0;
};
