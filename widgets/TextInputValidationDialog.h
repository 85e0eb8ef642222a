#pragma once

#include "InputValidationDialog.h"

class QLineEdit;

// Asks for a line of text, validated on every change.
class TextInputValidationDialog : public InputValidationDialog
{
    Q_OBJECT
public:
    TextInputValidationDialog(QWidget* parent, const QString& initialText, const QString& caption,
                              const QString& okText = QString(), const QString& cancelText = QString());

    QVariant value() const override;
    QLineEdit* lineEdit() const;

private:
    QLineEdit* edit;
};
