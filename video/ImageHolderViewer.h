#pragma once

#include "ConnectionHelper.h"
#include "ImageHolder.h"

#include <QPointer>
#include <QWidget>

class QPainter;

// Paints the image of a holder aspect-fitted and aligned. It follows the holder only while
// shown and viewing, so hidden viewers cost nothing when the holder changes.
class ImageHolderViewer : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(ImageHolder* imageHolder READ getImageHolder WRITE setImageHolder NOTIFY imageHolderChanged)
    Q_PROPERTY(bool isViewing READ getIsViewing WRITE setIsViewing NOTIFY isViewingChanged)

public:
    explicit ImageHolderViewer(QWidget* parent = nullptr);
    ~ImageHolderViewer() override;

    void setImageHolder(ImageHolder* holder);
    ImageHolder* getImageHolder() const;
    void setIsViewing(bool viewing);
    bool getIsViewing() const;
    void setImageAlignment(Qt::Alignment alignment);
    Qt::Alignment getImageAlignment() const;
    void setTransformationMode(Qt::TransformationMode mode);

    // Where an image of that size is drawn in a widget of that size: scaled by one factor to
    // fit, centred, then moved to the aligned side.
    static QRect fittedRect(QSize image, QSize widget, Qt::Alignment alignment);

public slots:
    void reconnectToImageHolder(bool reconnect = true);
    void holderImageChanged();

signals:
    void imageHolderChanged();
    void isViewingChanged(bool viewing);
    // After each painted image: the painter and the rectangle the image occupies.
    void redrawn(QPainter* painter, int x, int y, int w, int h);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Qt::TransformationMode transformationMode = Qt::FastTransformation;
    // Guarded: the holder is not owned and may be destroyed first.
    QPointer<ImageHolder> imageHolder;
    bool isViewing = true;
    bool shown = false;
    Qt::Alignment imageAlignment = Qt::AlignHCenter | Qt::AlignVCenter;
    ConnectionHelper connections;
};
