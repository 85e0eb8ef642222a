#include "ImageThread.h"

namespace ZCV {

ImageThread::ImageThread(QObject* parent)
    : QThread(parent)
{
}

ImageThread::~ImageThread()
{
    stopCheck.verifyStopped(*this, objectName(), "stop() and wait()");
    stop();
    wait();
}

void ImageThread::start(int intervalMs)
{
    stopCheck.noteStart(*this);
    this->intervalMs = intervalMs;
    running = true;
    QThread::start(QThread::InheritPriority);
}

void ImageThread::stop()
{
    running = false;
}

void ImageThread::setImage(const QImage& frame)
{
    std::lock_guard lock(frameMutex);
    if (!accepting)
        return;
    image = frame;
    hasNew = true;
}

bool ImageThread::takePendingFrame()
{
    std::lock_guard lock(frameMutex);
    if (!hasNew)
        return false;
    accepting = false;
    return true;
}

void ImageThread::finishFrame()
{
    std::lock_guard lock(frameMutex);
    accepting = true;
    hasNew = false;
}

void ImageThread::run()
{
    if (!running)
        return;
    do {
        if (takePendingFrame()) {
            processImage();
            emit onProcessImage();
            finishFrame();
        }
        QThread::msleep(qMax(intervalMs.load(), 0));
    } while (running);
}

} // namespace ZCV
