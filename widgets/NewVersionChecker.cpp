#include "NewVersionChecker.h"

#include "GlobalConsole.h"
#include "VersionChecker.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace {
constexpr int CheckIntervalSeconds = 600;
}

NewVersionChecker::NewVersionChecker(const QString& preliminaryText, QObject* parent)
    : QObject(parent)
    , preliminaryText(preliminaryText)
{
}

void NewVersionChecker::setPreliminaryText(const QString& text)
{
    preliminaryText = text;
}

void NewVersionChecker::start()
{
    connections << connect(VersionChecker::Instance(), &VersionChecker::versionFound, this,
                           &NewVersionChecker::applyLastResult, Qt::QueuedConnection);
    if (VersionChecker::LastVersion().valid)
        applyLastResult();
    else
        VersionChecker::StartChecking(true, CheckIntervalSeconds);
}

void NewVersionChecker::applyLastResult()
{
    const VersionInfo info = VersionChecker::LastVersion();
    if (info.valid) {
        link = info.link;
        const QString start =
            preliminaryText.isEmpty()
                ? QCoreApplication::translate("Generic", qPrintable(QCoreApplication::applicationName()))
                      + QLatin1Char(' ')
                : preliminaryText;
        emit onSetText(start + info.version);
        emit onSetTooltip(tr("Click to download new version") + QLatin1Char(' ') + info.version);
    }
    emit onSetVisible(info.valid);
}

void NewVersionChecker::action()
{
    if (link.isEmpty())
        return;
    if (!isWebLink(link)) {
        GlobalConsole::writeItem(QStringLiteral("Not a web address, not opened: ") + link.toHtmlEscaped(),
                                 QStringLiteral("Error"));
        return;
    }
    QDesktopServices::openUrl(QUrl(link));
}

bool NewVersionChecker::isWebLink(const QString& link)
{
    const QUrl url(link);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == QStringLiteral("http") || scheme == QStringLiteral("https"));
}
