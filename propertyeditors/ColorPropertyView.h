#pragma once

#include "BasePropertyView.h"

#include <QPointer>

class QColorDialog;
class QLabel;
class QPushButton;

// A colour swatch over a checkerboard (so translucent colours show as such) and the colour's
// name; the swatch opens a colour dialog, with the alpha channel when the special type asks for
// "Alpha".
class ColorPropertyView : public BasePropertyView
{
    Q_OBJECT
public:
    explicit ColorPropertyView(AbstractMetaDescription* description, QWidget* parent = nullptr);

public slots:
    void metaValueChanged(const QVariant& value) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openDialog();

    QPointer<QPushButton> swatch;
    QPointer<QLabel> valueLabel;
    QPointer<QColorDialog> dialog;
};
