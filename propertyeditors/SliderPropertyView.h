#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class DirectJumpSlider;
class QDoubleSpinBox;

// A slider and a spin box side by side. The slider counts steps: for a floating-point property
// with a fractional step each slider position is one step (0.1 mA for a grid current), so such
// values can be set with the mouse and the arrow keys; an integer property moves by its step in
// whole numbers. A property without declared bounds spans 0 to 100.
class SliderPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit SliderPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    void metaValueChanged(const QVariant& value) override;

private:
    bool storesFloatingPoint() const;
    // The property value of one slider position.
    double positionSize() const;
    void configureSpinBox();
    void configureSlider();
    void sliderMoved(int position);
    void store(double value);

    QPointer<QDoubleSpinBox> spinBox;
    QPointer<DirectJumpSlider> slider;
};
