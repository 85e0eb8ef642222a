#include "ContextableWidget.h"

ContextableWidget::ContextableWidget(QWidget* parent)
    : QWidget(parent)
{
}

void ContextableWidget::setContext(QObject* value)
{
    context = value;
    emit contextChanged(value);
    onContextChanged();
}

QObject* ContextableWidget::getContext() const
{
    return context;
}
