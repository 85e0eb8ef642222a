#include "TextInputValidationDialog.h"

#include <QLineEdit>
#include <QVBoxLayout>

TextInputValidationDialog::TextInputValidationDialog(QWidget* parent, const QString& initialText,
                                                     const QString& caption, const QString& okText,
                                                     const QString& cancelText)
    : InputValidationDialog(parent, caption, okText, cancelText)
    , edit(new QLineEdit(initialText, this))
{
    connect(edit, &QLineEdit::textChanged, this, &InputValidationDialog::validation);
    inputLayout->addWidget(edit);
    edit->setFocus(Qt::OtherFocusReason);
}

QVariant TextInputValidationDialog::value() const
{
    return edit->text();
}

QLineEdit* TextInputValidationDialog::lineEdit() const
{
    return edit;
}
