#include "GlobalConsole.h"
#include "HttpHelper.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using Parameters = QMap<QString, QString>;

namespace {
// A web server on the loopback address: "/data" answers "payload", "/json" a JSON object,
// "/redirect" sends to "/data", "/missing" answers 404 with a page, "/echo" answers a POST with
// its body, and "/silent" never answers.
class LoopbackServer : public QObject
{
public:
    LoopbackServer()
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        });
    }

    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path);
    }

    QByteArray lastRequest;

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray& request = pending[socket];
        request += socket->readAll();
        const qsizetype headerEnd = request.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QByteArray head = request.left(headerEnd).toLower();
        const qsizetype lengthAt = head.indexOf("content-length:");
        const int length =
            lengthAt < 0 ? 0 : head.mid(lengthAt + 15, head.indexOf('\r', lengthAt) - lengthAt - 15).trimmed().toInt();
        if (request.size() < headerEnd + 4 + length)
            return;
        lastRequest = pending.take(socket);
        const QByteArray path = lastRequest.split(' ').value(1);
        if (path == "/data")
            answer(socket, "200 OK", "", "payload");
        else if (path == "/json")
            answer(socket, "200 OK", "", R"({"answer":42})");
        else if (path == "/redirect")
            answer(socket, "302 Found", "Location: /data\r\n", "");
        else if (path == "/echo")
            answer(socket, "200 OK", "", lastRequest.mid(headerEnd + 4));
        else if (path != "/silent")
            answer(socket, "404 Not Found", "", R"({"error":"page"})");
    }

    static void answer(QTcpSocket* socket, const QByteArray& status, const QByteArray& headers, const QByteArray& body)
    {
        socket->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size())
                      + "\r\nConnection: close\r\n" + headers + "\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server;
    QHash<QTcpSocket*, QByteArray> pending;
};

// A port on which nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}
} // namespace

class TestHttpHelper : public QObject
{
    Q_OBJECT

    LoopbackServer server;

    // Everything the callbacks of one asynchronous request were called with, in order.
    QList<QString> calls;

    void getAsyncWithBothCallbacks(const QString& url, int timeoutMs)
    {
        HttpHelper::getAsync(
            url, [this](const QByteArray& body) { calls << "data " + QString::fromUtf8(body); },
            [this](const QString& message) { calls << "error " + message; }, timeoutMs);
    }

    // Runs what is queued, deferred deletions included, so that a late second call would show.
    static void settle()
    {
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }

private slots:
    void blockingGetFollowsRedirectsAndReportsFailures()
    {
        QSignalSpy progress(HttpHelper::Instance(), &HttpHelper::progress);
        QString errors;
        QCOMPARE(HttpHelper::get(server.url("/redirect"), &errors), QByteArray("payload"));
        QVERIFY(errors.isEmpty());
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().value(2).toLongLong(), 7);
        QCOMPARE(HttpHelper::getJson(server.url("/json")).object().value("answer").toInt(), 42);

        // An error page is not data, even when it is JSON.
        QVERIFY(HttpHelper::get(server.url("/missing"), &errors).isEmpty());
        QVERIFY2(errors.contains("Not Found"), qPrintable(errors));
        QVERIFY(HttpHelper::getJson(server.url("/missing")).isNull());
        QVERIFY(GlobalConsole::currentText().contains("HTTP request to " + server.url("/missing") + " failed"));

        // A server that never answers ends the wait after the time-out.
        errors.clear();
        QElapsedTimer waited;
        waited.start();
        QVERIFY(HttpHelper::get(server.url("/silent"), &errors, 300).isEmpty());
        QVERIFY(waited.elapsed() < 10000);
        QCOMPARE(errors, "Request timed out\n");
        QVERIFY(HttpHelper::post(server.url("/silent"), {{"a", 1}}, 300).isEmpty());
    }

    void postSendsAnEncodedForm()
    {
        QCOMPARE(HttpHelper::post(server.url("/echo"), {{"b", 2}, {"a", "1"}}), QByteArray("a=1&b=2"));
        QVERIFY(server.lastRequest.contains("Content-Type: application/x-www-form-urlencoded"));
        // A form decoder reads "+" as a blank: it must arrive encoded, like "&" and "=".
        const QString value = QStringLiteral("1+1 & x=ё");
        const QByteArray body = HttpHelper::post(server.url("/echo"), {{"value", value}});
        QCOMPARE(body, QByteArray("value=1%2B1%20%26%20x%3D%D1%91"));
        QCOMPARE(HttpHelper::parseUrl("?" + QString::fromUtf8(body)).value("value"), value);
        QCOMPARE(HttpHelper::postJson(server.url("/echo"), {{"a", 1}}), QJsonDocument());
    }

    void asynchronousGetCallsExactlyOneCallbackOnce_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("call");
        QTest::newRow("answer") << "/redirect"
                                << "data payload";
        QTest::newRow("error page") << "/missing"
                                    << "error";
        QTest::newRow("silence") << "/silent"
                                 << "error Request timed out";
    }

    void asynchronousGetCallsExactlyOneCallbackOnce()
    {
        QFETCH(QString, path);
        QFETCH(QString, call);
        calls.clear();
        getAsyncWithBothCallbacks(server.url(path), 300);
        QTRY_COMPARE_WITH_TIMEOUT(calls.size(), 1, 10000);
        settle();
        QCOMPARE(calls.size(), 1);
        QVERIFY2(calls.first().startsWith(call), qPrintable(calls.first()));
    }

    void asynchronousGetWithoutErrorCallbackGivesAnEmptyBody()
    {
        QList<QByteArray> bodies;
        HttpHelper::getAsync(server.url("/data"), [&](const QByteArray& body) { bodies << body; });
        HttpHelper::getAsync(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort()),
                             [&](const QByteArray& body) { bodies << body; });
        HttpHelper::getAsync(server.url("/missing"), [&](const QByteArray& body) { bodies << body; });
        QTRY_COMPARE_WITH_TIMEOUT(bodies.size(), 3, 10000);
        settle();
        QCOMPARE(bodies.size(), 3);
        QVERIFY(bodies.contains("payload"));
        QCOMPARE(bodies.count(QByteArray()), 2);
    }

    void queryParameters_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<Parameters>("parameters");
        QTest::newRow("documented") << "http://h/p?a=1&b=x=y&&c" << Parameters{{"a", "1"}, {"b", "x=y"}, {"c", ""}};
        QTest::newRow("no query") << "http://h/p" << Parameters();
        QTest::newRow("decoding") << "?%20n%C3%A4me%20=v%26+w%3D&=skipped&n%C3%A4me=last"
                                  << Parameters{{"näme", "last"}, {" näme ", "v&+w="}};
    }

    void queryParameters()
    {
        QFETCH(QString, url);
        QFETCH(Parameters, parameters);
        QCOMPARE(HttpHelper::parseUrl(url), parameters);
    }
};

QTEST_GUILESS_MAIN(TestHttpHelper)
#include "tst_httphelper.moc"
