#include "HttpHelper.h"

#include "GlobalConsole.h"

#include <QDebug>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <utility>

namespace {
const QString TimedOut = QStringLiteral("Request timed out");

QNetworkRequest requestFor(const QString& url)
{
    return QNetworkRequest(QUrl(url, QUrl::TolerantMode));
}
} // namespace

HttpHelper* HttpHelper::_instance = nullptr;
QNetworkAccessManager* HttpHelper::m_manager = nullptr;

HttpHelper::HttpHelper(QObject* parent)
    : QObject(parent)
{
}

HttpHelper* HttpHelper::Instance()
{
    if (!_instance)
        _instance = new HttpHelper();
    return _instance;
}

QNetworkAccessManager* HttpHelper::manager()
{
    if (!m_manager)
        m_manager = new QNetworkAccessManager();
    return m_manager;
}

void HttpHelper::emitProgress(const QString& url, qlonglong bytesReceived, qlonglong bytesTotal)
{
    emit progress(url, bytesReceived, bytesTotal);
}

QByteArray HttpHelper::get(const QString& url, QString* errors, int timeoutMs)
{
    QNetworkAccessManager local;
    // TLS errors are not ignored: they end the request, and their texts are kept.
    connect(&local, &QNetworkAccessManager::sslErrors, &local,
            [errors](QNetworkReply*, const QList<QSslError>& sslErrors) {
                for (const QSslError& error : sslErrors) {
                    if (errors)
                        errors->append(error.errorString() + u'\n');
                    qDebug() << error;
                }
            });
    QNetworkReply* reply = local.get(requestFor(url));
    connect(
        reply, &QNetworkReply::downloadProgress, Instance(),
        [url](qint64 received, qint64 total) { Instance()->emitProgress(url, received, total); }, Qt::DirectConnection);
    return awaitBody(reply, url, errors, timeoutMs);
}

QByteArray HttpHelper::post(const QString& url, const QMap<QString, QVariant>& parameters, int timeoutMs)
{
    QNetworkAccessManager local;
    QNetworkRequest request = requestFor(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    return awaitBody(local.post(request, formBody(parameters)), url, nullptr, timeoutMs);
}

QByteArray HttpHelper::formBody(const QMap<QString, QVariant>& parameters)
{
    // A form decoder reads "+" as a blank, so every value is percent-encoded in full.
    QByteArrayList items;
    for (auto parameter = parameters.cbegin(); parameter != parameters.cend(); ++parameter)
        items << QUrl::toPercentEncoding(parameter.key()) + '=' + QUrl::toPercentEncoding(parameter.value().toString());
    return items.join('&');
}

QByteArray HttpHelper::awaitBody(QNetworkReply* reply, const QString& url, QString* errors, int timeoutMs)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    connect(&deadline, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        deadline.start(timeoutMs);
        loop.exec();
    }
    reply->deleteLater();
    if (!timedOut && reply->error() == QNetworkReply::NoError)
        return reply->readAll();
    reportFailure(url, timedOut ? TimedOut : reply->errorString(), errors);
    return QByteArray();
}

void HttpHelper::reportFailure(const QString& url, const QString& problem, QString* errors)
{
    if (errors)
        errors->append(problem + u'\n');
    GlobalConsole::writeItem(
        QStringLiteral("HTTP request to %1 failed: %2").arg(url.toHtmlEscaped(), problem.toHtmlEscaped()),
        QStringLiteral("Error"));
}

void HttpHelper::getAsync(const QString& url, const DataCallback& onData)
{
    QNetworkRequest request = requestFor(url);
    request.setTransferTimeout(DefaultTimeoutMs);
    QNetworkReply* reply = manager()->get(request);
    connect(reply, &QNetworkReply::finished, Instance(), [reply, url, onData] {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::NoError)
            return onData(reply->readAll());
        reportFailure(url, reply->errorString(), nullptr);
        onData(QByteArray());
    });
}

void HttpHelper::getAsync(const QString& url, const DataCallback& onData, const ErrorCallback& onError, int timeoutMs)
{
    QNetworkReply* reply = manager()->get(requestFor(url));
    auto* timer = new QTimer(Instance());
    timer->setSingleShot(true);
    timer->setInterval(timeoutMs);
    // Aborting a reply makes it finish at once, so the reply's handler runs too: whichever
    // handler comes first answers, the other only tidies up.
    auto answered = std::make_shared<bool>(false);
    connect(timer, &QTimer::timeout, Instance(), [reply, timer, url, onError, answered] {
        *answered = true;
        timer->deleteLater();
        reply->abort();
        reportFailure(url, TimedOut, nullptr);
        onError(TimedOut);
    });
    connect(reply, &QNetworkReply::finished, Instance(), [reply, timer, url, onData, onError, answered] {
        reply->deleteLater();
        if (std::exchange(*answered, true))
            return;
        timer->stop();
        timer->deleteLater();
        if (reply->error() == QNetworkReply::NoError)
            return onData(reply->readAll());
        reportFailure(url, reply->errorString(), nullptr);
        onError(reply->errorString());
    });
    timer->start();
}

QJsonDocument HttpHelper::getJson(const QString& url)
{
    return QJsonDocument::fromJson(get(url));
}

QJsonDocument HttpHelper::postJson(const QString& url, const QMap<QString, QVariant>& parameters)
{
    return QJsonDocument::fromJson(post(url, parameters));
}

QMap<QString, QString> HttpHelper::parseUrl(const QString& url)
{
    QMap<QString, QString> parameters;
    const qsizetype mark = url.indexOf(u'?');
    if (mark < 0)
        return parameters;
    for (const QString& part : url.sliced(mark + 1).split(u'&')) {
        QStringList pieces = part.split(u'=');
        const QString name = QUrl::fromPercentEncoding(pieces.takeFirst().trimmed().toUtf8());
        if (!name.isEmpty())
            parameters.insert(name, QUrl::fromPercentEncoding(pieces.join(u'=').toUtf8()));
    }
    return parameters;
}
