#include "ColorPropertyView.h"

#include "AbstractMetaDescription.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

ColorPropertyView::ColorPropertyView(AbstractMetaDescription* description, QWidget* parent)
    : BasePropertyView(description, parent)
{
    if (!description)
        return;
    swatch = new QPushButton(this);
    editor = swatch;
    swatch->setFixedSize(20, 20);
    swatch->setAutoFillBackground(true);
    valueLabel = new QLabel(this);
    auto* layout = new QGridLayout();
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(swatch, 0, 0);
    layout->addWidget(valueLabel, 0, 1);
    editingLayout->insertLayout(0, layout);
    connections << connect(swatch, &QPushButton::clicked, this, &ColorPropertyView::openDialog);
    metaValueChanged(description->getValue());
}

void ColorPropertyView::openDialog()
{
    if (!dialog) {
        dialog = new QColorDialog(this);
        connections << connect(dialog, &QColorDialog::colorSelected, this, [this](const QColor& colour) {
            this->description->setValue(colour);
            metaValueChanged(colour);
        });
    }
    dialog->setOption(QColorDialog::ShowAlphaChannel, description->specialType.contains(QStringLiteral("Alpha")));
    dialog->setCurrentColor(description->getValue().value<QColor>());
    dialog->show();
}

void ColorPropertyView::metaValueChanged(const QVariant& value)
{
    const QColor colour = value.value<QColor>();
    if (swatch) {
        // The sizes keep the application's push-button sizes off the 20 by 20 swatch.
        swatch->setStyleSheet(QStringLiteral("border: 1px solid #000000; min-width: 18px; min-height: 18px; "
                                             "padding: 0; background-color:")
                              + value.toString() + QLatin1Char(';'));
        swatch->update();
    }
    valueLabel->setText(value.toString().toUpper());
    setDefaultButtonChecked(colour == QColor::fromString(description->defaultText));
}

void ColorPropertyView::paintEvent(QPaintEvent* event)
{
    BasePropertyView::paintEvent(event);
    if (!swatch)
        return;
    const QRect area(swatch->mapTo(this, QPoint(0, 0)), swatch->size());
    const QSize quarter(area.width() / 2, area.height() / 2);
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.fillRect(area, Qt::white);
    painter.fillRect(QRect(area.topLeft(), quarter), QColor(0xCC, 0xCC, 0xCC));
    painter.fillRect(QRect(area.topLeft() + QPoint(quarter.width(), quarter.height()), quarter),
                     QColor(0xCC, 0xCC, 0xCC));
}
