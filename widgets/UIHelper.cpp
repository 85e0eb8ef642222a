#include "UIHelper.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

void UIHelper::ChangeBackground(QWidget* widget, const QColor& colour)
{
    if (!widget)
        return;
    QPalette palette = widget->palette();
    palette.setBrush(QPalette::All, QPalette::Window, QBrush(colour));
    widget->setAutoFillBackground(true);
    widget->setPalette(palette);
}
