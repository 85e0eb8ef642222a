#pragma once

#include <QMetaType>
#include <QString>

// What the update service says about the newest version. `valid` is set only for a version the
// user should be offered: one the service vouches for and that is newer than the running one.
struct VersionInfo
{
    bool valid = false;
    QString version;
    QString date;
    bool critical = false;
    QString link;
    QString changelog;
    QString info;
};

Q_DECLARE_METATYPE(VersionInfo)
