#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class DoubleSpinBoxWithSuggestions;

// A floating-point spin box over the declared bounds, with the declared decimals ("Precision")
// and, when declared, the values its arrows step through ("Suggestions", comma-separated).
class DoublePropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit DoublePropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    void up() override;
    void down() override;
    void metaValueChanged(const QVariant& value) override;

private:
    QList<double> declaredSuggestions() const;

    QPointer<DoubleSpinBoxWithSuggestions> spinBox;
};
