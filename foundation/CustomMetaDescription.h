#pragma once

#include "AbstractMetaDescription.h"

// A description that is not bound to a Q_PROPERTY: its creator fills the public fields and
// the value lives in the description itself.
class CustomMetaDescription : public AbstractMetaDescription
{
    Q_OBJECT
public:
    Q_INVOKABLE explicit CustomMetaDescription(QObject* parent = nullptr);

    QVariant value;

    QMetaEnum enumerator() override;
    bool isEnumType() override;
    QMetaType valueMetaType() const override;

public slots:
    bool setValue(const QVariant& newValue) override;
    QVariant getValue() override;
    void setDefault() override;
    void valueChangedSlot() override;
    bool setTextValue(QString text) override;
};
