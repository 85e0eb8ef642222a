#include "FPSWidget.h"

#include "FrameRateCounter.h"

#include <QGridLayout>

FPSWidget::FPSWidget(FrameRateCounter* counter, QWidget* parent)
    : QWidget(parent)
    , label(new QLabel(this))
{
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0, Qt::AlignRight);
    setCounter(counter);
    frameRateChanged(0);
}

void FPSWidget::setCounter(FrameRateCounter* newCounter)
{
    if (counter)
        disconnect(counter, &FrameRateCounter::frameRateChanged, this, &FPSWidget::frameRateChanged);
    counter = newCounter;
    emit counterChanged(newCounter);
    if (counter)
        connect(counter, &FrameRateCounter::frameRateChanged, this, &FPSWidget::frameRateChanged);
}

FrameRateCounter* FPSWidget::getCounter() const
{
    return counter;
}

void FPSWidget::setSuffix(const QString& newSuffix)
{
    suffix = newSuffix;
}

QString FPSWidget::text() const
{
    return label->text();
}

void FPSWidget::frameRateChanged(double value)
{
    if (!isVisible())
        return;
    label->setText(QString::number(value, 'f', 1) + suffix);
}
