#include "NewVersionMenuAction.h"

#include "NewVersionChecker.h"

NewVersionMenuAction::NewVersionMenuAction(const QString& preliminaryText, QObject* parent)
    : QAction(QStringLiteral("hello"), parent)
    , checker(new NewVersionChecker(preliminaryText, this))
{
    setVisible(false);
    connections << connect(checker, &NewVersionChecker::onSetText, this, &QAction::setText);
    connections << connect(checker, &NewVersionChecker::onSetTooltip, this, &QAction::setToolTip);
    connections << connect(checker, &NewVersionChecker::onSetVisible, this, &QAction::setVisible);
    connections << connect(this, &QAction::triggered, checker, &NewVersionChecker::action);
    checker->start();
}
