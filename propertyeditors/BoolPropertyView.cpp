#include "BoolPropertyView.h"

#include "AbstractMetaDescription.h"
#include "LanguageContext.h"

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
    // In the words the exports use for a stored truth value.
    describeDefaultAs(generic(QVariant(description->defaultText).toBool() ? "Yes" : "No"));
    metaValueChanged(description->getValue());
}

void BoolPropertyView::metaValueChanged(const QVariant& value)
{
    if (checkBox)
        checkBox->setChecked(value.toBool());
    setDefaultButtonChecked(value.toString() == description->defaultText);
}
