#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPixmap>

// One shared image slot; every viewer watching the holder repaints when it changes.
class ImageHolder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int width READ getWidth WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(QImage image READ getImage WRITE setImage NOTIFY imageChanged)
    Q_PROPERTY(int height READ getHeight WRITE setHeight NOTIFY heightChanged)

public:
    explicit ImageHolder(QObject* parent = nullptr);

    void setPixmap(const QPixmap& pixmap);
    void setWidth(int width);
    void setHeight(int height);
    int getWidth() const;
    int getHeight() const;

public slots:
    virtual void setEmptyImage(QColor colour);
    virtual void setImage(QImage image);
    virtual QImage getImage() const;

signals:
    void widthChanged(int width);
    void imageChanged();
    void heightChanged(int height);

private:
    int height = 0;
    int width = 0;
    QImage image;
};
