#include "LineEditAdapter.h"

LineEditAdapter::LineEditAdapter(QWidget* parent)
    : QLineEdit(parent)
{
}

void LineEditAdapter::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    emit focusGained();
}

void LineEditAdapter::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    emit focusLost();
}
