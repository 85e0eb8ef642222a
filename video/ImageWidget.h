#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

// Paints its own image aspect-fitted and centred.
class ImageWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ImageWidget(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    QImage getImage() const;
    void setTransformationMode(Qt::TransformationMode mode);

    // Where an image of that size is drawn, aspect-fitted and centred, in a widget of that size.
    static QRect fittedRect(QSize image, QSize widget);
    static void drawScaled(QPainter& painter, const QRect& target, const QImage& image, Qt::TransformationMode mode);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image;
    Qt::TransformationMode transformationMode = Qt::FastTransformation;
};
