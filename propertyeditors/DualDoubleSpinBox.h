#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class QDoubleSpinBox;

// Two spin boxes for a pair: a size, an integer or floating-point point, or a range stored as a
// floating-point point whose x is the lower and y the upper end. In a range the upper box never
// goes below the lower one.
class DualDoubleSpinBox : public BasePropertyView
{
    Q_OBJECT
public:
    enum DualMode { DualMode_Size = 0, DualMode_Point = 1, DualMode_PointF = 2, DualMode_Range = 3 };
    Q_ENUM(DualMode)

    DualDoubleSpinBox(AbstractMetaDescription* description, DualMode mode, QWidget* parent = nullptr);

    // Deletes the two spin boxes; the container stays.
    void nullifyEditor() override;

public slots:
    void getValueD(double& first, double& second);
    // Shows the property's current pair, whatever the value handed in.
    void metaValueChanged(const QVariant& value) override;

private:
    QDoubleSpinBox* createSpinBox();
    void addLabel(QLayout* layout, const QString& text);
    void store();

    QPointer<QDoubleSpinBox> firstSpinBox;
    QPointer<QDoubleSpinBox> secondSpinBox;
    DualMode mode = DualMode_Size;
    double defaultFirst = 0;
    double defaultSecond = 0;
    bool hasDefault = false;
};
