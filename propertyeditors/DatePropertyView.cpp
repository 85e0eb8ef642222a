#include "DatePropertyView.h"

#include "AbstractMetaDescription.h"

#include <QDateEdit>
#include <QHBoxLayout>

DatePropertyView::DatePropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    dateEdit = new QDateEdit(this);
    editor = dateEdit;
    dateEdit->setCalendarPopup(true);
    connections << connect(dateEdit, &QDateEdit::dateChanged, this, &DatePropertyView::store);
    editingLayout->insertWidget(0, dateEdit);
    metaValueChanged(description->getValue());
}

void DatePropertyView::store(QDate date)
{
    const QSignalBlocker blocker(dateEdit);
    description->setValue(date);
}

void DatePropertyView::metaValueChanged(const QVariant& value)
{
    if (!dateEdit)
        return;
    const QSignalBlocker blocker(dateEdit);
    dateEdit->setDate(value.toDate());
}
