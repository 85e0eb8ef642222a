#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// One-call HTTP access: a blocking GET that returns the body, asynchronous GETs with callbacks,
// JSON variants, a blocking form POST, and the parameters of an address's query.
//
// No call waits forever: the blocking ones give up after their time-out and the asynchronous
// ones report a silent server too. A failed request (no answer in time, a refused connection,
// an HTTP error status, a TLS error) gives an empty body, never an error page or a partial body
// taken for data, and is named on the message console. An asynchronous request with an error
// callback calls exactly one of its callbacks, once. The blocking calls run a nested event loop
// in the calling thread; the asynchronous callbacks run in the user-interface thread, where the
// singleton lives. Both callbacks must be set.
class HttpHelper : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultTimeoutMs = 30000;

    using DataCallback = std::function<void(const QByteArray& body)>;
    using ErrorCallback = std::function<void(const QString& message)>;

    explicit HttpHelper(QObject* parent = nullptr);

    static HttpHelper* Instance();
    // The network access manager of the asynchronous requests, made on first use.
    static QNetworkAccessManager* manager();

    // The body; empty on failure, with the reason appended to `errors` when given (one line a
    // problem, TLS errors each on its own line).
    static QByteArray get(const QString& url, QString* errors = nullptr, int timeoutMs = DefaultTimeoutMs);
    // Calls back with the body, or with an empty body when the request failed or stayed
    // unanswered for DefaultTimeoutMs.
    static void getAsync(const QString& url, const DataCallback& onData);
    // Calls back with the body, or with the error text: "Request timed out" when no answer has
    // come within the time-out.
    static void getAsync(const QString& url, const DataCallback& onData, const ErrorCallback& onError, int timeoutMs);
    // The body of get() read as JSON; an empty document when it is not JSON.
    static QJsonDocument getJson(const QString& url);
    // Sends the parameters, in name order, as an "application/x-www-form-urlencoded" body (names
    // and values percent-encoded, "+" too) and returns the answer's body; empty on failure.
    static QByteArray post(const QString& url, const QMap<QString, QVariant>& parameters,
                           int timeoutMs = DefaultTimeoutMs);
    static QJsonDocument postJson(const QString& url, const QMap<QString, QVariant>& parameters);
    // The parameters of the query after the first "?": names trimmed, names and values
    // percent-decoded as UTF-8, a value may hold "=", "+" stays "+", the last of a repeated name
    // wins, parts without a name are skipped.
    static QMap<QString, QString> parseUrl(const QString& url);

signals:
    // Emitted by the singleton while a blocking GET downloads.
    void progress(QString url, qlonglong bytesReceived, qlonglong bytesTotal);

protected:
    void emitProgress(const QString& url, qlonglong bytesReceived, qlonglong bytesTotal);

private:
    static QByteArray awaitBody(QNetworkReply* reply, const QString& url, QString* errors, int timeoutMs);
    static void reportFailure(const QString& url, const QString& problem, QString* errors);
    static QByteArray formBody(const QMap<QString, QVariant>& parameters);

    static HttpHelper* _instance;
    static QNetworkAccessManager* m_manager;
};
