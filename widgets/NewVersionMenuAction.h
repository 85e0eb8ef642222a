#pragma once

#include "ConnectionHelper.h"

#include <QAction>
#include <QString>

class NewVersionChecker;

// A menu entry that stays hidden until the update check knows a newer version, then names it
// and opens its download link when triggered.
class NewVersionMenuAction : public QAction
{
    Q_OBJECT

public:
    explicit NewVersionMenuAction(const QString& preliminaryText = QString(), QObject* parent = nullptr);

private:
    NewVersionChecker* checker;
    ConnectionHelper connections;
};
