#include "ZTMainWindow.h"

#include "ConnectionHelper.h"
#include "StyleHelper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWindowStateChangeEvent>

ZTMainWindow::ZTMainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    qRegisterMetaType<Qt::WindowStates>("Qt::WindowStates");
    setObjectName(QStringLiteral("ZTMainWindow"));
}

ZTMainWindow::~ZTMainWindow()
{
    ConnectionHelper::Global().clear();
    StyleHelper::Clean();
}

void ZTMainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    emit resized();
}

void ZTMainWindow::closeEvent(QCloseEvent* event)
{
    bool closeForGood = true;
    emit closing(closeForGood);
    if (closeForGood)
        QApplication::closeAllWindows();
    else
        event->ignore();
}

void ZTMainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        emit windowStateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState());
}
