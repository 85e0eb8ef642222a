#include "SliderPropertyView.h"

#include "AbstractMetaDescription.h"
#include "DirectJumpSlider.h"
#include "TypedNumberSpinBox.h"

#include <QHBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr double UndeclaredMaximum = 100;

// Decimals enough to show one step exactly, for a floating-point property without "Precision".
int decimalsOf(double step)
{
    int decimals = 0;
    while (decimals < 6 && std::abs(step * std::pow(10, decimals) - std::round(step * std::pow(10, decimals))) > 1e-9)
        ++decimals;
    return decimals;
}
} // namespace

SliderPropertyView::SliderPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    QHBoxLayout* layout = createEditorRow();
    slider = new DirectJumpSlider(editor);
    spinBox = new DecimalSpinBox(editor);
    configureSpinBox();
    configureSlider();
    layout->addWidget(slider, 0);
    layout->addWidget(spinBox, 100, Qt::AlignLeft);
    connections << connect(slider, &QSlider::valueChanged, this, &SliderPropertyView::sliderMoved);
    connections << connect(spinBox, &QDoubleSpinBox::valueChanged, this, &SliderPropertyView::store);
    editingLayout->insertWidget(0, editor);
    describeDefaultIn(spinBox);
    metaValueChanged(description->getValue());
}

bool SliderPropertyView::storesFloatingPoint() const
{
    const int type = description->valueMetaType().id();
    return type == QMetaType::Double || type == QMetaType::Float;
}

double SliderPropertyView::positionSize() const
{
    if (!description->hasStep || description->step <= 0)
        return 1;
    return storesFloatingPoint() ? description->step : 1;
}

void SliderPropertyView::configureSpinBox()
{
    const bool floating = storesFloatingPoint();
    const double minimum = description->hasMinimum ? description->minimum : 0;
    const double maximum = description->hasMaximum ? description->maximum : UndeclaredMaximum;
    spinBox->setDecimals(floating ? declaredPrecision().value_or(decimalsOf(positionSize())) : 0);
    spinBox->setRange(floating ? minimum : truncatedToInt(minimum), floating ? maximum : truncatedToInt(maximum));
    if (description->hasStep)
        spinBox->setSingleStep(floating ? description->step : truncatedToInt(description->step));
    spinBox->setSuffix(translatedSuffixOrPrefix(description->suffix));
    spinBox->setPrefix(translatedSuffixOrPrefix(description->prefix));
}

void SliderPropertyView::configureSlider()
{
    const double size = positionSize();
    slider->setRange(truncatedToInt(std::round(spinBox->minimum() / size)),
                     truncatedToInt(std::round(spinBox->maximum() / size)));
    slider->setSingleStep(storesFloatingPoint() ? 1 : std::max(1, int(spinBox->singleStep())));
}

void SliderPropertyView::sliderMoved(int position)
{
    {
        const QSignalBlocker blocker(spinBox);
        spinBox->setValue(position * positionSize());
    }
    // The spin box rounds to its decimals, so 3 × 0.1 is stored as 0.3.
    store(spinBox->value());
}

void SliderPropertyView::store(double value)
{
    if (storesFloatingPoint())
        description->setValue(value);
    else
        description->setValue(qRound(value));
}

void SliderPropertyView::metaValueChanged(const QVariant& value)
{
    if (editor) {
        showInSpinBox(spinBox, value.toDouble());
        const QSignalBlocker sliderBlocker(slider);
        slider->setValue(truncatedToInt(std::round(spinBox->value() / positionSize())));
    }
    setDefaultButtonChecked(equalsNumericDefault(value));
}
