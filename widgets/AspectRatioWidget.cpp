#include "AspectRatioWidget.h"

#include "UIHelper.h"
#include "ZRectangle.h"

#include <QGridLayout>
#include <QScrollArea>

#include <cmath>

AspectRatioWidget::AspectRatioWidget(QWidget* parent)
    : QWidget(parent)
    , innerRectangle(new ZRectangle(QColor(0x33, 0x33, 0x33)))
{
    auto* scrollArea = new QScrollArea();
    scrollArea->setStyleSheet(QStringLiteral("background: transparent; border: 0;"));
    scrollArea->setContentsMargins(0, 0, 0, 0);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(true);
    auto* content = new QWidget();
    centringLayout = new QGridLayout(content);
    UIHelper::SetGridMargins(centringLayout, 0, 0, 0);
    centringLayout->addWidget(innerRectangle, 0, 0);
    scrollArea->setWidget(content);
    innerLayout = new QGridLayout(innerRectangle);
    innerLayout->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea, 0, 0);
}

AspectRatioWidget::AspectRatioWidget(double ratio, QWidget* parent)
    : AspectRatioWidget(parent)
{
    setAspectRatio(ratio);
}

AspectRatioWidget::AspectRatioWidget(double width, double height, QWidget* parent)
    : AspectRatioWidget(parent)
{
    setAspectRatio(width, height);
}

void AspectRatioWidget::setAspectRatio(double ratio)
{
    if (!(ratio > 0.0) || !std::isfinite(ratio))
        ratio = 0.0;
    if (ratio == aspectRatio)
        return;
    aspectRatio = ratio;
    emit changedAspectRatio(ratio);
    refit();
}

void AspectRatioWidget::setAspectRatio(double width, double height)
{
    if (!(width > 0.0) || !(height > 0.0) || !std::isfinite(width) || !std::isfinite(height))
        return;
    originalSize = QSize(int(std::min(width, double(QWIDGETSIZE_MAX))), int(std::min(height, double(QWIDGETSIZE_MAX))));
    originalSizeKnown = originalSize.width() > 0;
    emit changedOriginalSize(width, height);
    // The scale to the new reference size holds for the present fit too.
    if (width / height == aspectRatio)
        refit();
    else
        setAspectRatio(width / height);
}

void AspectRatioWidget::setAspectRatio(const QSize& size)
{
    setAspectRatio(double(size.width()), double(size.height()));
}

void AspectRatioWidget::setInnerWidget(QWidget* widget)
{
    if (innerWidget)
        UIHelper::ClearLayout(innerLayout, false);
    innerWidget = widget;
    if (widget)
        innerLayout->addWidget(widget, 0, 0);
    refit();
}

void AspectRatioWidget::setInnerAlignment(Qt::Alignment alignment)
{
    centringLayout->setAlignment(innerRectangle, alignment);
}

void AspectRatioWidget::setInnerBackground(const QColor& color)
{
    innerRectangle->setBackground(color);
}

void AspectRatioWidget::setCommonBackground(const QColor& color)
{
    UIHelper::ChangeBackground(this, color);
}

double AspectRatioWidget::getAspectRatio() const
{
    return aspectRatio;
}

double AspectRatioWidget::getCurrentScale() const
{
    return currentScale;
}

QSize AspectRatioWidget::getOriginalSize() const
{
    return originalSize;
}

void AspectRatioWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    refit();
}

void AspectRatioWidget::refit()
{
    int fittedWidth = width();
    int fittedHeight = height();
    if (fittedWidth == 0 || fittedHeight == 0 || aspectRatio == 0.0)
        return;
    if (double(fittedWidth) / fittedHeight > aspectRatio)
        fittedWidth = int(fittedHeight * aspectRatio);
    else
        fittedHeight = int(fittedWidth / aspectRatio);
    innerRectangle->setFixedSize(fittedWidth, fittedHeight);
    if (innerWidget)
        innerWidget->setFixedSize(fittedWidth, fittedHeight);
    if (originalSizeKnown) {
        const double scale = double(fittedWidth) / originalSize.width();
        if (scale != currentScale) {
            currentScale = scale;
            emit changedScale(scale);
        }
    }
    emit resized(fittedWidth, fittedHeight);
}
