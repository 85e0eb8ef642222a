#include "MultilinePropertyView.h"

#include "AbstractMetaDescription.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>

MultilinePropertyView::MultilinePropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    textEdit = new QPlainTextEdit(this);
    editor = textEdit;
    textEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    textEdit->setPlaceholderText(translatedGeneric(description->extraInfo.value(QStringLiteral("Placeholder"))));
    textEdit->installEventFilter(this);
    editingLayout->insertWidget(0, textEdit);
    metaValueChanged(description->getValue());
}

bool MultilinePropertyView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == textEdit && event->type() == QEvent::FocusOut)
        commitText(textEdit->toPlainText());
    return BasePropertyView::eventFilter(watched, event);
}

void MultilinePropertyView::metaValueChanged(const QVariant&)
{
    if (const auto text = textToShow(textEdit ? textEdit->toPlainText() : QString()); text && textEdit)
        textEdit->setPlainText(*text);
}
