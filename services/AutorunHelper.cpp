#include "AutorunHelper.h"

#include "GlobalConsole.h"

#include <QCoreApplication>
#include <QFileInfo>

AutorunHelper::AutorunHelper(const QString& path)
    : path(QFileInfo::exists(path) ? QFileInfo(path).absoluteFilePath() : path)
{
}

bool AutorunHelper::isInAutoRun() const
{
    return false;
}

bool AutorunHelper::isValid() const
{
    return false;
}

bool AutorunHelper::isPathValid() const
{
    return QFileInfo::exists(path);
}

QVariant AutorunHelper::settingsValue() const
{
    return QVariant();
}

bool AutorunHelper::setInAutorun(bool)
{
    return refuse(path);
}

bool AutorunHelper::isAppInAutorun(const QString& path)
{
    return AutorunHelper(path).isInAutoRun();
}

bool AutorunHelper::setAppInAutorun(const QString& path, bool add)
{
    return AutorunHelper(path).setInAutorun(add);
}

bool AutorunHelper::isThisAppInAutorun()
{
    return isAppInAutorun(QCoreApplication::applicationFilePath());
}

bool AutorunHelper::setThisAppInAutorun(bool add)
{
    return setAppInAutorun(QCoreApplication::applicationFilePath(), add);
}

bool AutorunHelper::setAppInAutorunUsingExe(const QString& path, bool, bool)
{
    return refuse(path);
}

bool AutorunHelper::setThisAppInAutorunUsingExe(bool add)
{
    return setAppInAutorunUsingExe(QCoreApplication::applicationFilePath(), add, false);
}

bool AutorunHelper::refuse(const QString& path)
{
    GlobalConsole::writeItem(
        QStringLiteral("Starting \"%1\" with the system is not available on this platform; nothing was changed.")
            .arg(path.toHtmlEscaped()),
        QStringLiteral("Error"));
    return false;
}
