#pragma once

// What the application's tests check in what a run leaves behind: the frames of its video and
// the last grid command the chamber received.

#include <QFile>
#include <QString>
#include <QStringList>
#include <opencv2/videoio.hpp>

inline int videoFrameCount(const QString& path)
{
    cv::VideoCapture capture(QFile::encodeName(path).toStdString(), cv::CAP_FFMPEG);
    int frames = 0;
    cv::Mat frame;
    while (capture.read(frame))
        ++frames;
    return frames;
}

// Whether the chamber was last told to have no grid current.
inline bool gridOffAtTheEnd(const QStringList& messages)
{
    for (auto it = messages.crbegin(); it != messages.crend(); ++it) {
        if (*it == QLatin1String("off") || it->startsWith(QLatin1String("grid=")))
            return *it == QLatin1String("off") || *it == QLatin1String("grid=0.0");
    }
    return true;
}
