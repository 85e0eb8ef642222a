#include "StringPropertyView.h"

#include "AbstractMetaDescription.h"
#include "EditableLabel.h"

#include <QHBoxLayout>

StringPropertyView::StringPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    if (description->specialType == u"Stretch") {
        lineEdit = new QLineEdit(this);
    } else {
        auto* label = new EditableLabel(this);
        if (description->hasMaxWidth)
            label->setMaxWidth(description->maxWidth);
        lineEdit = label;
    }
    editor = lineEdit;
    lineEdit->setPlaceholderText(translatedGeneric(description->extraInfo.value(QStringLiteral("Placeholder"))));
    if (description->hasMaximum)
        lineEdit->setMaxLength(truncatedToInt(description->maximum));
    lineEdit->setMinimumWidth(50);
    connections << connect(lineEdit, &QLineEdit::editingFinished, this, [this] { commitText(lineEdit->text()); });
    insertStretchingEditor(lineEdit);
    metaValueChanged(description->getValue());
}

void StringPropertyView::nullifyEditor()
{
    connections.clear();
    BasePropertyView::nullifyEditor();
}

void StringPropertyView::metaValueChanged(const QVariant&)
{
    if (const auto text = textToShow(lineEdit ? lineEdit->text() : QString()); text && lineEdit)
        lineEdit->setText(*text);
}
