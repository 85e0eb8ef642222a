#include "MultilineProgressBar.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>

MultilineProgressBar::MultilineProgressBar(QWidget* parent)
    : QWidget(parent)
    , bar(new QProgressBar(this))
    , label(new QLabel(this))
{
    bar->setOrientation(Qt::Vertical);
    // The label is the bar's text; the bar's own percentage would show through it.
    bar->setTextVisible(false);
    label->setWordWrap(true);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar, 0, 0);
    layout->addWidget(label, 0, 0);
}

void MultilineProgressBar::setMin(int value)
{
    bar->setMinimum(value);
}

void MultilineProgressBar::setMax(int value)
{
    bar->setMaximum(value);
}

void MultilineProgressBar::setValue(int value)
{
    bar->setValue(value);
}

void MultilineProgressBar::setOrientation(Qt::Orientation orientation)
{
    bar->setOrientation(orientation);
}

void MultilineProgressBar::setText(const QString& text)
{
    label->setText(text);
}

void MultilineProgressBar::setTextAlignment(Qt::Alignment alignment)
{
    label->setAlignment(alignment);
}

void MultilineProgressBar::setTextVisible(bool visible)
{
    label->setVisible(visible);
}

void MultilineProgressBar::setBarColor(const QColor& color)
{
    bar->setStyleSheet(QStringLiteral("QProgressBar::chunk {background:%1}").arg(color.name()));
}

void MultilineProgressBar::setTextColor(const QColor& color)
{
    label->setStyleSheet(QStringLiteral("QLabel { color : %1}").arg(color.name()));
}
