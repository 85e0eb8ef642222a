#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class QLineEdit;

// One line of text, on an auto-sizing line edit (a plain, stretching one for the special type
// "Stretch"). The text is stored when editing finishes (Return or leaving the field), so no
// half-typed value reaches the settings file, and the echo of a stored text never sets the editor
// back under the user's fingers.
class StringPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit StringPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

    // Drops the view's connections too, so that it no longer follows the property.
    void nullifyEditor() override;

public slots:
    // Shows the property's current text.
    void metaValueChanged(const QVariant& value) override;

private:
    QPointer<QLineEdit> lineEdit;
};
