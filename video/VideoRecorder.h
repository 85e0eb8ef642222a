#pragma once

#include "FragmentedVideoWriter.h"
#include "StorageSpace.h"
#include "ZTThread.h"

#include <QImage>
#include <QList>
#include <QMetaType>
#include <QSize>
#include <QString>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class Clock;
class TrackDataFile;

// A span of frame numbers; both bounds are included.
struct VideoInterval
{
    quint32 first = 0;
    quint32 last = 0;
};
Q_DECLARE_METATYPE(VideoInterval)

// Writes camera frames into a video file at a steady frame rate, in its own thread. Frames are
// handed in whenever the camera delivers them; the file gets one frame per frame interval of
// the clock, the newest frame handed in, so a slow camera is padded with repeats and a fast one
// thinned, and the file's length follows the time recorded (pauses included: the first frame
// after a resume fills them). That time runs from the start request to the stop request,
// however late the thread gets to them on a busy machine: a player places what happened at a
// moment of the run by the video's time.
//
// The video grows beside its destination under a free ".part" name (in the system's temporary
// folder when the destination's folder takes no files) and takes the destination's place only
// when it is complete and readable; a destination already there stays until then. The ".part"
// plays up to its last half second or so at any moment, so a process that dies mid-recording
// leaves the video of the run. Every failure (no frame ever arrived, a writer that did not open,
// a damaged file, a destination that cannot take the file) is named on the console and ends in
// recordFailed, never in recordFinished; a recording that could not be placed stays where it
// grew. A recording that can no longer be written (a write that failed, its file system full,
// the file gone) is told by recordFailed at once, while it runs, naming the file it grows in;
// the stop still finishes it.
//
// Requests (start, stop, pause, frames) may come from any thread; the thread acts on them in
// order, and a stop always lets the file be finished: the destructor waits for that rather
// than cut it short. The slow end of a finish (the copy into the final layout, a cut, the move
// into place) runs in a second thread, one recording after another, so that a stop never
// waits for it and the next recording begins at once; its outcome comes from that thread.
class VideoRecorder : public ZTThread
{
    Q_OBJECT

public:
    explicit VideoRecorder(const QString& path = QString(), double frameRate = 24.0, QObject* parent = nullptr);
    ~VideoRecorder() override;

    // Durations and the frame slots are measured on this clock; set before the first start.
    void setClock(const Clock* clock);
    // The room left on the disks is read through this; for the recordings and finishes to come.
    void setSpaceReader(StorageSpace::Reader reader);
    // With the log on, each video "<name>.mp4" gets "<name>.log" beside it: a keyed record file
    // (see TrackDataFile) holding, per frame number, the milliseconds since the start request
    // at which that frame's picture arrived (0 for inserted frames). A recording that is cut
    // when it stops has no log: the frame numbers would no longer match.
    void setLogEnabled(bool enabled);

    double getDurationSeconds() const;
    double getFrameRate() const;
    cv::Size getFrameSize() const;
    bool getFrameSizeCalculated() const;
    bool getIsPaused() const;
    bool getIsRecording() const;
    QString getPath() const;
    QString getTempFilePath() const;
    bool isSavingFile() const;
    int getFrameCount() const;
    void setPath(const QString& path);
    // Deletes a recording kept after a failed save; refused while a recording runs or is saved.
    bool removeTempFile();
    // Forgets the frame size and the pause; refused while a recording is wanted or saved.
    bool reset();
    // Returns once the stopped recordings are finished (in place, or reported as failed); false
    // when one is still being finished after the time given.
    bool waitUntilFinished(int timeoutMs);
    // Frames written before the live ones (at the next pass), each counted as a frame.
    void insertFramesOverride(const QList<cv::Mat>& frames);

    static QList<QString> GetAvailableCodecs();
    static cv::VideoWriter createWriter(const QString& path, double frameRate, QSize size, const QString& codec);
    static cv::VideoWriter createWriter(const std::string& path, double frameRate, cv::Size size, const QString& codec);
    // Makes an 8-bit grey, BGR or BGRA frame a BGR frame of the size; false for anything else.
    static bool prepareFrame(cv::Mat& frame, cv::Size size);
    static bool createVideoFromImages(const QString& path, QList<cv::Mat>& images, double frameRate, QSize size);
    static bool createVideoFromImages(const QString& path, const QList<QString>& imagePaths, double frameRate,
                                      QSize size);
    // The number of spans written; a span outside the source is skipped. The cut grows under
    // another name and takes the destination's place when complete, so a video can be cut into
    // itself.
    static size_t cutVideo(const QString& source, const QString& destination,
                           const std::vector<VideoInterval>& intervals);
    static bool joinVideo(const QString& first, const QString& second, const QString& destination);

public slots:
    void startRecord(const QString& path);
    void startRecord();
    void setFramerate(double frameRate);
    void stopRecord(bool remove);
    void stopRecord();
    void stopAndCut(VideoInterval interval);
    void setFrame(const cv::Mat& frame);
    void setFrame(const QImage& image);
    void pauseRecord();
    void resumeRecord();
    // Stamps the newest frame handed in with this time (ms since the start request) in the log.
    void sync(int timestamp);

signals:
    void recordPrepareToFinish();
    void recordFinished(const QString& file, qlonglong durationMs);
    void recordFinished2();
    void recordStarted();
    void frameCountChanged(qulonglong frames);
    void durationMsChanged(qlonglong ms);
    // The recording could not be saved to `file` (while it runs: the file it grows in, which
    // cannot grow); `reason` says why and where it was kept.
    void recordFailed(const QString& file, const QString& reason);

protected:
    void process() override;
    // Stops a recording in progress, keeping it, and waits until the file is saved.
    void endwork() override;

private:
    struct StampedFrame
    {
        cv::Mat mat;
        qint64 stampMs = 0;
    };
    // How a recording is to end: the one the worker has open, or one whose frames arrived
    // before the worker came to open it, which it then opens to finish.
    struct FinishOrder
    {
        QString destination = {};
        bool remove = false;
        bool cut = false;
        VideoInterval interval = {};
        // The frames due until the stop was asked for are written first, each the newest frame
        // handed in by then.
        qint64 stopMs = 0;
        StampedFrame newest = {};
        bool writerOpen = true;
        qint64 sessionStartMs = 0;
        cv::Size frameSize = {};
    };
    // What is left of a finish once the file is complete: done in the finishing thread.
    struct PlaceOrder
    {
        QString temp;
        QString destination;
        bool fragmented = false;
        bool cut = false;
        VideoInterval interval = {};
        qint64 durationMs = 0;
        double rate = 24.0;
        // The frame-time log beside the temporary file; empty without one.
        QString tempLog;
    };
    // What a pass works from, taken under the mutex.
    struct Order
    {
        bool wanted = false;
        quint64 session = 0;
        std::optional<FinishOrder> finish;
    };
    enum class StopResult { Idle, Finishing, NothingRecorded };

    Order takeOrder();
    StopResult requestStop(FinishOrder order);
    // Tells the worker of a request; called with the mutex held.
    void wakeLocked();
    // Sleeps until a request comes in or the time is up.
    void waitForRequest(int ms);
    bool openWriterOnFirstFrame(quint64 expectedSession);
    void openSessionWriter(quint64 sessionNumber, const QString& destination, cv::Size size, qint64 sessionStart);
    void openWriter(const QString& destination);
    void openLog(const QString& temp);
    StampedFrame newestFrame() const;
    // Writes the frames due `elapsed` ms after the start, showing `newest`.
    void writeDueFrames(qint64 elapsed, const StampedFrame& newest);
    void writeInsertedFrames();
    void writeFrame(const cv::Mat& frame, qint64 stampMs);
    void waitForNextSlot();
    void checkStorage();
    // Tells a recording that can no longer be written, once; `fallbackReason` when the file
    // shows no reason of its own, nothing when that is empty too.
    void tellStorageFailure(const QString& fallbackReason);
    void finishRecording(const FinishOrder& order);
    void queuePlacing(PlaceOrder order);
    void runPlacing();
    void placeRecording(const PlaceOrder& order);
    void moveLogIntoPlace(const PlaceOrder& order);
    void discardFiles();
    void discardLog();
    void reportFailure(const QString& destination, const QString& reason);
    qint64 elapsedMs() const;
    StorageSpace::Reader space() const;

    std::atomic<bool> logEnabled{false};
    const Clock* clock;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;

    // Guarded by the mutex.
    bool woken = false;
    QString path;
    // A recording is asked for; each start begins a new session.
    bool wanted = false;
    // The worker has taken the wanted session to a writer, so a stop must let it finish.
    bool claimed = false;
    quint64 session = 0;
    qint64 sessionStartMs = 0;
    std::optional<FinishOrder> finishOrder;
    cv::Mat currentFrame;
    qint64 currentStampMs = 0;
    cv::Size frameSize;
    bool frameSizeCalculated = false;
    QList<cv::Mat> insertedFrames;
    QString tempFilePath;
    StorageSpace::Reader spaceReader = StorageSpace::read;
    std::deque<PlaceOrder> placeOrders;
    bool placing = false;
    bool placingEnds = false;
    std::condition_variable placeOrdersChanged;
    std::thread placer;

    std::atomic<double> frameRate{24.0};
    std::atomic<bool> isPaused{false};
    std::atomic<bool> savingFile{false};
    std::atomic<bool> endRequested{false};
    std::atomic<quint64> frameCount{0};
    std::atomic<qint64> startMs{0};

    // The worker's own.
    FragmentedVideoWriter writer;
    std::unique_ptr<TrackDataFile> log;
    quint64 openSession = 0;
    cv::Size writerSize;
    double sessionRate = 24.0;
    int frameIntervalMs = 10;
    quint64 insertedCount = 0;
    bool storageFailureTold = false;
    QString tempLogPath;
};
