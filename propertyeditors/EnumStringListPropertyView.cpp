#include "EnumStringListPropertyView.h"

#include "AbstractMetaDescription.h"
#include "ChoiceBox.h"

#include <QHBoxLayout>
#include <QListView>

EnumStringListPropertyView::EnumStringListPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    choices = description->enums;
    indexMode = description->typeName != u"QString";
    comboBox = new ChoiceBox(this);
    editor = comboBox;
    comboBox->setView(new QListView(comboBox));
    for (int i = 0; i < choices.size(); ++i)
        comboBox->addItem(translatedGeneric(choices.at(i)), i);
    connections << connect(comboBox, &QComboBox::currentIndexChanged, this, &EnumStringListPropertyView::store);
    editingLayout->insertWidget(0, comboBox);
    if (const int declared = positionOf(description->defaultText); declared >= 0)
        describeDefaultAs(comboBox->itemText(declared));
    metaValueChanged(description->getValue());
}

void EnumStringListPropertyView::store(int index)
{
    if (indexMode)
        description->setValue(index);
    else if (index >= 0 && index < choices.size())
        description->setValue(choices.at(index));
}

int EnumStringListPropertyView::positionOf(const QVariant& value) const
{
    if (!indexMode)
        return int(choices.indexOf(value.toString()));
    bool ok = false;
    const int index = value.toInt(&ok);
    return ok && index >= -1 && index < choices.size() ? index : -1;
}

void EnumStringListPropertyView::metaValueChanged(const QVariant& value)
{
    if (comboBox) {
        const QSignalBlocker blocker(comboBox);
        comboBox->setCurrentIndex(positionOf(value));
    }
    if (!description->hasDefault)
        return;
    if (indexMode)
        setDefaultButtonChecked(value.toInt() == description->defaultText.toInt());
    else
        setDefaultButtonChecked(value.toString() == description->defaultText);
}
