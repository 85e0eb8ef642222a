#include "BoolPropertyView.h"

#include "AbstractMetaDescription.h"

#include <QCheckBox>
#include <QHBoxLayout>

BoolPropertyView::BoolPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    checkBox = new QCheckBox(this);
    editor = checkBox;
    connections << connect(checkBox, &QCheckBox::clicked, this,
                           [description](bool checked) { description->setValue(checked); });
    editingLayout->insertWidget(0, checkBox);
    metaValueChanged(description->getValue());
}

void BoolPropertyView::metaValueChanged(const QVariant& value)
{
    if (checkBox)
        checkBox->setChecked(value.toBool());
    setDefaultButtonChecked(value.toString() == description->defaultText);
}
