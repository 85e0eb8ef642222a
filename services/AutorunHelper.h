#pragma once

#include <QString>
#include <QVariant>

// Starting a program with the system. On Windows this is an entry in the machine-wide "Run" key
// of the registry, changed directly or by an elevated tool. This system has no such registry:
// nothing is registered and nothing is changed, every change is refused with a message on the
// console, and no call waits.
class AutorunHelper
{
public:
    explicit AutorunHelper(const QString& path);

    bool isInAutoRun() const;
    bool isValid() const;
    bool isPathValid() const;
    QVariant settingsValue() const;
    // False: the wanted state cannot be reached here.
    bool setInAutorun(bool add);

    static bool isAppInAutorun(const QString& path);
    static bool setAppInAutorun(const QString& path, bool add);
    static bool isThisAppInAutorun();
    static bool setThisAppInAutorun(bool add);
    static bool setAppInAutorunUsingExe(const QString& path, bool add, bool backgroundForm);
    static bool setThisAppInAutorunUsingExe(bool add);

private:
    static bool refuse(const QString& path);

    QString path;
};
