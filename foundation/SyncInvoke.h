#pragma once

#include <QVariant>

// A value handed back from an invocation together with whether it was produced.
struct SyncInvoke
{
    QVariant value;
    bool flag = false;
};
