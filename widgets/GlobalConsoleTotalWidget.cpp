#include "GlobalConsoleTotalWidget.h"

#include "GlobalConsoleStatusWidget.h"
#include "GlobalConsoleWidget.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QSplitter>

GlobalConsoleTotalWidget::GlobalConsoleTotalWidget(QWidget* parent)
    : QWidget(parent)
{
    setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* horizontal = new QSplitter(Qt::Horizontal, this);
    horizontal->addWidget(new GlobalConsoleWidget(horizontal));
    auto* vertical = new QSplitter(Qt::Vertical, horizontal);
    vertical->addWidget(new GlobalConsoleStatusWidget(GlobalConsoleStatusWidget::Averages, vertical));
    vertical->addWidget(new GlobalConsoleStatusWidget(GlobalConsoleStatusWidget::Status, vertical));
    horizontal->addWidget(vertical);
    grid->addWidget(horizontal);
}

void GlobalConsoleTotalWidget::closeEvent(QCloseEvent* event)
{
    emit closing();
    QWidget::closeEvent(event);
}
