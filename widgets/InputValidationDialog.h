#pragma once

#include "ConfirmDialog.h"

#include <QVariant>

class QLabel;

// A confirmation box that asks for a value: a caption, the editor and an error line. OK stays
// disabled until a validation finds no error; listeners of validate write their complaint
// into the error text.
class InputValidationDialog : public ConfirmDialog
{
    Q_OBJECT
public:
    // An empty caption shows none.
    InputValidationDialog(QWidget* parent, const QString& caption, const QString& okText = QString(),
                          const QString& cancelText = QString());

    virtual QVariant value() const = 0;

public slots:
    // Asks the listeners about the value, shows their error and enables OK only without one.
    void validation();

signals:
    void validate(const QVariant& value, QString& error);

protected:
    QVBoxLayout* inputLayout;

private:
    QLabel* errorLabel;
};
