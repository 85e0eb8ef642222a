#include "DualDoubleSpinBox.h"

#include "AbstractMetaDescription.h"
#include "MetaDescription.h"
#include "TypedNumberSpinBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPoint>
#include <QPointF>
#include <QSize>

DualDoubleSpinBox::DualDoubleSpinBox(AbstractMetaDescription* description, DualMode mode, QWidget* parent)
    : BasePropertyView(description, parent)
    , mode(mode)
{
    if (!description)
        return;
    QHBoxLayout* layout = createEditorRow();
    firstSpinBox = createSpinBox();
    secondSpinBox = createSpinBox();
    addLabel(layout, translatedSuffixOrPrefix(description->prefix));
    layout->addWidget(firstSpinBox);
    addLabel(layout, mode == DualMode_Size || mode == DualMode_Range ? QStringLiteral("\u2014") : QStringLiteral(";"));
    layout->addWidget(secondSpinBox);
    addLabel(layout, translatedSuffixOrPrefix(description->suffix));
    if (description->hasDefault)
        hasDefault = MetaDescription::parsePointOrSize(description->defaultText, defaultFirst, defaultSecond);
    editingLayout->insertWidget(0, editor);
    metaValueChanged(description->getValue());
}

QDoubleSpinBox* DualDoubleSpinBox::createSpinBox()
{
    auto* spinBox = new DecimalSpinBox(editor);
    applyDeclaredNumbers(spinBox);
    connections << connect(spinBox, &QDoubleSpinBox::valueChanged, this, &DualDoubleSpinBox::store);
    return spinBox;
}

void DualDoubleSpinBox::addLabel(QLayout* layout, const QString& text)
{
    if (!text.isEmpty())
        layout->addWidget(new QLabel(text, editor));
}

void DualDoubleSpinBox::nullifyEditor()
{
    for (QDoubleSpinBox* spinBox : {firstSpinBox, secondSpinBox}) {
        if (!spinBox)
            continue;
        spinBox->disconnect(this);
        spinBox->setParent(nullptr);
        spinBox->deleteLater();
    }
    firstSpinBox = secondSpinBox = nullptr;
}

void DualDoubleSpinBox::getValueD(double& first, double& second)
{
    const QVariant value = description->getValue();
    if (mode == DualMode_Size) {
        first = value.toSize().width();
        second = value.toSize().height();
    } else if (mode == DualMode_Point) {
        first = value.toPoint().x();
        second = value.toPoint().y();
    } else {
        first = value.toPointF().x();
        second = value.toPointF().y();
    }
}

void DualDoubleSpinBox::store()
{
    if (!firstSpinBox || !secondSpinBox)
        return;
    const double a = firstSpinBox->value();
    if (mode == DualMode_Range) {
        // Raising the lower end past the upper one moves the upper box, whose change stores.
        secondSpinBox->setMinimum(a);
        if (secondSpinBox->value() < a)
            return;
    }
    const double b = secondSpinBox->value();
    if (mode == DualMode_Point)
        description->setValue(QPoint(int(a), int(b)));
    else if (mode == DualMode_Size)
        description->setValue(QSize(int(a), int(b)));
    else
        description->setValue(QPointF(a, b));
}

void DualDoubleSpinBox::metaValueChanged(const QVariant&)
{
    double first = 0;
    double second = 0;
    getValueD(first, second);
    if (firstSpinBox && secondSpinBox) {
        showInSpinBox(firstSpinBox, first);
        if (mode == DualMode_Range) {
            const QSignalBlocker secondBlocker(secondSpinBox);
            secondSpinBox->setMinimum(firstSpinBox->value());
        }
        showInSpinBox(secondSpinBox, second);
    }
    if (hasDefault)
        setDefaultButtonChecked(first == defaultFirst && second == defaultSecond);
}
