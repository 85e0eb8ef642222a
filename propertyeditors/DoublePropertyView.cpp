#include "DoublePropertyView.h"

#include "AbstractMetaDescription.h"
#include "DoubleSpinBoxWithSuggestions.h"
#include "TextHelper.h"

#include <QHBoxLayout>

DoublePropertyView::DoublePropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    spinBox = new DoubleSpinBoxWithSuggestions(this);
    editor = spinBox;
    applyDeclaredNumbers(spinBox);
    spinBox->setSuffix(translatedSuffixOrPrefix(description->suffix));
    spinBox->setPrefix(translatedSuffixOrPrefix(description->prefix));
    spinBox->setSuggestions(declaredSuggestions());
    connections << connect(spinBox, &QDoubleSpinBox::valueChanged, this,
                           [description](double value) { description->setValue(value); });
    editingLayout->insertWidget(0, spinBox);
    describeDefaultIn(spinBox);
    metaValueChanged(description->getValue());
}

QList<double> DoublePropertyView::declaredSuggestions() const
{
    QList<double> values;
    const QString declared = description->extraInfo.value(QStringLiteral("Suggestions"));
    for (const QString& part : TextHelper::splitAndTrim(declared, QStringLiteral(","))) {
        bool ok = false;
        const double value = part.toDouble(&ok);
        if (ok)
            values.append(value);
    }
    return values;
}

void DoublePropertyView::up()
{
    if (spinBox)
        spinBox->stepUp();
}

void DoublePropertyView::down()
{
    if (spinBox)
        spinBox->stepDown();
}

void DoublePropertyView::metaValueChanged(const QVariant& value)
{
    if (spinBox)
        showInSpinBox(spinBox, value.toDouble());
    setDefaultButtonChecked(equalsNumericDefault(value));
}
