#include "TextEditAdapter.h"

TextEditAdapter::TextEditAdapter(QWidget* parent)
    : QTextEdit(parent)
{
}

TextEditAdapter::TextEditAdapter(const QString& text, QWidget* parent)
    : QTextEdit(text, parent)
{
}

void TextEditAdapter::focusInEvent(QFocusEvent* event)
{
    QTextEdit::focusInEvent(event);
    emit focusGained();
}

void TextEditAdapter::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    emit focusLost();
}

void TextEditAdapter::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    emit resized();
}
