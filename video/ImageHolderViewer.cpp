#include "ImageHolderViewer.h"

#include "ImageHolder.h"

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
    repaint();
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
    const int w = widget.width();
    const int h = widget.height();
    const double widgetRatio = double(w) / h;
    const double imageRatio = double(image.width()) / image.height();
    const double scale = imageRatio > widgetRatio ? double(w) / image.width()
                                                  : double(h) / image.height();
    const int sw = int(image.width() * scale);
    const int sh = int(image.height() * scale);
    int x = (w - sw) / 2;
    int y = (h - sh) / 2;
    if (alignment & Qt::AlignLeft)
        x = 0;
    else if (alignment & Qt::AlignRight)
        x = 2 * x;
    if (alignment & Qt::AlignTop)
        y = 0;
    else if (alignment & Qt::AlignBottom)
        y = 2 * y;
    return QRect(x, y, sw, sh);
}

void ImageHolderViewer::paintEvent(QPaintEvent*)
{
    if (width() == 0 && height() == 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::transparent);
    QImage image;
    if (imageHolder) {
        image = imageHolder->getImage();
        if (image.isNull() || image.width() < 1 || image.height() < 1
            || !image.valid(image.width() - 1, image.height() - 1))
            return;
    } else {
        image = QImage(320, 240, QImage::Format_RGB888);
        image.fill(Qt::black);
    }
    const QRect target = fittedRect(image.size(), size(), imageAlignment);
    if (target.width() < 1 || target.height() < 1)
        return;
    try {
        painter.drawImage(target.topLeft(), image.scaled(target.size(), Qt::KeepAspectRatio,
                                                         transformationMode));
        emit redrawn(&painter, target.x(), target.y(), target.width(), target.height());
    } catch (const std::exception&) {
        qDebug() << "Error in imageholderviewer";
    }
}
