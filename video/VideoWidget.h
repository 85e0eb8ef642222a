#pragma once

#include "ConnectionHelper.h"
#include "StorageSpace.h"

#include <QCameraDevice>
#include <QImage>
#include <QList>
#include <QMap>
#include <QMediaRecorder>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

class Clock;
class QCamera;
class QLabel;
class QMediaCaptureSession;
class QMenu;
class QVideoWidget;
class ScreenGrabber;
class VideoRecorder;
class VirtualMediaPlayer;
class MyVideoSink;
class ZBackgroundThread;

// The camera view of one apparatus: shows the live picture of a camera, a screen or a virtual
// camera, chosen from its context menu, with an underlay and an overlay drawn over it; hands
// every frame on for detection (fetchFrame); picks its camera up again when it is lost; and
// records the picture into the run's video file.
//
// Cameras are recorded by the platform's media recorder; every other source (a virtual camera,
// a screen) by the OpenCV recorder, which Qt 6.4's media recorder cannot stand in for, so every
// run that has frames gets a video. Every recording that cannot start or be saved is named on
// the console and ends in recordFailed.
//
// A process-wide registry keeps two views from taking the same camera. Everything here runs in
// the user-interface thread; the watchdog's ticks are carried over to it.
class VideoWidget : public QWidget
{
    Q_OBJECT

public:
    // Source names: a camera's description or id, "scr" + screen number (from 1), the names of
    // the two virtual cameras, or empty for none.
    static inline const QString virtualAnimationName = QStringLiteral("VirtualCamera");
    // The file-backed virtual camera playing the clip bundled with the program; the virtual
    // chamber's camera.
    static inline const QString virtualClipName = QStringLiteral("VirtualCameraClip");
    static constexpr unsigned int watchdogIntervalMs = 5000;
    static constexpr int placeholderPixelSize = 14;

    // Camera id → uuid of the view that holds it.
    static inline QMap<QString, QString> camerasInUse;
    // Camera descriptions a view without a camera name may take (compared ignoring case).
    static inline QStringList preferredCameras;
    // Records cameras with the OpenCV recorder too.
    static inline bool useOpenCvRecorder = false;

    // The virtual cameras are offered and run only while allowed; switched with the virtual
    // chamber.
    static void setAllowVirtual(bool allow);
    static bool allowsVirtual();
    static bool isVirtualName(const QString& name);

    explicit VideoWidget(QWidget* parent = nullptr);
    VideoWidget(const QString& cameraName, QSize resolution, bool useMicrophone, QWidget* parent = nullptr);
    ~VideoWidget() override;

    void setFetchFrames(bool fetch);
    void setGrayscale(bool grey);
    // Takes effect when the capture chain is next built.
    void setSoftwareRendering(bool software);
    void setAllowScreenCapture(bool allow);
    // How often the watchdog looks for a lost source.
    void setWatchdogInterval(unsigned int ms);
    // The clock the OpenCV recorder measures its recordings on; for recordings started later.
    void setClock(const Clock* clock);
    // How the OpenCV recorder reads the room left on its disk; for the recordings to come.
    void setSpaceReader(StorageSpace::Reader reader);

    QCameraDevice cameraDevice() const;
    // The size of the last frame shown; invalid until one was shown.
    QSize frameSize() const;
    QString getCameraName() const;
    bool getIsRecording() const;
    QString getRecordPath() const;
    // The virtual camera running or last run; null before one was chosen.
    VirtualMediaPlayer* virtualPlayer() const;
    ScreenGrabber* screenGrabber() const;
    // The source menu as the context menu shows it; the caller owns it.
    QMenu* createSourceMenu();

public slots:
    // An empty path records into the movies folder under the current time.
    void startRecord(const QString& path, QMediaRecorder::Quality quality);
    void startRecord(const QString& path);
    void startRecord();
    // The OpenCV recorder's file is finished in its own threads after the stop has returned, so
    // neither this view nor any other waits for it; recordStopped or recordFailed follows. The
    // platform recorder's stop returns once it has finished its file.
    void stopRecord();
    void drawOverlay(const QImage& image);
    void drawUnderlay(const QImage& image);
    void stopCamera(bool close);
    void stopCamera();
    void recreate();
    void recreateVirtual();
    void selectCam();
    // The watchdog's check: chooses the source again when it no longer delivers.
    void checkSource();

signals:
    void fetchFrame(QImage image);
    void recordStarted(QString path);
    // The recording's first frame is being written: the wall-clock time (ms since the epoch, on
    // the widget's clock) its video begins at. Emitted from the recorder's thread.
    void recordingBegan(qlonglong wallMs);
    void recordStopped(QString path);
    void recordDurationChanged(qlonglong ms);
    void recordFailed(QString path, QString reason);
    void cameraSelected(QString name, QString id);
    void cameraChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class EntryKind { None, Camera, Screen, Virtual };

    void setUp();
    void reportPermissions();
    void showSourceMenu(const QPoint& position);
    void addCameraEntries(QMenu* menu, const QList<QCameraDevice>& cameras);
    void addScreenEntries(QMenu* menu);
    void addEntry(QMenu* menu, EntryKind kind, const QString& id, const QString& text, bool checked);
    void addSection(QMenu* menu, const QString& title);
    void pickSource(const QString& id);

    bool hasSource() const;
    bool sourceRunning() const;
    void releaseSource();
    void teardownChain(bool close);
    void detachSources(bool close);
    bool chooseCamera();
    bool isFree(const QCameraDevice& device) const;
    bool chooseScreen();
    void chooseVirtualPlayer();
    void announceSelection(const QString& name, const QString& id);

    void buildSink();
    void buildCameraChain();
    void buildMediaRecorder();
    void buildOpenCvRecorder(double frameRate);
    void announceRecordingBegan();
    void letRecorderFinish();
    void dropFinishedRecorder(const VideoRecorder* recorder);
    void attachMicrophone();
    void onCameraError();

    bool startPlatformRecording(const QString& path, QMediaRecorder::Quality quality);
    void waitForPlatformRecorder();
    void reportRecordFailure(const QString& path, const QString& reason);

    void showFrame(const QImage& image);
    void recordFrame(const QImage& frame);
    void layoutPicture();
    void drawPlaceholder();
    void setLayerImage(QLabel* label, const QImage& image);

    QPointer<QMediaRecorder> mediaRecorder;
    bool allowScreenCapture = false;
    VirtualMediaPlayer* virtualSource = nullptr;
    QString recordPath;
    QPointer<QCamera> camera;
    ScreenGrabber* grabber = nullptr;
    QCameraDevice currentDevice;
    bool isRecording = false;
    bool platformRecordingFailed = false;
    QLabel* pictureLabel = nullptr;
    QLabel* underlayLabel = nullptr;
    QLabel* overlayLabel = nullptr;
    QList<QWidget*> pictureStack;
    MyVideoSink* sink = nullptr;
    ConnectionHelper watchdogConnections;
    QMediaCaptureSession* captureSession = nullptr;
    bool fetchFrames = false;
    QSize shownFrameSize;
    // The size of the last frame delivered by the running chain, shown or not.
    QSize deliveredFrameSize;
    QWidget* pictureContainer = nullptr;
    bool shown = false;
    QSize wantedResolution;
    QVideoWidget* qtVideoWidget = nullptr;
    QString cameraName;
    QString uuid;
    bool grayscale = false;
    bool useMicrophone = true;
    bool autoPick = true;
    ConnectionHelper sessionConnections;
    bool softwareRendering = true;
    bool closing = false;
    std::unique_ptr<ZBackgroundThread> watchdog;
    std::unique_ptr<VideoRecorder> openCvRecorder;
    // Recorders of chains taken down while they finished a video; each goes when it is done.
    std::vector<std::unique_ptr<VideoRecorder>> finishingRecorders;
    const Clock* clock = nullptr;
    StorageSpace::Reader spaceReader;

    static inline std::atomic<bool> allowVirtual{false};
};
