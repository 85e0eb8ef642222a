#include "CustomVideoSink.h"

CustomVideoSink::CustomVideoSink(QObject* parent)
    : QVideoSink(parent)
{
    connect(this, &QVideoSink::videoFrameChanged, this, &CustomVideoSink::newFrame);
}

QImage CustomVideoSink::lastImage() const
{
    return last;
}

void CustomVideoSink::newFrame(const QVideoFrame& frame)
{
    QVideoFrame copy = frame;
    if (!copy.map(QVideoFrame::ReadOnly))
        return;
    last = copy.toImage();
    emit newImage(last);
    copy.unmap();
}
