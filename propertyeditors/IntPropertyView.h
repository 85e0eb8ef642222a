#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class QSpinBox;

// An integer spin box over the declared bounds (the whole int range when undeclared).
class IntPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit IntPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    // One step, only when the property declares its step.
    void up() override;
    void down() override;
    void metaValueChanged(const QVariant& value) override;

private:
    QPointer<QSpinBox> spinBox;
};
