// A small HTTP server on 127.0.0.1 for the web window tests: serves a page for
// any path, a file offered for download under /files/, and counts the requests.
#pragma once

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>

class TestHttpServer : public QObject
{
public:
    TestHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    // How many times a path (with its query) was asked for.
    int count(const QString &target) const { return m_counts.value(target); }
    QStringList requests() const { return m_log; }

private:
    void serve(QTcpSocket *s)
    {
        QByteArray &buffer = m_buffers[s];
        buffer += s->readAll();
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> first = buffer.left(buffer.indexOf("\r\n")).split(' ');
        m_buffers.remove(s);
        const QString target = QString::fromLatin1(first.value(1));
        if (target == QLatin1String("/favicon.ico")) {
            s->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            s->disconnectFromHost();
            return;
        }
        m_counts[target] += 1;
        m_log << target;
        QByteArray body, head;
        if (target.startsWith(QLatin1String("/files/"))) {
            body = QByteArray(4096, 'u');
            head = "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"update.bin\"\r\n";
        } else {
            body = "<html><head><title>" + target.toUtf8() + "</title></head><body style='background:#fff'>"
                   "<h1>Page " + target.toHtmlEscaped().toUtf8() + "</h1><a id='next' href='/other.html'>next</a></body></html>";
            head = "Content-Type: text/html; charset=utf-8\r\n";
        }
        s->write("HTTP/1.1 200 OK\r\n" + head + "Cache-Control: no-store\r\nContent-Length: "
                 + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, int> m_counts;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QStringList m_log;
};
