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
    connections << connect(imageHolder, &ImageHolder::imageChanged, this, &ImageHolderViewer::holderImageChanged);
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
    // The viewer fits through one scale factor applied to both sides, so the rectangle handed to
    // overlay listeners keeps the rounding they have always been given (a side may come out one
    // pixel short of the widget).
    const double imageRatio = double(image.width()) / image.height();
    const double widgetRatio = double(widget.width()) / widget.height();
    const double scale =
        imageRatio > widgetRatio ? double(widget.width()) / image.width() : double(widget.height()) / image.height();
    const int w = int(image.width() * scale);
    const int h = int(image.height() * scale);
    // The centring gap, doubled to the right or bottom, or removed to the left or top.
    int x = (widget.width() - w) / 2;
    int y = (widget.height() - h) / 2;
    if (alignment & Qt::AlignLeft)
        x = 0;
    else if (alignment & Qt::AlignRight)
        x = 2 * x;
    if (alignment & Qt::AlignTop)
        y = 0;
    else if (alignment & Qt::AlignBottom)
        y = 2 * y;
    return QRect(x, y, w, h);
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
    const QRect target = fittedRect(placeholder ? QSize(320, 240) : image.size(), size(), imageAlignment);
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
