#include "ClickableWidget.h"

#include "UIHelper.h"

#include <QCloseEvent>
#include <QMouseEvent>

namespace {

const QColor HighlightColor(0x33, 0x99, 0xFF);

} // namespace

ClickableWidget::ClickableWidget(QWidget* parent)
    : QWidget(parent)
{
    UIHelper::ChangeBackground(this, Qt::transparent);
}

void ClickableWidget::setIsHighlighted(bool value)
{
    if (value == highlighted)
        return;
    if (value)
        highlight();
    else
        unhighlight();
    emit changedIsHighlighted(value);
}

bool ClickableWidget::getIsHighlighted() const
{
    return highlighted;
}

void ClickableWidget::highlight()
{
    UIHelper::ChangeBackground(this, HighlightColor);
    highlighted = true;
}

void ClickableWidget::unhighlight()
{
    UIHelper::ChangeBackground(this, Qt::transparent);
    highlighted = false;
}

void ClickableWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        return;
    emit clicked(1);
    emit clickedWithPos(1, event->position().toPoint());
}

void ClickableWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        return;
    emit clicked(2);
    emit doubleClicked();
    emit clickedWithPos(2, event->position().toPoint());
}

void ClickableWidget::mouseReleaseEvent(QMouseEvent* event)
{
    emit released();
    if (event->button() == Qt::RightButton)
        emit rightClicked();
}

void ClickableWidget::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    emit closing(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    emit closed();
    event->accept();
}
