#include "IntPropertyView.h"

#include "AbstractMetaDescription.h"
#include "TypedNumberSpinBox.h"

#include <QHBoxLayout>

#include <climits>

IntPropertyView::IntPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    spinBox = new WholeNumberSpinBox(this);
    editor = spinBox;
    spinBox->setRange(description->hasMinimum ? truncatedToInt(description->minimum) : INT_MIN,
                      description->hasMaximum ? truncatedToInt(description->maximum) : INT_MAX);
    if (description->hasStep)
        spinBox->setSingleStep(truncatedToInt(description->step));
    spinBox->setSuffix(translatedSuffixOrPrefix(description->suffix));
    spinBox->setPrefix(translatedSuffixOrPrefix(description->prefix));
    connections << connect(spinBox, &QSpinBox::valueChanged, this,
                           [description](int value) { description->setValue(value); });
    editingLayout->insertWidget(0, spinBox);
    metaValueChanged(description->getValue());
}

void IntPropertyView::up()
{
    if (spinBox && description->hasStep)
        spinBox->stepUp();
}

void IntPropertyView::down()
{
    if (spinBox && description->hasStep)
        spinBox->stepDown();
}

void IntPropertyView::metaValueChanged(const QVariant& value)
{
    if (spinBox) {
        const QSignalBlocker blocker(spinBox);
        spinBox->setValue(value.toInt());
    }
    setDefaultButtonChecked(value.toInt() == description->defaultText.toInt());
}
