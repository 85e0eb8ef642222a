#pragma once

#include <QImage>
#include <QVideoFrame>
#include <QVideoSink>

// A plain sink that keeps the last frame it was given as an image.
class CustomVideoSink : public QVideoSink
{
    Q_OBJECT

public:
    explicit CustomVideoSink(QObject* parent = nullptr);

    QImage lastImage() const;

public slots:
    void newFrame(const QVideoFrame& frame);

signals:
    void newImage(QImage& image);

private:
    QImage last;
};
