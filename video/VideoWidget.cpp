#include "VideoWidget.h"

#include "CameraFormatSelector.h"
#include "Clock.h"
#include "GlobalConsole.h"
#include "MediaPermissions.h"
#include "MyVideoSink.h"
#include "ScreenGrabber.h"
#include "StyleHelper.h"
#include "TextHelper.h"
#include "UIHelper.h"
#include "VideoRecorder.h"
#include "VirtualCameraDevice.h"
#include "VirtualMediaPlayer.h"
#include "ZBackgroundThread.h"

#include <QAudioDevice>
#include <QAudioInput>
#include <QCamera>
#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaFormat>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QVBoxLayout>
#include <QVideoWidget>

namespace {
constexpr double rateWithoutCamera = 24;
constexpr double slowestRecordingRate = 10;
// How long a stop waits at most for the platform recorder to finish its file.
constexpr int platformStopLimitMs = 10000;
// How long a recorder's finishing thread may take from its last outcome to its end: far more
// than it takes.
constexpr int outcomeToEndMs = 1000;
const QString screenPrefix = QStringLiteral("scr");

void console(const QString& text, const QString& type = QString())
{
    GlobalConsole::writeItem(text, type);
}

// The last H.264 codec the platform encodes; the audio codec: AAC, else MP3, else the first.
QMediaFormat chooseMediaFormat()
{
    QMediaFormat format(QMediaFormat::UnspecifiedFormat);
    for (const QMediaFormat::VideoCodec codec : format.supportedVideoCodecs(QMediaFormat::Encode)) {
        qDebug() << "Available codec" << QMediaFormat::videoCodecDescription(codec) << int(codec);
        if (QMediaFormat::videoCodecDescription(codec).contains(QLatin1String("H.264")))
            format.setVideoCodec(codec);
    }
    qDebug() << "Default codec" << format.videoCodec();
    const QList<QMediaFormat::AudioCodec> audioCodecs = format.supportedAudioCodecs(QMediaFormat::Encode);
    for (const QMediaFormat::AudioCodec codec : audioCodecs) {
        const QString description = QMediaFormat::audioCodecDescription(codec);
        if (description.contains(QLatin1String("AAC"))
            || (description.contains(QLatin1String("MP3"))
                && format.audioCodec() == QMediaFormat::AudioCodec::Unspecified))
            format.setAudioCodec(codec);
    }
    if (format.audioCodec() == QMediaFormat::AudioCodec::Unspecified && !audioCodecs.isEmpty())
        format.setAudioCodec(audioCodecs.first());
    return format;
}

QString formatText(const QCameraFormat& format)
{
    return QStringLiteral("%1x%2 %3-%4 fps %5")
        .arg(format.resolution().width())
        .arg(format.resolution().height())
        .arg(QString::number(format.minFrameRate(), 'g', 6), QString::number(format.maxFrameRate(), 'g', 6))
        .arg(int(format.pixelFormat()));
}

QString defaultRecordPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + QLatin1Char('/')
           + TextHelper::DateTimeFileString(QDateTime(), true) + QStringLiteral(".mp4");
}
} // namespace

void VideoWidget::setAllowVirtual(bool allow)
{
    allowVirtual = allow;
}

bool VideoWidget::allowsVirtual()
{
    return allowVirtual;
}

bool VideoWidget::isVirtualName(const QString& name)
{
    return name.startsWith(virtualAnimationName);
}

VideoWidget::VideoWidget(QWidget* parent)
    : QWidget(parent)
{
    setUp();
}

VideoWidget::VideoWidget(const QString& name, QSize resolution, bool microphone, QWidget* parent)
    : QWidget(parent)
    , wantedResolution(resolution)
    , cameraName(name)
    , useMicrophone(microphone)
{
    setUp();
}

VideoWidget::~VideoWidget()
{
    closing = true;
    // Stopped before its connection is cut: no tick may be on its way while it is.
    watchdog.reset();
    watchdogConnections.clear();
    teardownChain(true);
    // The videos still being finished are waited for: the program must not end before them.
    finishingRecorders.clear();
    delete grabber;
}

void VideoWidget::setUp()
{
    uuid = QUuid::createUuid().toString();
    UIHelper::ChangeBackground(this, QColor(0x33, 0x33, 0x33));
    pictureContainer = new QWidget(this);
    for (QLabel** label : {&pictureLabel, &underlayLabel, &overlayLabel}) {
        *label = new QLabel(pictureContainer);
        (*label)->setAttribute(Qt::WA_TransparentForMouseEvents);
        pictureStack << *label;
    }
    underlayLabel->hide();
    overlayLabel->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pictureContainer);
    setContentsMargins(0, 0, 0, 0);

    watchdog = std::make_unique<ZBackgroundThread>(watchdogIntervalMs, true);
    // Queued into this thread: the check touches the camera, the session and the widgets.
    watchdogConnections << connect(watchdog.get(), &ZBackgroundThread::doWork, this, &VideoWidget::checkSource,
                                   Qt::QueuedConnection);
    watchdog->startWorking();

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &VideoWidget::showSourceMenu);
    reportPermissions();
}

void VideoWidget::reportPermissions()
{
    const auto report = [](MediaPermissions::Kind kind, const QString& device) {
        const MediaPermissions::Status status = MediaPermissions::check(kind);
        if (status == MediaPermissions::Status::Granted)
            console(QStringLiteral("<span style=\"color:#0CF\">%1 permission already granted</span>").arg(device));
        else
            console(QStringLiteral("<span style=\"color:#C30\">%1 permission not granted: %2</span>")
                        .arg(device, MediaPermissions::statusName(status)));
    };
    report(MediaPermissions::Kind::Camera, QStringLiteral("Camera"));
    if (useMicrophone)
        report(MediaPermissions::Kind::Microphone, QStringLiteral("Microphone"));
}

void VideoWidget::setFetchFrames(bool fetch)
{
    fetchFrames = fetch;
}

void VideoWidget::setGrayscale(bool grey)
{
    grayscale = grey;
}

void VideoWidget::setSoftwareRendering(bool software)
{
    softwareRendering = software;
}

void VideoWidget::setAllowScreenCapture(bool allow)
{
    allowScreenCapture = allow;
}

void VideoWidget::setWatchdogInterval(unsigned int ms)
{
    watchdog->setSleep(ms);
}

void VideoWidget::setClock(const Clock* newClock)
{
    clock = newClock;
}

void VideoWidget::setSpaceReader(StorageSpace::Reader reader)
{
    spaceReader = std::move(reader);
    if (openCvRecorder)
        openCvRecorder->setSpaceReader(spaceReader);
}

QCameraDevice VideoWidget::cameraDevice() const
{
    return currentDevice;
}

QSize VideoWidget::frameSize() const
{
    return shownFrameSize;
}

QString VideoWidget::getCameraName() const
{
    return cameraName;
}

bool VideoWidget::getIsRecording() const
{
    return isRecording;
}

QString VideoWidget::getRecordPath() const
{
    return recordPath;
}

VirtualMediaPlayer* VideoWidget::virtualPlayer() const
{
    return virtualSource;
}

ScreenGrabber* VideoWidget::screenGrabber() const
{
    return grabber;
}

QMenu* VideoWidget::createSourceMenu()
{
    auto* menu = new QMenu(this);
    const QList<QCameraDevice> cameras = QMediaDevices::videoInputs();
    if (cameras.isEmpty() && !allowScreenCapture) {
        menu->addAction(tr("No available cameras"))->setEnabled(false);
    } else {
        addEntry(menu, EntryKind::None, QString(), tr("Не выбрано"), !hasSource());
        menu->addSeparator();
        addCameraEntries(menu, cameras);
        addScreenEntries(menu);
    }
    if (useMicrophone && captureSession && captureSession->audioInput()) {
        addSection(menu, QCoreApplication::translate("Generic", "Microphones"));
        QAction* microphone = menu->addAction(captureSession->audioInput()->device().description());
        microphone->setCheckable(true);
        microphone->setChecked(true);
        microphone->setEnabled(false);
    }
    if (allowVirtual) {
        const bool virtualRuns = virtualSource && virtualSource->isPlaying();
        addEntry(menu, EntryKind::Virtual, virtualAnimationName, QStringLiteral("Virt"),
                 virtualRuns && cameraName != virtualClipName);
        addEntry(menu, EntryKind::Virtual, virtualClipName, tr("Virtual chamber video"),
                 virtualRuns && cameraName == virtualClipName);
    }
    return menu;
}

void VideoWidget::addCameraEntries(QMenu* menu, const QList<QCameraDevice>& cameras)
{
    if (!cameras.isEmpty())
        addSection(menu, QCoreApplication::translate("Generic", "Video cameras"));
    for (const QCameraDevice& device : cameras)
        addEntry(menu, EntryKind::Camera, QString::fromUtf8(device.id()), device.description(),
                 !currentDevice.isNull() && device.id() == currentDevice.id());
}

void VideoWidget::addScreenEntries(QMenu* menu)
{
    const QList<QScreen*> screens = allowScreenCapture ? QGuiApplication::screens() : QList<QScreen*>();
    if (!screens.isEmpty())
        addSection(menu, QCoreApplication::translate("Generic", "Screen capture"));
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QSize size = screens[i]->size();
        addEntry(menu, EntryKind::Screen, screenPrefix + QString::number(i + 1),
                 QStringLiteral("%1 %2 (%3x%4)")
                     .arg(QCoreApplication::translate("Generic", "Screen"))
                     .arg(i + 1)
                     .arg(size.width())
                     .arg(size.height()),
                 grabber && grabber->screenIndex() == i);
    }
}

void VideoWidget::addEntry(QMenu* menu, EntryKind kind, const QString& id, const QString& text, bool checked)
{
    QString shown = text;
    const bool emptyWhileRunning = kind == EntryKind::None && hasSource();
    if (camerasInUse.contains(id) && !emptyWhileRunning) {
        if (kind == EntryKind::Camera && shownFrameSize.width() > 0)
            shown += QStringLiteral(" (%1x%2)").arg(shownFrameSize.width()).arg(shownFrameSize.height());
        shown += QStringLiteral(" [") + tr("In use") + QStringLiteral("]");
    }
    QAction* action = menu->addAction(shown);
    action->setData(id);
    action->setCheckable(true);
    action->setChecked(checked);
    connect(action, &QAction::triggered, this, [this, id] { pickSource(id); });
}

void VideoWidget::addSection(QMenu* menu, const QString& title)
{
    menu->addSeparator();
    menu->addAction(QStringLiteral("# ") + title + QLatin1Char(':'))->setEnabled(false);
}

void VideoWidget::showSourceMenu(const QPoint& position)
{
    QMenu* menu = createSourceMenu();
    StyleHelper::ShowIconsInMenu(menu);
    menu->exec(mapToGlobal(position));
    menu->deleteLater();
}

// A pick replaces this view's own registrations only: the cameras other views run stay theirs,
// so a later automatic pick cannot open one of them a second time.
void VideoWidget::pickSource(const QString& id)
{
    autoPick = false;
    cameraName = id;
    camerasInUse.removeIf([this](const auto& entry) { return entry.value() == uuid; });
    camerasInUse.insert(id, uuid);
    selectCam();
    watchdog->restart();
    emit cameraChanged();
}

bool VideoWidget::hasSource() const
{
    return camera || (grabber && grabber->isActive()) || (virtualSource && virtualSource->isPlaying());
}

bool VideoWidget::sourceRunning() const
{
    if (camera)
        return camera->isActive() && camera->error() == QCamera::NoError;
    if (grabber)
        return grabber->isActive();
    return isVirtualName(cameraName) && allowVirtual && virtualSource && virtualSource->isPlaying();
}

void VideoWidget::checkSource()
{
    if (closing || sourceRunning())
        return;
    if (camera)
        qDebug() << "Existing camera error" << camera->error();
    selectCam();
}

void VideoWidget::selectCam()
{
    if (closing)
        return;
    releaseSource();
    if (cameraName.startsWith(screenPrefix)) {
        if (chooseScreen()) {
            recreate();
            announceSelection(cameraName, cameraName);
        }
    } else if (isVirtualName(cameraName)) {
        qDebug() << "Use virtual" << cameraName;
        if (allowVirtual) {
            chooseVirtualPlayer();
            recreateVirtual();
            announceSelection(cameraName, cameraName);
        }
    } else if (!cameraName.isEmpty() || !preferredCameras.isEmpty() || autoPick) {
        qDebug() << "Camera managed" << cameraName << autoPick << preferredCameras.size();
        if (chooseCamera()) {
            camerasInUse.insert(QString::fromUtf8(currentDevice.id()), uuid);
            recreate();
            qDebug() << "Camera should be selected" << currentDevice.description() << currentDevice.id();
            announceSelection(currentDevice.description(), QString::fromUtf8(currentDevice.id()));
        }
    }
}

void VideoWidget::releaseSource()
{
    teardownChain(true);
    delete grabber;
    grabber = nullptr;
    currentDevice = QCameraDevice();
    shownFrameSize = QSize();
    layoutPicture();
    drawPlaceholder();
}

bool VideoWidget::chooseScreen()
{
    qDebug() << "Use screen" << cameraName;
    if (!ScreenGrabber::isAvailable()) {
        console(QStringLiteral("Screen capture is not available on this desktop (%1).")
                    .arg(QGuiApplication::platformName()),
                QStringLiteral("Error"));
        return false;
    }
    bool numbered = false;
    const int number = cameraName.mid(screenPrefix.size()).toInt(&numbered);
    if (!numbered || number < 1 || number > QGuiApplication::screens().size())
        return false;
    grabber = new ScreenGrabber(number - 1, this);
    return true;
}

void VideoWidget::chooseVirtualPlayer()
{
    const bool wantsClip = cameraName == virtualClipName;
    if (virtualSource && wantsClip == bool(qobject_cast<VirtualCameraDevice*>(virtualSource)))
        return;
    delete virtualSource;
    if (wantsClip) {
        auto* device = new VirtualCameraDevice(this);
        device->open(VirtualCameraDevice::defaultClipPath());
        virtualSource = device;
    } else {
        virtualSource = new VirtualMediaPlayer(this);
    }
}

bool VideoWidget::chooseCamera()
{
    for (const QCameraDevice& device : QMediaDevices::videoInputs()) {
        const bool wanted =
            cameraName.isEmpty()
                ? preferredCameras.isEmpty() || preferredCameras.contains(device.description(), Qt::CaseInsensitive)
                : device.description() == cameraName || QString::fromUtf8(device.id()) == cameraName;
        if (wanted && isFree(device)) {
            currentDevice = device;
            if (cameraName.isEmpty() && preferredCameras.isEmpty())
                cameraName = QString::fromUtf8(device.id());
            return true;
        }
    }
    return false;
}

bool VideoWidget::isFree(const QCameraDevice& device) const
{
    const QString id = QString::fromUtf8(device.id());
    return !camerasInUse.contains(id) || camerasInUse.value(id) == uuid;
}

void VideoWidget::announceSelection(const QString& name, const QString& id)
{
    emit cameraSelected(name, id);
    emit cameraChanged();
}

void VideoWidget::recreate()
{
    teardownChain(false);
    if (currentDevice.isNull() && !grabber)
        return;
    buildSink();
    if (!currentDevice.isNull()) {
        buildCameraChain();
        return;
    }
    grabber->setVideoSink(sink);
    buildOpenCvRecorder(rateWithoutCamera);
    grabber->setActive(true);
}

void VideoWidget::recreateVirtual()
{
    qDebug() << "RECREATE VIRTUAL";
    teardownChain(false);
    if (!virtualSource)
        return;
    buildSink();
    buildOpenCvRecorder(rateWithoutCamera);
    virtualSource->setVideoSink(sink);
    virtualSource->pushNextFrame();
    virtualSource->play();
}

void VideoWidget::stopCamera(bool close)
{
    teardownChain(close);
    emit cameraChanged();
}

void VideoWidget::stopCamera()
{
    stopCamera(false);
}

// Everything built for the running source goes; the recording in progress is finished first.
void VideoWidget::teardownChain(bool close)
{
    stopRecord();
    sessionConnections.clear();
    detachSources(close);
    if (sink) {
        if (captureSession)
            captureSession->setVideoSink(nullptr);
        sink->setPreviewSink(nullptr);
        sink->deleteLater();
        sink = nullptr;
    }
    if (qtVideoWidget) {
        pictureStack.removeAll(qtVideoWidget);
        qtVideoWidget->hide();
        qtVideoWidget->deleteLater();
        qtVideoWidget = nullptr;
    }
    if (captureSession) {
        captureSession->deleteLater();
        captureSession = nullptr;
    }
    letRecorderFinish();
    deliveredFrameSize = QSize();
}

// A recorder whose video is still being finished goes on in its own threads, its outcome still
// told, and goes once it has told it; waiting for it here would hold the interface.
void VideoWidget::letRecorderFinish()
{
    if (!openCvRecorder || openCvRecorder->waitUntilFinished(0)) {
        openCvRecorder.reset();
        return;
    }
    VideoRecorder* recorder = openCvRecorder.get();
    finishingRecorders.push_back(std::move(openCvRecorder));
    const auto dropOnceDone = [this, recorder] { dropFinishedRecorder(recorder); };
    connect(recorder, &VideoRecorder::recordFinished, this, dropOnceDone, Qt::QueuedConnection);
    connect(recorder, &VideoRecorder::recordFailed, this, dropOnceDone, Qt::QueuedConnection);
    // Its last outcome may have come before the connections.
    dropFinishedRecorder(recorder);
}

// Its thread ends right after its last outcome; one with another recording to finish stays.
void VideoWidget::dropFinishedRecorder(const VideoRecorder* recorder)
{
    std::erase_if(finishingRecorders, [recorder](const std::unique_ptr<VideoRecorder>& held) {
        return held.get() == recorder && held->waitUntilFinished(outcomeToEndMs);
    });
}

// The sources stay for the next chain; they only stop delivering.
void VideoWidget::detachSources(bool close)
{
    if (virtualSource) {
        virtualSource->stop();
        virtualSource->setVideoSink(nullptr);
    }
    if (grabber) {
        grabber->setActive(false);
        grabber->setVideoSink(nullptr);
    }
    if (camera) {
        camerasInUse.remove(QString::fromUtf8(currentDevice.id()));
        if (close)
            camera->setActive(false);
    }
    // Both are children of the sink and go with it.
    camera = nullptr;
    mediaRecorder = nullptr;
}

void VideoWidget::buildSink()
{
    sink = new MyVideoSink(this);
    if (!softwareRendering) {
        qtVideoWidget = new QVideoWidget(pictureContainer);
        sink->setPreviewSink(qtVideoWidget->videoSink());
        pictureStack << qtVideoWidget;
        qtVideoWidget->show();
        layoutPicture();
    }
    sessionConnections << connect(sink, &MyVideoSink::newImage, this, &VideoWidget::showFrame, Qt::QueuedConnection);
}

void VideoWidget::buildCameraChain()
{
    camera = new QCamera(currentDevice, sink);
    sessionConnections << connect(camera, &QCamera::errorChanged, this, &VideoWidget::onCameraError,
                                  Qt::QueuedConnection);
    const QList<QCameraFormat> formats = currentDevice.videoFormats();
    qDebug() << "ALL FORMATS FOR" << currentDevice.description();
    QList<CameraFormatOffer> offers;
    for (const QCameraFormat& format : formats) {
        qDebug() << "AVAILABLE CAM res" << formatText(format);
        offers << CameraFormatOffer::of(format);
    }
    const int chosen = CameraFormatSelector::choose(offers, wantedResolution);
    if (chosen >= 0)
        camera->setCameraFormat(formats[chosen]);
    else
        qDebug() << "SEL!" << formatText(camera->cameraFormat());
    const QCameraFormat format = camera->cameraFormat();
    console(QStringLiteral("SELECTED CAMERA RESOLUTION: %1x%2")
                .arg(format.resolution().width())
                .arg(format.resolution().height()));
    console(QStringLiteral("SELECTED CAMERA FPS: %1-%2")
                .arg(QString::number(format.minFrameRate(), 'g', 6), QString::number(format.maxFrameRate(), 'g', 6)));

    captureSession = new QMediaCaptureSession(this);
    captureSession->setCamera(camera);
    captureSession->setVideoSink(sink);
    if (useOpenCvRecorder)
        buildOpenCvRecorder(format.maxFrameRate());
    else
        buildMediaRecorder();
    attachMicrophone();
    camera->setActive(true);
}

void VideoWidget::buildMediaRecorder()
{
    mediaRecorder = new QMediaRecorder(sink);
    captureSession->setRecorder(mediaRecorder);
    sessionConnections << connect(mediaRecorder, &QMediaRecorder::durationChanged, this,
                                  &VideoWidget::recordDurationChanged, Qt::QueuedConnection);
    sessionConnections << connect(
        mediaRecorder, &QMediaRecorder::recorderStateChanged, this,
        [this, recorder = mediaRecorder](QMediaRecorder::RecorderState state) {
            if (state == QMediaRecorder::StoppedState && recorder && !platformRecordingFailed)
                emit recordStopped(recorder->actualLocation().toLocalFile());
        },
        Qt::QueuedConnection);
    // The platform recorder says no more precisely when its first frame is taken.
    sessionConnections << connect(mediaRecorder, &QMediaRecorder::recorderStateChanged, this,
                                  [this](QMediaRecorder::RecorderState state) {
                                      if (state == QMediaRecorder::RecordingState)
                                          announceRecordingBegan();
                                  });
    sessionConnections << connect(
        mediaRecorder, &QMediaRecorder::errorOccurred, this,
        [this](QMediaRecorder::Error error, const QString& text) {
            qDebug() << "MEDIA ERROR" << text << error;
            // The file it leaves is not the run's video: the stop that follows is no success.
            platformRecordingFailed = true;
            reportRecordFailure(recordPath, text);
        },
        Qt::QueuedConnection);
    mediaRecorder->setMediaFormat(chooseMediaFormat());
}

void VideoWidget::buildOpenCvRecorder(double frameRate)
{
    openCvRecorder =
        std::make_unique<VideoRecorder>(QString(), frameRate > slowestRecordingRate ? frameRate : slowestRecordingRate);
    if (clock)
        openCvRecorder->setClock(clock);
    if (spaceReader)
        openCvRecorder->setSpaceReader(spaceReader);
    VideoRecorder* recorder = openCvRecorder.get();
    sessionConnections << connect(recorder, &VideoRecorder::durationMsChanged, this,
                                  &VideoWidget::recordDurationChanged, Qt::QueuedConnection);
    // Kept while it finishes a video after its chain went, and cut when it goes.
    connect(
        recorder, &VideoRecorder::recordFinished, this, [this](const QString& file) { emit recordStopped(file); },
        Qt::QueuedConnection);
    // The recorder has named the failure on the console already.
    connect(recorder, &VideoRecorder::recordFailed, this, &VideoWidget::recordFailed, Qt::QueuedConnection);
}

void VideoWidget::announceRecordingBegan()
{
    emit recordingBegan((clock ? clock : Clock::system())->wallMs());
}

void VideoWidget::attachMicrophone()
{
    if (!useMicrophone)
        return;
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    if (inputs.isEmpty())
        return;
    const QAudioDevice preferred = QMediaDevices::defaultAudioInput();
    captureSession->setAudioInput(new QAudioInput(preferred.isNull() ? inputs.first() : preferred, captureSession));
}

// The chain is taken down without switching the camera off; the watchdog builds it again.
void VideoWidget::onCameraError()
{
    if (!camera)
        return;
    qDebug() << "Error" << camera->error();
    console(QStringLiteral("Camera \"%1\": %2")
                .arg(currentDevice.description().toHtmlEscaped(), camera->errorString().toHtmlEscaped()),
            QStringLiteral("Error"));
    stopCamera(false);
}

void VideoWidget::startRecord(const QString& path, QMediaRecorder::Quality quality)
{
    if (isRecording || closing)
        return;
    recordPath = path.isEmpty() ? defaultRecordPath() : path;
    // A hidden view shows no frame but is still delivered them: their size is what counts.
    if (!deliveredFrameSize.isValid()) {
        reportRecordFailure(recordPath, QStringLiteral("no picture has arrived from the camera yet"));
        return;
    }
    if (openCvRecorder) {
        qDebug() << "START OPENCV RECORD";
        // Its first frame is due the moment it is asked for, however late its writer opens on a
        // busy machine: the video begins now.
        announceRecordingBegan();
        openCvRecorder->startRecord(recordPath);
    } else if (!startPlatformRecording(recordPath, quality)) {
        return;
    }
    isRecording = true;
    emit recordStarted(recordPath);
}

void VideoWidget::startRecord(const QString& path)
{
    startRecord(path, QMediaRecorder::LowQuality);
}

void VideoWidget::startRecord()
{
    startRecord(QString(), QMediaRecorder::LowQuality);
}

bool VideoWidget::startPlatformRecording(const QString& path, QMediaRecorder::Quality quality)
{
    if (!mediaRecorder) {
        reportRecordFailure(path, QStringLiteral("the camera has no recorder"));
        return false;
    }
    platformRecordingFailed = false;
    mediaRecorder->setOutputLocation(QUrl::fromLocalFile(path));
    mediaRecorder->setQuality(quality);
    mediaRecorder->setEncodingMode(QMediaRecorder::ConstantQualityEncoding);
    qDebug() << "START REC" << mediaRecorder->videoFrameRate();
    mediaRecorder->record();
    return true;
}

void VideoWidget::stopRecord()
{
    if (!isRecording)
        return;
    isRecording = false;
    if (openCvRecorder) {
        // Finished in the recorder's threads; the file arrives through recordStopped.
        openCvRecorder->stopRecord(false);
        return;
    }
    if (mediaRecorder && mediaRecorder->recorderState() == QMediaRecorder::RecordingState)
        waitForPlatformRecorder();
}

// Events are handled while the recorder finishes its file, so the chain may be taken down
// meanwhile: the recorder is followed through a guarded pointer, and a second stop does
// nothing because the recording already counts as stopped.
void VideoWidget::waitForPlatformRecorder()
{
    QElapsedTimer timer;
    timer.start();
    const QPointer<QMediaRecorder> recorder = mediaRecorder;
    QEventLoop loop;
    QTimer::singleShot(platformStopLimitMs, &loop, &QEventLoop::quit);
    connect(recorder, &QMediaRecorder::recorderStateChanged, &loop, [&loop](QMediaRecorder::RecorderState state) {
        if (state != QMediaRecorder::RecordingState)
            loop.quit();
    });
    connect(recorder, &QObject::destroyed, &loop, &QEventLoop::quit);
    recorder->stop();
    if (recorder && recorder->recorderState() == QMediaRecorder::RecordingState)
        loop.exec();
    qDebug() << "Waited to stop for" << timer.elapsed() << "ms";
    if (recorder && recorder->recorderState() == QMediaRecorder::RecordingState)
        reportRecordFailure(recordPath, QStringLiteral("the camera's recorder did not finish the file in time"));
    else if (recorder)
        qDebug() << "Recorded" << recorder->actualLocation();
}

void VideoWidget::reportRecordFailure(const QString& path, const QString& reason)
{
    console(QStringLiteral("Video recording to \"%1\" failed: %2.").arg(path.toHtmlEscaped(), reason.toHtmlEscaped()),
            QStringLiteral("Error"));
    emit recordFailed(path, reason);
}

void VideoWidget::showFrame(const QImage& frame)
{
    // Frames still queued from a chain taken down meanwhile are dropped.
    if (frame.isNull() || sender() != sink)
        return;
    deliveredFrameSize = frame.size();
    if (openCvRecorder && openCvRecorder->getIsRecording())
        recordFrame(frame);
    if (!shown && !fetchFrames)
        return;
    const QImage image = grayscale ? frame.convertToFormat(QImage::Format_Grayscale8) : frame;
    if (shown) {
        if (softwareRendering)
            pictureLabel->setPixmap(QPixmap::fromImage(
                image.scaled(pictureContainer->size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
        if (image.size() != shownFrameSize) {
            shownFrameSize = image.size();
            layoutPicture();
        }
    }
    if (fetchFrames)
        emit fetchFrame(image);
}

// Handed over in the writer's own layout (8-bit BGR), so that the recorder's thread only writes.
void VideoWidget::recordFrame(const QImage& frame)
{
    const QImage bgr = frame.convertToFormat(QImage::Format_BGR888);
    openCvRecorder->setFrame(
        cv::Mat(bgr.height(), bgr.width(), CV_8UC3, const_cast<uchar*>(bgr.constBits()), size_t(bgr.bytesPerLine())));
}

void VideoWidget::drawOverlay(const QImage& image)
{
    setLayerImage(overlayLabel, image);
}

void VideoWidget::drawUnderlay(const QImage& image)
{
    setLayerImage(underlayLabel, image);
}

void VideoWidget::setLayerImage(QLabel* label, const QImage& image)
{
    if (!softwareRendering)
        return;
    if (!image.isNull())
        label->setPixmap(
            QPixmap::fromImage(image.scaled(pictureContainer->size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
    label->setVisible(!image.isNull());
}

// The layers cover the container; the picture is centred across when the container is wider
// than the frame's proportions.
void VideoWidget::layoutPicture()
{
    const QSize area = pictureContainer->size();
    int offset = 0;
    if (shownFrameSize.width() > 0 && shownFrameSize.height() > 0 && area.height() > 0) {
        const double ratio = double(shownFrameSize.width()) / shownFrameSize.height();
        if (double(area.width()) / area.height() > ratio)
            offset = int((area.width() - ratio * area.height()) / 2);
    }
    for (QWidget* layer : std::as_const(pictureStack)) {
        layer->resize(area);
        layer->move(layer == qtVideoWidget ? QPoint(0, 0) : QPoint(offset, 0));
    }
}

void VideoWidget::drawPlaceholder()
{
    static const QBrush hatch(QColor(0x55, 0x55, 0x55), Qt::BDiagPattern);
    QImage image(pictureLabel->size().expandedTo(QSize(1, 1)), QImage::Format_RGB888);
    const QRect area(0, 0, image.width() + 1, image.height() + 1);
    QPainter painter(&image);
    painter.translate(-1, -1);
    painter.fillRect(area, QColor(0x66, 0x66, 0x66));
    painter.fillRect(area, hatch);
    painter.resetTransform();
    painter.setPen(QColor(0xCC, 0xCC, 0xCC));
    QFont font = painter.font();
    font.setPixelSize(placeholderPixelSize);
    painter.setFont(font);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QString text = tr("Для выбора камеры\nнажмите правой кнопкой мыши\n по этой области");
    if (!cameraName.isEmpty())
        text = tr("Ожидание камеры") + QStringLiteral("\n\n") + text;
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    painter.end();
    pictureLabel->setPixmap(QPixmap::fromImage(image));
}

void VideoWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPicture();
    if (!hasSource())
        drawPlaceholder();
}

void VideoWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    shown = true;
}

void VideoWidget::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    shown = false;
}
