#include "EditableLabel.h"

#include <QFontMetrics>

#include <algorithm>

EditableLabel::EditableLabel(QWidget* parent)
    : QLineEdit(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    connect(this, &QLineEdit::textChanged, this, &EditableLabel::resizeByContents);
}

void EditableLabel::setMaxWidth(int width)
{
    maxWidth = width;
}

QSize EditableLabel::sizeHint() const
{
    const QMargins margins = textMargins();
    int width =
        std::max(minimumWidth(), margins.left() + margins.right() + 10 + fontMetrics().boundingRect(text()).width());
    if (maxWidth >= 1 && maxWidth < width)
        width = maxWidth;
    return QSize(width, QLineEdit::sizeHint().height());
}

QSize EditableLabel::minimumSizeHint() const
{
    return sizeHint();
}

void EditableLabel::resizeByContents()
{
    // A fixed width would raise the minimum width, and the label could never shrink again.
    setMaximumWidth(sizeHint().width());
    if (parentWidget())
        parentWidget()->adjustSize();
}
