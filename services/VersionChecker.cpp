#include "VersionChecker.h"

#include "AppHelper.h"
#include "Clock.h"
#include "ZTimer.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QUrl>
#include <QVersionNumber>

#include <algorithm>
#include <climits>

namespace {
QString encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QNetworkRequest requestFor(const QString& url)
{
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    request.setTransferTimeout(VersionChecker::requestTimeoutMs);
    return request;
}

// The body of a reply that arrived whole; an error page, a refusal or a time-out gives nothing.
QByteArray bodyOf(QNetworkReply* reply)
{
    if (reply->error() == QNetworkReply::NoError)
        return reply->readAll();
    qDebug().noquote() << "Update check failed:" << reply->errorString();
    return QByteArray();
}
} // namespace

QString VersionChecker::baseUrl = QStringLiteral("https://update.kestrum.example/repo/version.php");
int VersionChecker::requestTimeoutMs = 30000;
VersionChecker* VersionChecker::_instance = nullptr;

VersionChecker::VersionChecker(QObject* parent)
    : QObject(parent)
    , clock(Clock::system())
{
    qRegisterMetaType<VersionInfo>("VersionInfo");
}

VersionChecker* VersionChecker::Instance()
{
    if (!_instance)
        _instance = new VersionChecker();
    return _instance;
}

VersionInfo VersionChecker::LastVersion()
{
    return Instance()->lastResult;
}

void VersionChecker::StartChecking(bool start, int seconds)
{
    VersionChecker* checker = Instance();
    if (!checker->checkTimer) {
        // A child of the checker, which lives to the end of the process.
        checker->checkTimer = new ZTimer(checker);
        connect(
            checker->checkTimer, &QTimer::timeout, checker, [checker] { checker->findNewVersionAsync(); },
            Qt::QueuedConnection);
    }
    if (!start)
        return;
    checker->checkTimer->start(std::clamp(seconds, MinimumIntervalSeconds, INT_MAX / 1000) * 1000);
    checker->findNewVersionAsync();
}

void VersionChecker::FindNewVersionAsync()
{
    Instance()->findNewVersionAsync();
}

VersionInfo VersionChecker::findNewVersion(const QString& locale)
{
    return findNewVersion(defaultAppName(), defaultVersion(), locale);
}

VersionInfo VersionChecker::findNewVersion(const QString& appName, const QString& version, const QString& locale)
{
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(requestFor(fetchUrl(appName, version, locale)));
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    reply->deleteLater();
    VersionChecker* checker = Instance();
    checker->lastResult = answerFor(bodyOf(reply), version);
    return checker->lastResult;
}

void VersionChecker::setClock(Clock* clock)
{
    Instance()->clock = clock ? clock : Clock::system();
}

void VersionChecker::findNewVersionAsync()
{
    findNewVersionAsync(defaultAppName(), defaultVersion(), defaultLocale());
}

void VersionChecker::findNewVersionAsync(const QString& appName, const QString& version, const QString& locale)
{
    if (!mayRequestNow())
        return;
    ready = false;
    if (!manager)
        manager = new QNetworkAccessManager(this);
    QNetworkReply* reply = manager->get(requestFor(fetchUrl(appName, version, locale)));
    connect(
        reply, &QNetworkReply::finished, this,
        [this, reply, version] {
            reply->deleteLater();
            receive(answerFor(bodyOf(reply), version));
        },
        Qt::QueuedConnection);
}

bool VersionChecker::mayRequestNow()
{
    if (!ready)
        return false;
    const qint64 now = clock->monotonicMs();
    if (requested && now - lastRequestMs < MinimumSpacingMs)
        return false;
    requested = true;
    lastRequestMs = now;
    return true;
}

void VersionChecker::receive(const VersionInfo& info)
{
    lastResult = info;
    ready = true;
    emit versionFound(lastResult);
}

QString VersionChecker::fetchUrl(const QString& appName, const QString& version, const QString& locale)
{
    return baseUrl + QStringLiteral("?app=") + encoded(appName) + QStringLiteral("&version=") + encoded(version)
           + QStringLiteral("&locale=") + encoded(locale) + QStringLiteral("&platform=") + encoded(AppHelper::OS())
           + QStringLiteral("&os=") + encoded(AppHelper::OSName()) + QStringLiteral("&osversion=")
           + encoded(AppHelper::OSVersion());
}

VersionInfo VersionChecker::parseVersionInfo(const QByteArray& body)
{
    const QJsonObject answer = QJsonDocument::fromJson(body).object();
    VersionInfo info;
    info.version = answer.value(QStringLiteral("version")).toString();
    info.link = answer.value(QStringLiteral("link")).toString();
    info.changelog = answer.value(QStringLiteral("changelog")).toString();
    info.critical = answer.value(QStringLiteral("critical")).toBool(false);
    info.info = answer.value(QStringLiteral("info")).toString();
    info.date = answer.value(QStringLiteral("date")).toString();
    info.valid = answer.value(QStringLiteral("valid")).toBool(false);
    return info;
}

VersionInfo VersionChecker::answerFor(const QByteArray& body, const QString& askedVersion)
{
    VersionInfo info = parseVersionInfo(body);
    info.valid = info.valid && isNewer(info.version, askedVersion);
    return info;
}

QString VersionChecker::defaultAppName()
{
    return QCoreApplication::applicationName();
}

QString VersionChecker::defaultVersion()
{
    return AppHelper::appVersion(true);
}

QString VersionChecker::defaultLocale()
{
    return QLocale::system().name();
}

qint64 VersionChecker::versionToZero4Number(const QString& version)
{
    const QStringList parts = version.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    qint64 number = 0;
    qint64 factor = 1;
    for (auto part = parts.crbegin(); part != parts.crend(); ++part) {
        bool isNumber = false;
        const qint64 value = part->toLongLong(&isNumber);
        qint64 term = 0;
        if (__builtin_mul_overflow(isNumber ? value : 0, factor, &term)
            || __builtin_add_overflow(number, term, &number))
            return 0;
        if (std::next(part) != parts.crend() && __builtin_mul_overflow(factor, qint64(10000), &factor))
            return 0;
    }
    return number;
}

QString VersionChecker::versionToZero4String(const QString& version)
{
    return QString::number(versionToZero4Number(version)).rightJustified(9, QLatin1Char('0'));
}

QString VersionChecker::versionFromZero4String(const QString& number)
{
    qint64 rest = number.toLongLong();
    const qint64 major = rest >= 100000000 ? rest / 100000000 : 0;
    rest -= major * 100000000;
    const qint64 minor = rest >= 10000 ? rest / 10000 : 0;
    rest -= minor * 10000;
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(rest);
}

bool VersionChecker::isNewer(const QString& offered, const QString& own)
{
    bool plain = false;
    const QVersionNumber version = readVersion(offered, &plain);
    return plain && !version.isNull() && version > readVersion(own);
}

QVersionNumber VersionChecker::readVersion(const QString& text, bool* plain)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    const QVersionNumber version = QVersionNumber::fromString(trimmed, &end);
    if (plain)
        *plain = end == trimmed.size();
    return version.normalized();
}
