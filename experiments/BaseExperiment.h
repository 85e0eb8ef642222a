#pragma once

#include "Clock.h"
#include "LatestTaskThread.h"
#include "ResultColumn.h"
#include "ZTSettings.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class Experiment_Stats;
class KestrumBaseDevice;
class QPainter;
class QTimer;

// The common base of every experiment paradigm: at once the paradigm's settings (its
// Settings.xml) and the running state of one run with its life cycle, clock, result record
// and per-frame step.
//
// Threads: the object, its tick and its start/stop handling live in the user-interface
// thread; the detector thread calls processFrame and saveTrack once per frame. One run
// mutex serialises all of them, so a stop never finishes a record that a frame is writing.
// Time: durations come from the monotonic reading of the injectable clock; the wall reading
// only stamps what goes into files.
class BaseExperiment : public ZTSettings
{
    Q_OBJECT

public:
    BaseExperiment(const QString& baseFolder, QObject* parent = nullptr);
    ~BaseExperiment() override;

    void initSettingsFile(bool readOnly);
    void loadSettingsReadOnly();
    QString folder() const { return m_folder; }
    // The paradigm's folder as the results side names it (after initSettingsFile it ends with "/").
    QString name() const { return m_folder; }

    void setDevice(KestrumBaseDevice* device);
    KestrumBaseDevice* device() const { return m_device; }
    void setRodent(const QString& rodent);
    void setComment(const QString& comment);
    void setRecognitionFrameSize(int width, int height);
    QSize recognitionFrameSize() const;
    // The run's video began at this wall-clock time (ms since the epoch), on the clock the track
    // is stamped with; only the first such note of a run is kept.
    void noteVideoStart(qint64 wallMs);
    void setVideoFrameSize(int width, int height);
    void setFrameSize(QSize size);
    QSize frameSize() const;
    void setManualControl(bool enabled);

    void setBackgroundPair(const QImage& first, const QImage& second);
    void setBackground(const QImage& image);

    void initTriggeredStarted(bool& init, bool& triggered, bool& started) const;
    bool isRunning() const { return m_started; }
    bool isTriggered() const { return m_triggered; }
    bool hasManualControl() const;
    // The one test a paradigm passes before it sends a stimulus: a device is attached, manual
    // control is on, and the panel has not taken the device over (deviceControlEnabled).
    bool mayDriveDevice() const;
    qint64 elapsedMs() const;
    QString runFolder() const;
    // The folder of the run whose record is open: the run goes on, or its stop has not yet
    // written the final record. Empty between runs.
    QString openRecordFolder() const;

    // False when the reference frame is one dark and one lit frame (active avoidance).
    virtual bool singleReferenceFrame();
    // Lights the chamber for the lit reference frame; most paradigms need nothing.
    virtual void prepareBackgroundLight();

    // Calls from any thread; the start/stop handling runs in the object's thread.
    void start(bool trigger);
    void stop();

    // The ends of a run that are neither its Stop button nor its own end.
    enum class RunEnd { ApparatusLost, ServiceDialog, ParadigmChanged, WriteFailure };
    // The run's log names the cause at this moment; whoever ends the run stops it next.
    void noteRunEnd(RunEnd cause);
    // Manual control takes the device from the run and gives it back. What the paradigm had
    // switched on is switched off at the moment it is taken; meanwhile the paradigm's per-frame
    // step does not run, so nothing is sent or counted, the record holds its stimulus time, and
    // the log tells both moments. Any thread.
    void setHeldByManualControl(bool held);
    // A file of the run (its folder, track, record or video) cannot be written, for the system's
    // reason given. The run stops as stop() stops it, and once it has, runFailed tells of the
    // first such failure of the run. Any thread; a failure that comes after the run has stopped
    // (its video being finished) is told the same way.
    void failRun(const QString& path, const QString& reason);
    // The same for a file that a run writes in its folder once begun (its video), whose failure
    // may come late, after its run stopped (while it is finished): it reaches only the run it
    // belongs to, stopping it if it still goes. A later run, triggered or going, goes on.
    void failVideo(const QString& path, const QString& reason);

    void addLog(const QString& text, qint64 timeMs = -1);
    void fillStats(Experiment_Stats* record);

    // The detector's per-frame entry: the frame size, then the paradigm's step, under the run mutex.
    void processFrame(bool detected, QSize frameSize, QPoint center, const QRect& blobRect, bool& inDangerZone);
    // Appends the frame's record to the run's track (called by the detector after processFrame).
    void saveTrack(bool detected, const QImage& blob, QPoint center, QRect rect, int area);

    // Cleared by the panel while it takes the reference frames or the experimenter drives the
    // device by hand: paradigms send their stimuli only while it is set and a device is attached.
    // The stop's switching off is not held back by it; switching off is always safe.
    std::atomic<bool> deviceControlEnabled = true;

    // The zone image at the size into `out`, as the panels ask for it frame by frame.
    void drawOverlay(QImage& out, QSize size);

    static QImage makeMaskCanvas(QSize size);
    static void drawCenteredLabel(QPainter* painter, const QString& text, QRect area, QColor fill);

    // Not owned; null brings back the system clock.
    void setClock(Clock* clock);
    Clock* clock() const { return m_clock; }

    // How the saves while a run goes on put the record on the disk: SettingsFileHelper::commit,
    // waiting for the disk, by default; a test puts a slow disk in its place. Set between runs.
    using RecordCommit = std::function<bool(const QString& path, const QByteArray& bytes, QString* reason)>;
    void setRecordCommit(RecordCommit commit);

public slots:
    virtual QString typeKey() const = 0;
    virtual bool manualActionBeforeBackground();
    virtual Experiment_Stats* createStats(const QString& statsPath) = 0;
    virtual QList<ResultColumn> resultColumns() = 0;
    virtual QString iconPath() = 0;
    virtual BaseExperiment* createInstance() = 0;
    virtual bool usesStartleSensor();

protected slots:
    // The paradigm's per-frame step; always called with the run mutex held (processFrame).
    virtual void processDetection(bool detected, QSize frameSize, QPoint center, const QRect& blobRect,
                                  bool& inDangerZone) = 0;

public slots:
    virtual void manualAction();
    virtual QImage drawOverlay(QSize size);

signals:
    void secondsChanged(double seconds);
    void timeTextChanged(const QString& timeText);
    void cyclesTextChanged(const QString& cyclesText);
    void recordStarted(const QString& path);
    void startVideoRecord(const QString& path);
    void stopVideoRecord();
    void changedExperimentInitTriggeredStarted();
    void frameSizeChanged();
    void hasManualControlChanged();
    // The run stopped because `path` could not be written; `started` is false when the path is
    // the run's folder, which could not be made, so nothing was recorded. Emitted in the
    // object's thread after the stop, once per run.
    void runFailed(const QString& path, const QString& reason, bool started);

protected slots:
    // The paradigm's start/stop hook; called with the run mutex held.
    virtual void onStartStop(bool start) = 0;
    void onTick();

protected:
    // Called with the run mutex held when a run is triggered, before onStartStop: the place
    // to take the run's own copies of what the user may change during the run.
    virtual void prepareRun();
    // Manual control has just taken the device from the running run (the run mutex held). The
    // window shows its own outputs as off, so whatever the paradigm switched on goes off now: by
    // default light, sound and grid. Paradigms that measure a stimulus close its measure here.
    virtual void onDeviceTaken();

    // The start moment, in two halves around the paradigm's own values. openRun makes the
    // run folder and the result record (created by createStats, then fillStats) and returns
    // it, or null when the folder cannot be made; beginRun stamps the record with the start,
    // starts it and its track, stores the background, sets the run going and announces it.
    // When the track cannot be made, beginRun saves the record as unfinished, releases it and
    // stops the run as a failed one, and answers false: the paradigm then must not go on with
    // the run, nor use the record it was given.
    Experiment_Stats* openRun();
    bool beginRun();
    // Saves the open run's record, if one is open; a record that cannot be saved fails the run.
    bool saveRunRecord();
    // Settings change in the user-interface thread while the detector thread reads them in the
    // per-frame step: a new value is stored under the run mutex that step holds.
    void lockValues() override;
    void unlockValues() override;
    // The record a new run writes; by default the one createStats makes for a stored run.
    virtual Experiment_Stats* createRunStats(const QString& statsPath);
    qint64 wallNowMs() const { return m_clock->wallMs(); }
    // The open run's record as the paradigm's own record type; null between runs. The record
    // is released when its run is saved, so paradigms reach it through here rather than
    // keeping a pointer of their own.
    template <typename Record>
    Record* recordAs() const
    {
        return static_cast<Record*>(m_stats.get());
    }

    // A standard mutex rather than Qt's: ThreadSanitizer sees its hand-overs, while those of the
    // system's Qt, built without it, are invisible and would hide real races on the run state.
    mutable std::recursive_mutex m_runMutex;
    bool m_manualControl = true;
    QString m_folder;
    KestrumBaseDevice* m_device = nullptr;
    QSize m_frameSize;
    std::atomic<bool> m_init = false;
    std::atomic<bool> m_triggered = false;
    std::atomic<bool> m_started = false;
    // Per-run words that only paradigms interpret; the base clears `cycles` in start and
    // stop and `wasInDanger` after every start/stop hook.
    int cycles = 0;
    bool wasInDanger = false;
    int dangerCounter = 0;
    int dangerCounterMax = 36;
    qint64 paradigmTimeMs = 0;
    std::atomic<qint64> m_startTimeMs = 0;
    QImage m_background;
    QImage m_background2;
    std::unique_ptr<Experiment_Stats> m_stats;
    QString m_runFolder;
    QString m_rodent;
    QString m_comment;
    int m_recognitionWidth = 640;
    int m_recognitionHeight = 480;
    int m_videoWidth = 640;
    int m_videoHeight = 480;
    QTimer* m_tickTimer = nullptr;

private:
    struct RunFailure
    {
        QString path;
        QString reason;
        bool started = true;
    };

    void applyStartStop(bool start, quint64 request);
    void closeRun();
    void saveRunSoFar();
    // In the save thread: the record as saveRunSoFar took it, unless a later save took its turn.
    void commitProgress(const QString& path, const QByteArray& bytes, quint64 turn);
    void logCircuitChange(const QString& name);
    // Saves the open run's record (the run mutex held); false, with why, when it cannot be.
    bool saveRecord(QString& problem);
    void failRunOf(const QString& path, const QString& reason, bool onlyItsOwnRun);
    // Whether the file lies in the folder of the latest run begun, and no run was triggered
    // since (the run mutex held).
    bool isOfTheLastRun(const QString& path) const;
    // Keeps the run's first failure to be told (the run mutex held); false for a later one.
    bool noteFailure(const QString& path, const QString& reason);
    void tellFailure();
    void copyPanelValues(Experiment_Stats* record) const;
    QString freeRunFolderName() const;
    QByteArray encodeBlob(const QImage& blob) const;

    Clock* m_clock = Clock::system();
    std::atomic<qint64> m_startMonotonicMs = 0;
    quint64 m_lastRequest = 0;
    qint64 m_nextProgressSaveMs = 0;
    // The saves of an open run's record take turns: one made while the run went on never lands
    // after a later one (the stop's) in its place.
    std::mutex m_recordSaveMutex;
    std::atomic<quint64> m_recordSaves = 0;
    // Set by the run's first failure, cleared when a run is triggered.
    bool m_runFailed = false;
    bool m_heldByManualControl = false;
    std::optional<RunFailure> m_untoldFailure;
    // Whether the open record's run passed its start moment; only such a record is finished.
    bool m_runBegun = false;
    RecordCommit m_recordCommit;
    // The saves while a run goes on wait for the disk here, not in the user-interface thread
    // through which every chamber's frames pass.
    LatestTaskThread m_progressSaver;
};
