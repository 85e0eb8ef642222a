#include "DoubleClickButton.h"

#include "CursorHelper.h"

#include <QMouseEvent>

DoubleClickButton::DoubleClickButton(const QIcon& icon, const QString& text, QWidget* parent)
    : QPushButton(icon, text, parent)
{
    CursorHelper::setCursor(this, Qt::PointingHandCursor);
}

DoubleClickButton::DoubleClickButton(const QString& text, QWidget* parent)
    : DoubleClickButton(QIcon(), text, parent)
{
}

DoubleClickButton::DoubleClickButton(QWidget* parent)
    : DoubleClickButton(QIcon(), QString(), parent)
{
}

void DoubleClickButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}
