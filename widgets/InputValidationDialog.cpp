#include "InputValidationDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

InputValidationDialog::InputValidationDialog(QWidget* parent, const QString& caption, const QString& okText,
                                             const QString& cancelText)
    : ConfirmDialog(parent, okText, cancelText)
    , inputLayout(new QVBoxLayout())
    , errorLabel(new QLabel(this))
{
    inputLayout->setContentsMargins(0, 0, 0, 0);
    errorLabel->setStyleSheet(QStringLiteral("color: #C30"));
    if (!caption.isEmpty())
        contentLayout->addWidget(new QLabel(caption, this));
    contentLayout->addLayout(inputLayout);
    contentLayout->addWidget(errorLabel);
}

void InputValidationDialog::validation()
{
    QString error;
    emit validate(value(), error);
    errorLabel->setText(error);
    okButton()->setEnabled(error.isEmpty());
}
