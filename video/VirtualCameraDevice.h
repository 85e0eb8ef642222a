#pragma once

#include "VirtualMediaPlayer.h"

#include <QFile>
#include <QSize>
#include <QString>
#include <opencv2/videoio.hpp>

#include <memory>

// A file-backed virtual camera: plays a video file in a loop, one frame per tick at the file's
// own rate, through the same sink as a camera, and tells where in the file it is. The virtual
// chamber's camera plays the clip bundled with the program, which begins with a few seconds of
// the empty arena so that a background calibrated at the start sees an empty chamber.
class VirtualCameraDevice : public VirtualMediaPlayer
{
    Q_OBJECT

public:
    // The clip bundled with the program.
    static QString defaultClipPath();

    explicit VirtualCameraDevice(QObject* parent = nullptr);

    // Opens the file (a path or a resource) and rewinds to its first frame; false, with a
    // console message, when it holds no readable video.
    bool open(const QString& path);
    QString path() const;
    // The number of the frame last shown, from 0; -1 before the first.
    int position() const;
    int frameCount() const;
    QSize frameSize() const;

signals:
    void posChanged(int pos);
    void propsChanged(QSize size, int frames);

protected:
    QImage nextImage() override;

private:
    bool readFrame(cv::Mat& frame);
    void reportUnreadable(const QString& reason);

    cv::VideoCapture capture;
    int pos = -1;
    QSize size;
    int frames = 0;
    QString source;
    // The capture reads only files: a resource is copied out while it plays.
    std::unique_ptr<QFile> localCopy;
    QString readablePath;
    bool unreadableReported = false;
};
