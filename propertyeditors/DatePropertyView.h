#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class QDateEdit;

// A date with a calendar pop-up; a date-time property takes the chosen date.
class DatePropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit DatePropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    void metaValueChanged(const QVariant& value) override;

private:
    void store(QDate date);

    QPointer<QDateEdit> dateEdit;
};
