#pragma once

// Shared by the tests of the update check and of the widgets that offer a newer version.
// Header only.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

// The update service on the loopback address: answers every GET with the status and body set
// last, or never answers while silent. Keeps the address of every request it was sent.
class LoopbackUpdateServer : public QObject
{
public:
    LoopbackUpdateServer()
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        });
    }

    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/repo/version.php").arg(server.serverPort()); }

    void answer(const QByteArray& newStatus, const QByteArray& newBody)
    {
        silent = false;
        status = newStatus;
        body = newBody;
    }

    bool silent = false;
    QList<QByteArray> targets;

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray& request = received[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        targets << request.split(' ').value(1);
        if (silent)
            return;
        socket->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size())
                      + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server;
    QHash<QTcpSocket*, QByteArray> received;
    QByteArray status = "200 OK";
    QByteArray body;
};
