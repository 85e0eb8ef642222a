#pragma once

#include "UnstoppedThreadCheck.h"

#include <QImage>
#include <QThread>

#include <atomic>
#include <mutex>

namespace ZCV {

// Base of the threads that analyse camera frames. Only the newest frame is kept; a frame that
// arrives while one is being processed is dropped, so the analysis never queues behind the
// camera.
//
// The frame slot and its two flags are guarded by one mutex, so a frame handed in at the very
// moment processing starts is either taken for that pass or refused, never written while
// `processImage` reads `image`.
//
// A subclass must call stop() and wait() in its own destructor: the base destructor stops and
// waits as well, but by then the subclass part that `processImage` belongs to is already gone.
// Debug builds stop the program, naming the thread, when the loop still runs at that point.
class ImageThread : public QThread
{
    Q_OBJECT

public:
    explicit ImageThread(QObject* parent = nullptr);
    ~ImageThread() override;

    void start(int intervalMs);
    void stop();
    void setImage(const QImage& frame);

signals:
    void onProcessImage();

protected:
    void run() override;
    // Analyses `image`; called in the worker thread, where `image` is not replaced meanwhile.
    virtual void processImage() = 0;

    std::atomic<bool> running{false};
    QImage image;
    std::atomic<int> intervalMs{10};
    bool accepting = true;
    bool hasNew = false;
    std::mutex frameMutex;

private:
    bool takePendingFrame();
    void finishFrame();

    UnstoppedThreadCheck stopCheck;
};

} // namespace ZCV
