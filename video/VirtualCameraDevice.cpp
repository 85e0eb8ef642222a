#include "VirtualCameraDevice.h"

#include "GlobalConsole.h"

#include <QFile>
#include <QFileInfo>
#include <opencv2/imgproc.hpp>
#include <sys/mman.h>

#include <cmath>
#include <limits>
#include <unistd.h>

namespace {
// Rates outside this range are taken for a file that does not know its own.
constexpr double slowestRate = 1;
constexpr double fastestRate = 240;

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// A copy of the file (a resource) in memory that goes with the process however it ends, so that
// no copy is ever left behind in the temporary folder; nothing when it cannot be made.
std::unique_ptr<QFile> copyInMemory(const QString& path)
{
    QFile source(path);
    const int descriptor = source.open(QIODevice::ReadOnly) ? memfd_create("camera-clip", MFD_CLOEXEC) : -1;
    if (descriptor < 0)
        return nullptr;
    auto copy = std::make_unique<QFile>();
    if (!copy->open(descriptor, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return nullptr;
    }
    const QByteArray bytes = source.readAll();
    if (copy->write(bytes) != bytes.size() || !copy->flush())
        return nullptr;
    return copy;
}

int clamped(double value, int highest)
{
    return std::isfinite(value) && value > 0 ? int(std::min(value, double(highest))) : 0;
}
} // namespace

QString VirtualCameraDevice::defaultClipPath()
{
    return QStringLiteral(":/virtualcamera/openfield-mouse.mp4");
}

VirtualCameraDevice::VirtualCameraDevice(QObject* parent)
    : VirtualMediaPlayer(parent)
{
}

bool VirtualCameraDevice::open(const QString& path)
{
    capture.release();
    source = path;
    pos = -1;
    unreadableReported = false;
    localCopy = QFileInfo(path).isNativePath() ? nullptr : copyInMemory(path);
    readablePath = localCopy ? QStringLiteral("/proc/self/fd/%1").arg(localCopy->handle()) : path;
    if (!capture.open(nativePath(readablePath), cv::CAP_FFMPEG)) {
        reportUnreadable(QStringLiteral("it cannot be opened"));
        return false;
    }
    size = QSize(clamped(capture.get(cv::CAP_PROP_FRAME_WIDTH), 1 << 16),
                 clamped(capture.get(cv::CAP_PROP_FRAME_HEIGHT), 1 << 16));
    frames = clamped(capture.get(cv::CAP_PROP_FRAME_COUNT), std::numeric_limits<int>::max());
    const double rate = capture.get(cv::CAP_PROP_FPS);
    setIntervalMs(rate >= slowestRate && rate <= fastestRate ? qRound(1000.0 / rate) : defaultIntervalMs);
    emit propsChanged(size, frames);
    return true;
}

QString VirtualCameraDevice::path() const
{
    return source;
}

int VirtualCameraDevice::position() const
{
    return pos;
}

int VirtualCameraDevice::frameCount() const
{
    return frames;
}

QSize VirtualCameraDevice::frameSize() const
{
    return size;
}

QImage VirtualCameraDevice::nextImage()
{
    cv::Mat frame;
    if (!capture.isOpened() || !readFrame(frame))
        return QImage();
    ++pos;
    emit posChanged(pos);
    cv::Mat bgra = frame;
    if (frame.channels() != 4)
        cv::cvtColor(frame, bgra, frame.channels() == 1 ? cv::COLOR_GRAY2BGRA : cv::COLOR_BGR2BGRA);
    return QImage(bgra.data, bgra.cols, bgra.rows, qsizetype(bgra.step), QImage::Format_RGB32).copy();
}

// At the end of the file the loop starts again from its first frame, opening the file afresh:
// seeking back is not exact in every container.
bool VirtualCameraDevice::readFrame(cv::Mat& frame)
{
    if (capture.read(frame) && !frame.empty())
        return true;
    if (capture.open(nativePath(readablePath), cv::CAP_FFMPEG) && capture.read(frame) && !frame.empty()) {
        pos = -1;
        return true;
    }
    reportUnreadable(QStringLiteral("no frame can be read from it"));
    return false;
}

void VirtualCameraDevice::reportUnreadable(const QString& reason)
{
    if (unreadableReported)
        return;
    unreadableReported = true;
    GlobalConsole::writeItem(QStringLiteral("The virtual camera cannot play \"%1\": %2.")
                                 .arg(source.toHtmlEscaped(), reason.toHtmlEscaped()),
                             QStringLiteral("Error"));
}
