#include "VideoRecorder.h"

#include "Clock.h"
#include "CvConversions.h"
#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "TrackDataFile.h"
#include "VideoFileMover.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <opencv2/imgproc.hpp>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <functional>
#include <unistd.h>

namespace {
constexpr int idleWaitMs = 200;
const QStringList probedCodecs{"MJPG", "H264", "X264", "XVID", "VP80", "VP90", "MP4V", "DIVX", "WMV2"};

int fourccOf(const QString& codec)
{
    const QByteArray c = codec.toLatin1();
    return cv::VideoWriter::fourcc(c[0], c[1], c[2], c[3]);
}

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Always through FFmpeg: what the codecs below were chosen for. Other back ends that OpenCV
// would try after a failure write other containers and leak what they load.
cv::VideoCapture ffmpegCapture(const QString& path)
{
    return cv::VideoCapture(nativePath(path), cv::CAP_FFMPEG);
}

cv::VideoWriter ffmpegWriter(const std::string& path, const QString& codec, double frameRate, cv::Size size)
{
    return cv::VideoWriter(path, cv::CAP_FFMPEG, fourccOf(codec), frameRate, size, true);
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

// OpenCV falls back to mis-tagged streams for most codecs in MP4, which players then refuse;
// MPEG-4 Part 2 ("mp4v") is written by OpenCV on Debian and played by both Qt Multimedia back
// ends, and encodes several times faster than H.264.
QString codecFor(const QString& path, const QString& preferred)
{
    static const QStringList mp4Family{"mp4", "m4v", "mov"};
    return mp4Family.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive) ? QStringLiteral("mp4v") : preferred;
}

bool isReadableVideo(const QString& path)
{
    cv::VideoCapture capture = ffmpegCapture(path);
    return capture.isOpened() && capture.get(cv::CAP_PROP_FRAME_COUNT) > 0;
}

QList<QString> probeCodecs()
{
    QList<QString> codecs;
    const QTemporaryDir folder;
    if (!folder.isValid())
        return codecs;
    for (const QString& code : probedCodecs) {
        const QString path = folder.filePath(QStringLiteral("test_") + code + QStringLiteral(".mp4"));
        cv::VideoWriter writer = ffmpegWriter(nativePath(path), code, 30, cv::Size(640, 480));
        qDebug().noquote() << code + QStringLiteral(": ") + (writer.isOpened() ? "SUPPORTED" : "NOT supported");
        if (writer.isOpened())
            codecs.append(code);
    }
    return codecs;
}

// The frames were written to `part`; it takes the destination's place when it holds any.
bool placeWrittenVideo(const QString& part, const QString& destination, size_t written)
{
    QString problem = QStringLiteral("no frame could be written");
    if (written > 0 && VideoFileMover::moveIntoPlace(part, destination, problem))
        return true;
    QFile::remove(part);
    GlobalConsole::writeItem(
        QStringLiteral("Video \"%1\" was not written: %2.").arg(destination.toHtmlEscaped(), problem.toHtmlEscaped()),
        QStringLiteral("Error"));
    return false;
}

// Writes the images that `next` hands out, until it has none, into a video at `path`. A size
// below 1 takes the first usable image's size; the others are fitted to it.
bool writeVideo(const QString& path, double frameRate, QSize size, const QString& codec,
                const std::function<std::optional<cv::Mat>()>& next)
{
    const QString part = VideoFileMover::freePath(path, folderOf(path), QStringLiteral("part"));
    cv::Size target(size.width(), size.height());
    cv::VideoWriter writer;
    size_t written = 0;
    while (std::optional<cv::Mat> image = next()) {
        cv::Mat frame = *image;
        if (target.width < 1 || target.height < 1)
            target = frame.size();
        if (!VideoRecorder::prepareFrame(frame, target))
            continue;
        if (!writer.isOpened())
            writer =
                VideoRecorder::createWriter(part, frameRate, QSize(target.width, target.height), codecFor(path, codec));
        if (!writer.isOpened())
            break;
        writer.write(frame);
        ++written;
    }
    writer.release();
    return placeWrittenVideo(part, path, written);
}

// Up to `count` frames; the first that does not read ends the copy, whatever frame count a
// damaged file claims.
size_t copyFrames(cv::VideoCapture& capture, cv::VideoWriter& writer, double count)
{
    size_t written = 0;
    cv::Mat frame;
    while (double(written) < count && capture.read(frame)) {
        writer.write(frame);
        ++written;
    }
    return written;
}

// Why the file can take no more bytes: it is gone (its folder removed, its medium pulled) or its
// file system has no block left that this process may fill. Empty while it can grow.
QString storageProblem(const QString& file, const StorageSpace::Reader& space)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(file).constData(), &status) != 0)
        return FileUtilities::systemReason(errno);
    const StorageSpace::Reading room = space(file);
    if (room.error != 0)
        return FileUtilities::systemReason(room.error);
    return room.availableBytes == quint64(0) ? FileUtilities::systemReason(ENOSPC) : QString();
}

QString logPathFor(const QString& video)
{
    const QFileInfo info(video);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".log"));
}
} // namespace

VideoRecorder::VideoRecorder(const QString& path, double frameRate, QObject* parent)
    : ZTThread(parent)
    , clock(Clock::system())
    , path(path)
    , frameRate(frameRate)
{
    qRegisterMetaType<VideoInterval>();
    setPauseAfterWork(false);
}

VideoRecorder::~VideoRecorder()
{
    stopAndWait();
    {
        std::lock_guard lock(mutex);
        placingEnds = true;
        placeOrdersChanged.notify_all();
    }
    if (placer.joinable())
        placer.join();
}

void VideoRecorder::setClock(const Clock* newClock)
{
    clock = newClock;
}

void VideoRecorder::setSpaceReader(StorageSpace::Reader reader)
{
    std::lock_guard lock(mutex);
    spaceReader = std::move(reader);
}

StorageSpace::Reader VideoRecorder::space() const
{
    std::lock_guard lock(mutex);
    return spaceReader;
}

void VideoRecorder::setLogEnabled(bool enabled)
{
    logEnabled = enabled;
}

double VideoRecorder::getDurationSeconds() const
{
    return double(frameCount) / frameRate;
}

double VideoRecorder::getFrameRate() const
{
    return frameRate;
}

cv::Size VideoRecorder::getFrameSize() const
{
    std::lock_guard lock(mutex);
    return frameSize;
}

bool VideoRecorder::getFrameSizeCalculated() const
{
    std::lock_guard lock(mutex);
    return frameSizeCalculated;
}

bool VideoRecorder::getIsPaused() const
{
    return isPaused;
}

bool VideoRecorder::getIsRecording() const
{
    std::lock_guard lock(mutex);
    return wanted;
}

QString VideoRecorder::getPath() const
{
    std::lock_guard lock(mutex);
    return path;
}

QString VideoRecorder::getTempFilePath() const
{
    std::lock_guard lock(mutex);
    return tempFilePath;
}

bool VideoRecorder::isSavingFile() const
{
    std::lock_guard lock(mutex);
    return savingFile || placing || !placeOrders.empty();
}

int VideoRecorder::getFrameCount() const
{
    return int(frameCount);
}

void VideoRecorder::setPath(const QString& newPath)
{
    std::lock_guard lock(mutex);
    path = newPath;
}

bool VideoRecorder::removeTempFile()
{
    std::lock_guard lock(mutex);
    if (wanted || claimed || finishOrder || savingFile || placing || !placeOrders.empty())
        return false;
    return QFile::remove(tempFilePath);
}

bool VideoRecorder::reset()
{
    std::lock_guard lock(mutex);
    if (wanted || finishOrder || savingFile)
        return false;
    frameSizeCalculated = false;
    currentFrame = cv::Mat();
    isPaused = false;
    return true;
}

bool VideoRecorder::waitUntilFinished(int timeoutMs)
{
    std::unique_lock lock(mutex);
    return finished.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return !finishOrder && !placing && placeOrders.empty(); });
}

void VideoRecorder::insertFramesOverride(const QList<cv::Mat>& frames)
{
    std::lock_guard lock(mutex);
    insertedFrames.clear();
    for (const cv::Mat& frame : frames)
        insertedFrames.append(frame.clone());
}

QList<QString> VideoRecorder::GetAvailableCodecs()
{
    static std::mutex codecMutex;
    static QList<QString> codecs;
    std::lock_guard lock(codecMutex);
    if (codecs.isEmpty())
        codecs = probeCodecs();
    return codecs;
}

cv::VideoWriter VideoRecorder::createWriter(const QString& path, double frameRate, QSize size, const QString& codec)
{
    return createWriter(nativePath(path), frameRate, cv::Size(size.width(), size.height()), codec);
}

cv::VideoWriter VideoRecorder::createWriter(const std::string& path, double frameRate, cv::Size size,
                                            const QString& codec)
{
    if (!(frameRate > 0) || size.width < 1 || size.height < 1)
        return cv::VideoWriter();
    const QList<QString> available = GetAvailableCodecs();
    const QString chosen =
        available.isEmpty() || available.contains(codec, Qt::CaseInsensitive) ? codec : available.first();
    if (chosen.size() < 4)
        return cv::VideoWriter();
    qDebug() << "CREATE VID with codec" << chosen;
    return ffmpegWriter(path, chosen, frameRate, size);
}

bool VideoRecorder::prepareFrame(cv::Mat& frame, cv::Size size)
{
    if (frame.empty() || size.width < 1 || size.height < 1 || frame.depth() != CV_8U)
        return false;
    if (frame.channels() == 1)
        cv::cvtColor(frame, frame, cv::COLOR_GRAY2BGR);
    else if (frame.channels() == 4)
        cv::cvtColor(frame, frame, cv::COLOR_BGRA2BGR);
    else if (frame.channels() != 3)
        return false;
    if (frame.size() != size)
        cv::resize(frame, frame, size, 0, 0, cv::INTER_LINEAR);
    return true;
}

bool VideoRecorder::createVideoFromImages(const QString& path, QList<cv::Mat>& images, double frameRate, QSize size)
{
    if (!(frameRate > 0))
        return false;
    qsizetype index = 0;
    return writeVideo(path, frameRate, size, QStringLiteral("XVID"), [&]() -> std::optional<cv::Mat> {
        if (index == images.size())
            return std::nullopt;
        return images[index++];
    });
}

bool VideoRecorder::createVideoFromImages(const QString& path, const QList<QString>& imagePaths, double frameRate,
                                          QSize size)
{
    if (!(frameRate > 0))
        return false;
    qsizetype index = 0;
    return writeVideo(path, frameRate, size, QStringLiteral("XVID"), [&]() -> std::optional<cv::Mat> {
        if (index == imagePaths.size())
            return std::nullopt;
        return imgread(imagePaths[index++]);
    });
}

size_t VideoRecorder::cutVideo(const QString& source, const QString& destination,
                               const std::vector<VideoInterval>& intervals)
{
    cv::VideoCapture capture = ffmpegCapture(source);
    if (!capture.isOpened())
        return 0;
    const QSize size(int(capture.get(cv::CAP_PROP_FRAME_WIDTH)), int(capture.get(cv::CAP_PROP_FRAME_HEIGHT)));
    const double frames = capture.get(cv::CAP_PROP_FRAME_COUNT);
    const QString part = VideoFileMover::freePath(destination, folderOf(destination), QStringLiteral("part"));
    cv::VideoWriter writer =
        createWriter(part, capture.get(cv::CAP_PROP_FPS), size, codecFor(destination, QStringLiteral("MJPG")));
    if (!writer.isOpened())
        return 0;
    size_t spans = 0;
    for (const VideoInterval& span : intervals) {
        if (span.first > span.last || span.first >= frames || span.last >= frames)
            continue;
        capture.set(cv::CAP_PROP_POS_FRAMES, span.first);
        copyFrames(capture, writer, double(span.last - span.first) + 1);
        ++spans;
    }
    writer.release();
    return placeWrittenVideo(part, destination, spans) ? spans : 0;
}

bool VideoRecorder::joinVideo(const QString& first, const QString& second, const QString& destination)
{
    cv::VideoCapture a = ffmpegCapture(first);
    cv::VideoCapture b = ffmpegCapture(second);
    if (!a.isOpened() || !b.isOpened())
        return false;
    const QSize size(int(a.get(cv::CAP_PROP_FRAME_WIDTH)), int(a.get(cv::CAP_PROP_FRAME_HEIGHT)));
    const double rate = a.get(cv::CAP_PROP_FPS);
    if (size != QSize(int(b.get(cv::CAP_PROP_FRAME_WIDTH)), int(b.get(cv::CAP_PROP_FRAME_HEIGHT)))
        || !qFuzzyCompare(rate, b.get(cv::CAP_PROP_FPS)))
        return false;
    const QString part = VideoFileMover::freePath(destination, folderOf(destination), QStringLiteral("part"));
    cv::VideoWriter writer = createWriter(part, rate, size, codecFor(destination, QStringLiteral("MJPG")));
    if (!writer.isOpened())
        return false;
    size_t written = copyFrames(a, writer, a.get(cv::CAP_PROP_FRAME_COUNT));
    written += copyFrames(b, writer, b.get(cv::CAP_PROP_FRAME_COUNT));
    writer.release();
    return placeWrittenVideo(part, destination, written);
}

void VideoRecorder::startRecord(const QString& newPath)
{
    const double rate = frameRate;
    if (!(rate > 0)) {
        GlobalConsole::writeItem(QStringLiteral("Video recording not started: the frame rate %1 is invalid.")
                                     .arg(QString::number(rate, 'g', 6)),
                                 QStringLiteral("Error"));
        return;
    }
    QString destination;
    bool alreadyWanted = false;
    {
        std::lock_guard lock(mutex);
        if (!newPath.isEmpty())
            path = newPath;
        destination = path;
        alreadyWanted = wanted;
        if (destination.size() >= 3 && !wanted) {
            wanted = true;
            claimed = false;
            ++session;
            sessionStartMs = clock->monotonicMs();
            frameSizeCalculated = false;
            currentFrame = cv::Mat();
            wakeLocked();
        }
    }
    if (destination.size() < 3) {
        GlobalConsole::writeItem(QStringLiteral("Video recording not started: no file path was given."),
                                 QStringLiteral("Error"));
        return;
    }
    if (alreadyWanted) {
        qDebug() << "VIDEORECORDER: already recording to" << destination;
        return;
    }
    isPaused = false;
    endRequested = false;
    FileUtilities::createIfNotExists(folderOf(destination));
    initAndStart();
}

void VideoRecorder::startRecord()
{
    startRecord(QString());
}

void VideoRecorder::setFramerate(double rate)
{
    frameRate = rate;
}

void VideoRecorder::stopRecord(bool remove)
{
    if (requestStop(FinishOrder{.remove = remove}) == StopResult::NothingRecorded && !remove)
        reportFailure(getPath(), QStringLiteral("no camera frame arrived, so nothing was recorded"));
}

void VideoRecorder::stopRecord()
{
    stopRecord(false);
}

void VideoRecorder::stopAndCut(VideoInterval interval)
{
    if (requestStop(FinishOrder{.cut = true, .interval = interval}) == StopResult::NothingRecorded)
        reportFailure(getPath(), QStringLiteral("no camera frame arrived, so nothing was recorded"));
}

void VideoRecorder::setFrame(const cv::Mat& frame)
{
    if (frame.empty())
        return;
    const qint64 now = clock->monotonicMs();
    std::lock_guard lock(mutex);
    if (frameSizeCalculated && frame.size() != frameSize)
        return;
    currentFrame = frame.clone();
    currentStampMs = now;
    if (!frameSizeCalculated) {
        frameSize = frame.size();
        frameSizeCalculated = true;
        wakeLocked();
    }
}

void VideoRecorder::setFrame(const QImage& image)
{
    if (image.isNull())
        return;
    // Wrapped without a copy: setFrame(cv::Mat) takes its own.
    const QImage usable =
        image.format() == QImage::Format_Grayscale8 ? image : image.convertToFormat(QImage::Format_RGB32);
    setFrame(QImageToCvMat(usable, false));
}

void VideoRecorder::pauseRecord()
{
    isPaused = true;
}

void VideoRecorder::resumeRecord()
{
    isPaused = false;
    std::lock_guard lock(mutex);
    wakeLocked();
}

void VideoRecorder::sync(int timestamp)
{
    std::lock_guard lock(mutex);
    currentStampMs = startMs + timestamp;
}

void VideoRecorder::process()
{
    const Order order = takeOrder();
    if (order.finish) {
        if (!order.finish->writerOpen)
            openSessionWriter(order.session, order.finish->destination, order.finish->frameSize,
                              order.finish->sessionStartMs);
        finishRecording(*order.finish);
    } else if (openSession == 0 && !order.wanted) {
        if (endRequested)
            endLoop();
        else
            waitForRequest(idleWaitMs);
    } else if (openSession == 0) {
        if (!openWriterOnFirstFrame(order.session))
            waitForRequest(frameIntervalMs);
    } else if (!writer.isOpened() || isPaused) {
        waitForRequest(frameIntervalMs);
    } else {
        writeDueFrames(elapsedMs(), newestFrame());
        checkStorage();
        waitForNextSlot();
    }
}

void VideoRecorder::endwork()
{
    endRequested = true;
    stopRecord(false);
    {
        std::lock_guard lock(mutex);
        wakeLocked();
    }
    // The loop ends by itself once the file is saved; cutting it short would leave a broken video.
    startProcessing();
    if (QThread::currentThread() != this)
        wait();
}

VideoRecorder::Order VideoRecorder::takeOrder()
{
    std::lock_guard lock(mutex);
    const bool finishing = finishOrder && (openSession != 0 || !finishOrder->writerOpen);
    return Order{wanted, session, finishing ? finishOrder : std::nullopt};
}

VideoRecorder::StopResult VideoRecorder::requestStop(FinishOrder order)
{
    std::lock_guard lock(mutex);
    if (!wanted)
        return StopResult::Idle;
    wanted = false;
    // On a busy machine frames may have come before the worker got to open the writer: the
    // recording is made all the same.
    if (!claimed && (order.remove || !frameSizeCalculated))
        return StopResult::NothingRecorded;
    order.destination = path;
    order.stopMs = clock->monotonicMs();
    order.newest = StampedFrame{currentFrame, currentStampMs};
    order.writerOpen = claimed;
    order.sessionStartMs = sessionStartMs;
    order.frameSize = frameSize;
    claimed = false;
    finishOrder = order;
    wakeLocked();
    return StopResult::Finishing;
}

void VideoRecorder::wakeLocked()
{
    woken = true;
    wake.notify_all();
}

void VideoRecorder::waitForRequest(int ms)
{
    std::unique_lock lock(mutex);
    if (!woken)
        wake.wait_for(lock, std::chrono::milliseconds(std::max(ms, 1)));
    woken = false;
}

bool VideoRecorder::openWriterOnFirstFrame(quint64 expectedSession)
{
    QString destination;
    cv::Size size;
    qint64 sessionStart = 0;
    {
        std::lock_guard lock(mutex);
        if (!wanted || session != expectedSession || !frameSizeCalculated)
            return false;
        claimed = true;
        destination = path;
        size = frameSize;
        sessionStart = sessionStartMs;
    }
    openSessionWriter(expectedSession, destination, size, sessionStart);
    return true;
}

void VideoRecorder::openSessionWriter(quint64 sessionNumber, const QString& destination, cv::Size size,
                                      qint64 sessionStart)
{
    openSession = sessionNumber;
    writerSize = size;
    startMs = sessionStart;
    sessionRate = frameRate;
    frameIntervalMs = std::max(1, int(1000.0 / sessionRate));
    frameCount = 0;
    insertedCount = 0;
    storageFailureTold = false;
    openWriter(destination);
}

// Beside the destination, so that the finished video is renamed into place; in the system's
// temporary folder when the destination's folder takes no files.
void VideoRecorder::openWriter(const QString& destination)
{
    QString temp;
    for (const QString& folder : {folderOf(destination), QDir::tempPath()}) {
        temp = VideoFileMover::freePath(destination, folder, QStringLiteral("part"));
        if (writer.open(temp, sessionRate, writerSize, codecFor(temp, QStringLiteral("XVID"))))
            break;
        QFile::remove(temp);
        temp.clear();
    }
    {
        std::lock_guard lock(mutex);
        tempFilePath = temp;
    }
    if (temp.isEmpty()) {
        GlobalConsole::writeItem(
            QStringLiteral("Video recording to \"%1\" cannot start: no video writer opens there or in %2.")
                .arg(destination.toHtmlEscaped(), QDir::tempPath().toHtmlEscaped()),
            QStringLiteral("Error"));
        return;
    }
    GlobalConsole::writeLine(QStringLiteral("Start video recording to %1 (%2) @ %3 Hz, %4x%5")
                                 .arg(destination, temp, QString::number(sessionRate, 'g', 6))
                                 .arg(writerSize.width)
                                 .arg(writerSize.height));
    if (logEnabled)
        openLog(temp);
    emit recordStarted();
}

void VideoRecorder::openLog(const QString& temp)
{
    tempLogPath = VideoFileMover::freePath(logPathFor(temp), folderOf(temp), QStringLiteral("part"));
    log = std::make_unique<TrackDataFile>();
    if (!log->open(tempLogPath, false))
        log.reset();
}

VideoRecorder::StampedFrame VideoRecorder::newestFrame() const
{
    std::lock_guard lock(mutex);
    return StampedFrame{currentFrame, currentStampMs};
}

void VideoRecorder::writeDueFrames(qint64 elapsed, const StampedFrame& newest)
{
    const quint64 before = frameCount;
    writeInsertedFrames();
    cv::Mat frame = newest.mat;
    if (prepareFrame(frame, writerSize)) {
        const quint64 due = insertedCount + quint64(std::floor(double(elapsed) * sessionRate / 1000.0)) + 1;
        while (frameCount < due)
            writeFrame(frame, newest.stampMs - startMs);
    }
    if (frameCount == before)
        return;
    emit frameCountChanged(frameCount);
    emit durationMsChanged(qint64(double(frameCount) * 1000.0 / sessionRate));
}

void VideoRecorder::writeInsertedFrames()
{
    QList<cv::Mat> frames;
    {
        std::lock_guard lock(mutex);
        frames.swap(insertedFrames);
    }
    for (cv::Mat& frame : frames) {
        if (!prepareFrame(frame, writerSize))
            continue;
        writeFrame(frame, 0);
        ++insertedCount;
    }
}

void VideoRecorder::writeFrame(const cv::Mat& frame, qint64 stampMs)
{
    if (!writer.write(frame))
        tellStorageFailure(QStringLiteral("the video could not be written"));
    if (log && !log->writeRecord(quint32(frameCount), stampMs, true)) {
        GlobalConsole::writeItem(
            QStringLiteral("The frame-time log %1 cannot be written; it is left out.").arg(log->path().toHtmlEscaped()),
            QStringLiteral("Error"));
        log.reset();
        QFile::remove(tempLogPath);
    }
    ++frameCount;
}

// A write that failed is told as soon as it fails; the file is watched too, since what the writer
// keeps in its buffers fails only later. A recording that can no longer grow is told while it
// runs, once, with the system's reason where the file shows one, and goes on until it is stopped.
void VideoRecorder::checkStorage()
{
    tellStorageFailure({});
}

void VideoRecorder::tellStorageFailure(const QString& fallbackReason)
{
    if (storageFailureTold)
        return;
    const QString temp = getTempFilePath();
    QString problem = storageProblem(temp, space());
    if (problem.isEmpty())
        problem = fallbackReason;
    if (problem.isEmpty())
        return;
    storageFailureTold = true;
    // The file that cannot grow, and that is kept, is the one written.
    reportFailure(temp, problem);
}

void VideoRecorder::waitForNextSlot()
{
    const quint64 nextLiveFrame = frameCount - insertedCount;
    const qint64 dueMs = qint64(std::ceil(double(nextLiveFrame) * 1000.0 / sessionRate));
    waitForRequest(int(std::clamp<qint64>(dueMs - elapsedMs(), 1, frameIntervalMs)));
}

void VideoRecorder::finishRecording(const FinishOrder& order)
{
    emit recordPrepareToFinish();
    savingFile = true;
    const bool opened = writer.isOpened();
    const bool fragmented = writer.isFragmented();
    if (opened && !order.remove)
        writeDueFrames(std::max<qint64>(0, order.stopMs - startMs), order.newest);
    const bool complete = writer.release();
    if (log)
        log->close();
    GlobalConsole::writeLine(
        QStringLiteral("Record finished %1s").arg(QString::number(double(frameCount) / sessionRate, 'g', 6)));
    const QString temp = getTempFilePath();
    if (!opened) {
        discardFiles();
        reportFailure(order.destination, QStringLiteral("the video writer could not be opened"));
    } else if (order.remove) {
        GlobalConsole::writeLine(QStringLiteral("Record removed"));
        discardFiles();
    } else if (!complete) {
        // What it holds plays up to where writing failed; it is no complete recording.
        reportFailure(order.destination,
                      QStringLiteral("the video could not be written to its end (is the disk full?); the recording "
                                     "is kept as ")
                          + temp);
    } else {
        queuePlacing(PlaceOrder{.temp = temp,
                                .destination = order.destination,
                                .fragmented = fragmented,
                                .cut = order.cut,
                                .interval = order.interval,
                                .durationMs = qint64(double(frameCount) * 1000.0 / sessionRate),
                                .rate = sessionRate,
                                .tempLog = log ? tempLogPath : QString()});
    }
    log.reset();
    frameCount = 0;
    openSession = 0;
    {
        std::lock_guard lock(mutex);
        finishOrder.reset();
        savingFile = false;
        finished.notify_all();
    }
}

void VideoRecorder::queuePlacing(PlaceOrder order)
{
    std::lock_guard lock(mutex);
    placeOrders.push_back(std::move(order));
    placeOrdersChanged.notify_all();
    if (!placer.joinable())
        placer = std::thread([this] { runPlacing(); });
}

// The finishing thread: leaves once told to and nothing is left to place.
void VideoRecorder::runPlacing()
{
    std::unique_lock lock(mutex);
    for (;;) {
        placeOrdersChanged.wait(lock, [this] { return placingEnds || !placeOrders.empty(); });
        if (placeOrders.empty())
            return;
        const PlaceOrder order = std::move(placeOrders.front());
        placeOrders.pop_front();
        placing = true;
        lock.unlock();
        placeRecording(order);
        lock.lock();
        placing = false;
        finished.notify_all();
    }
}

void VideoRecorder::placeRecording(const PlaceOrder& order)
{
    if (order.fragmented)
        FragmentedVideoWriter::makePlain(order.temp, space());
    qint64 durationMs = order.durationMs;
    bool cut = false;
    if (order.cut) {
        cut = cutVideo(order.temp, order.temp, {order.interval}) == 1;
        if (cut) {
            durationMs = qint64(double(order.interval.last - order.interval.first + 1) * 1000.0 / order.rate);
            // The log counts the frames of the whole recording; it would mislead beside the cut.
            QFile::remove(order.tempLog);
        } else {
            GlobalConsole::writeItem(
                QStringLiteral("The recording could not be cut to frames %1 to %2; it is kept whole.")
                    .arg(order.interval.first)
                    .arg(order.interval.last),
                QStringLiteral("Warning"));
        }
    }
    QString problem = QStringLiteral("the recorded file cannot be read back (is the disk full?)");
    if (!isReadableVideo(order.temp) || !VideoFileMover::moveIntoPlace(order.temp, order.destination, problem)) {
        reportFailure(order.destination, problem + QStringLiteral("; the recording is kept as ") + order.temp);
        return;
    }
    if (!cut)
        moveLogIntoPlace(order);
    GlobalConsole::writeLine(
        QStringLiteral("Video saved: %1 %2").arg(FileUtilities::filesizeNice(order.destination), order.destination));
    emit recordFinished(order.destination, durationMs);
    emit recordFinished2();
}

void VideoRecorder::moveLogIntoPlace(const PlaceOrder& order)
{
    QString problem;
    if (order.tempLog.isEmpty() || VideoFileMover::moveIntoPlace(order.tempLog, logPathFor(order.destination), problem))
        return;
    GlobalConsole::writeItem(
        QStringLiteral("The frame-time log of %1 could not be saved: %2; it is kept as %3.")
            .arg(order.destination.toHtmlEscaped(), problem.toHtmlEscaped(), order.tempLog.toHtmlEscaped()),
        QStringLiteral("Error"));
}

void VideoRecorder::discardFiles()
{
    QFile::remove(getTempFilePath());
    discardLog();
}

void VideoRecorder::discardLog()
{
    if (log)
        QFile::remove(tempLogPath);
    log.reset();
}

void VideoRecorder::reportFailure(const QString& destination, const QString& reason)
{
    GlobalConsole::writeItem(QStringLiteral("Video recording to \"%1\" failed: %2.")
                                 .arg(destination.toHtmlEscaped(), reason.toHtmlEscaped()),
                             QStringLiteral("Error"));
    emit recordFailed(destination, reason);
}

qint64 VideoRecorder::elapsedMs() const
{
    return std::max<qint64>(0, clock->monotonicMs() - startMs);
}
