#include "ImageHolderViewer.h"

#include "ImageHolder.h"
#include "ImageWidget.h"

#include <QDebug>
#include <QPainter>

#include <exception>

ImageHolderViewer::ImageHolderViewer(QWidget* parent)
    : QWidget(parent)
{
}

ImageHolderViewer::~ImageHolderViewer()
{
    connections.clear();
}

void ImageHolderViewer::setImageHolder(ImageHolder* holder)
{
    connections.clear();
    imageHolder = holder;
    emit imageHolderChanged();
    reconnectToImageHolder();
}

ImageHolder* ImageHolderViewer::getImageHolder() const
{
    return imageHolder;
}

void ImageHolderViewer::setIsViewing(bool viewing)
{
    isViewing = viewing;
    emit isViewingChanged(viewing);
}

bool ImageHolderViewer::getIsViewing() const
{
    return isViewing;
}

void ImageHolderViewer::setImageAlignment(Qt::Alignment alignment)
{
    imageAlignment = alignment;
    update();
}

Qt::Alignment ImageHolderViewer::getImageAlignment() const
{
    return imageAlignment;
}

void ImageHolderViewer::setTransformationMode(Qt::TransformationMode mode)
{
    transformationMode = mode;
}

void ImageHolderViewer::reconnectToImageHolder(bool reconnect)
{
    connections.clear();
    if (!reconnect || !imageHolder || !shown || !isViewing)
        return;
    connections << connect(imageHolder, &ImageHolder::imageChanged, this,
                           &ImageHolderViewer::holderImageChanged);
    update();
}

void ImageHolderViewer::holderImageChanged()
{
    update();
}

void ImageHolderViewer::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    shown = true;
    reconnectToImageHolder();
}

void ImageHolderViewer::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    shown = false;
    connections.clear();
}

QRect ImageHolderViewer::fittedRect(QSize image, QSize widget, Qt::Alignment alignment)
{
    QRect fitted = ImageWidget::fittedRect(image, widget);
    // The centring gap, doubled to the right or bottom, or removed to the left or top.
    const int x = fitted.x();
    const int y = fitted.y();
    if (alignment & Qt::AlignLeft)
        fitted.moveLeft(0);
    else if (alignment & Qt::AlignRight)
        fitted.moveLeft(2 * x);
    if (alignment & Qt::AlignTop)
        fitted.moveTop(0);
    else if (alignment & Qt::AlignBottom)
        fitted.moveTop(2 * y);
    return fitted;
}

void ImageHolderViewer::paintEvent(QPaintEvent*)
{
    if (width() == 0 && height() == 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::transparent);
    // Without a holder a black area of the usual 4:3 camera frame stands in for the image.
    const bool placeholder = imageHolder.isNull();
    const QImage image = placeholder ? QImage() : imageHolder->getImage();
    if (!placeholder && image.isNull())
        return;
    const QRect target = fittedRect(placeholder ? QSize(320, 240) : image.size(), size(),
                                    imageAlignment);
    if (target.isEmpty())
        return;
    try {
        if (placeholder)
            painter.fillRect(target, Qt::black);
        else
            ImageWidget::drawScaled(painter, target, image, transformationMode);
        emit redrawn(&painter, target.x(), target.y(), target.width(), target.height());
    } catch (const std::exception&) {
        qDebug() << "Error in imageholderviewer";
    }
}
