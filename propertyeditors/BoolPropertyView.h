#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class QCheckBox;

// A check box; a click stores its state.
class BoolPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit BoolPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    void metaValueChanged(const QVariant& value) override;

private:
    QPointer<QCheckBox> checkBox;
};
