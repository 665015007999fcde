#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QTcpServer>

// An HTTP server on 127.0.0.1 that records each request and answers with a fixed status.
class LoopbackServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    LoopbackServer();

    quint16 port() const { return m_server.serverPort(); }
    void setStatus(int status) { m_status = status; }
    const QList<Request> &requests() const { return m_requests; }
    // Connections accepted, complete or not.
    int connectionCount() const { return m_connections; }

private:
    void onNewConnection();

    QTcpServer m_server;
    QList<Request> m_requests;
    int m_status = 200;
    int m_connections = 0;
};
