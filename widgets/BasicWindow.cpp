#include "BasicWindow.h"

#include <QCloseEvent>

BasicWindow::BasicWindow(QWidget* parent)
    : QMainWindow(parent)
{
}

void BasicWindow::closeEvent(QCloseEvent* event)
{
    emit closing(this, event);
    QWidget::closeEvent(event);
}
