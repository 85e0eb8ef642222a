#include "MediaPermissions.h"

MediaPermissions::Status MediaPermissions::check(Kind)
{
    return Status::Granted;
}

QString MediaPermissions::statusName(Status status)
{
    switch (status) {
    case Status::Granted:
        return QStringLiteral("Granted");
    case Status::Denied:
        return QStringLiteral("Denied");
    case Status::Undetermined:
        break;
    }
    return QStringLiteral("Undetermined");
}
