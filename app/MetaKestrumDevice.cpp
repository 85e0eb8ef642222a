#include "MetaKestrumDevice.h"

#include "AppHelper.h"
#include "BaseExperiment.h"
#include "BaseScenarioExperiment.h"
#include "ConfirmDialog.h"
#include "DevicePanelWidgets.h"
#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "KestrumBaseDevice.h"
#include "KestrumDetectorThread.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "ManualControlDialog.h"
#include "MetaKestrumInfo.h"
#include "PanelCameraView.h"
#include "VideoCameraView.h"
#include "VideoWidget.h"
#include "VirtualKestrumDevice.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

QMediaRecorder::Quality recordingQuality()
{
    const KestrumModel* model = KestrumModel::instance();
    return model && model->settings() ? model->settings()->getVideoRecordingQuality() : QMediaRecorder::NormalQuality;
}

// One file per apparatus in the model's devices folder; none without a model or a serial number.
QString infoPath(const QString& serialNumber)
{
    const KestrumModel* model = KestrumModel::instance();
    if (!model || serialNumber.isEmpty())
        return QString();
    FileUtilities::createIfNotExists(model->devicesFolder());
    return model->devicesFolder() + serialNumber + QStringLiteral(".xml");
}

// The virtual cameras are there while a virtual chamber's panel is. Counted, not switched: the
// panel that replaces one (after the service dialog) is built before the old one is deleted.
int virtualChamberPanels = 0;

void countVirtualChamberPanel(int change)
{
    virtualChamberPanels += change;
    VideoWidget::setAllowVirtual(virtualChamberPanels > 0);
}

} // namespace

MetaKestrumDevice::MetaKestrumDevice(KestrumBaseDevice* device, PanelCameraView* camera, QWidget* parent)
    : ApparatusPanel(parent)
    , m_device(device)
    , m_serialNumber(device ? device->serialNumber() : QString())
    , m_virtualChamber(qobject_cast<VirtualKestrumDevice*>(device) != nullptr)
    , m_camera(camera)
    , m_panelConnections(QStringLiteral("MetaKestrumDevice panel"))
    , m_experimentConnections(QStringLiteral("MetaKestrumDevice experiment"))
    , m_modelConnections(QStringLiteral("MetaKestrumDevice model"))
{
    if (m_virtualChamber)
        countVirtualChamberPanel(1);
    if (m_camera)
        m_camera->setParent(this);
    if (!m_device)
        return;
    m_device->allOff();
    m_info = new MetaKestrumInfo(infoPath(m_serialNumber), this);
    if (m_serialNumber.isEmpty()) {
        // Nothing runs here, so no camera is held for it.
        delete std::exchange(m_camera, nullptr);
        return;
    }
    buildWidgets();
    m_detector = std::make_unique<KestrumDetectorThread>();
    connect(m_detector.get(), &KestrumDetectorThread::overlayGenerated, this, &MetaKestrumDevice::showDetection,
            Qt::QueuedConnection);
    if (m_camera)
        connect(m_camera, &PanelCameraView::fetchFrame, this, &MetaKestrumDevice::takeFrame, Qt::QueuedConnection);
    connectWidgets();
    refresh();
}

MetaKestrumDevice::~MetaKestrumDevice()
{
    releaseApparatus();
    delete m_manualControl;
    if (m_virtualChamber)
        countVirtualChamberPanel(-1);
}

void MetaKestrumDevice::installAsModelPanels()
{
    KestrumModel::setPanelFactory([](KestrumBaseDevice* device) {
        // A camera view takes its camera as soon as it is made.
        if (device->serialNumber().isEmpty())
            return new MetaKestrumDevice(device);
        const bool virtualChamber = qobject_cast<VirtualKestrumDevice*>(device) != nullptr;
        const QString chosen = MetaKestrumInfo(infoPath(device->serialNumber())).getCameraPath();
        return new MetaKestrumDevice(
            device, new VideoCameraView(chosen.isEmpty() && virtualChamber ? VideoWidget::virtualClipName : chosen));
    });
}

// Title, camera, run buttons and the run's fields, top to bottom.
void MetaKestrumDevice::buildWidgets()
{
    m_widgets = std::make_unique<DevicePanelWidgets>(this);
    setContentsMargins(0, 0, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_widgets->titleRow());
    layOutCameraView(layout);
    layout->addWidget(m_widgets->buttonRow());
    layout->addWidget(m_widgets->fields());
}

// The camera chosen for the apparatus is kept for it.
void MetaKestrumDevice::layOutCameraView(QVBoxLayout* layout)
{
    auto* view = qobject_cast<VideoCameraView*>(m_camera);
    if (!view || !view->widget())
        return;
    VideoWidget* widget = view->widget();
    widget->setMinimumWidth(300);
    layout->addWidget(widget, 100);
    m_panelConnections << connect(widget, &VideoWidget::cameraSelected, m_info,
                                  [this](const QString&, const QString& id) { m_info->setCameraPath(id); });
    if (!widget->cameraDevice().isNull())
        m_info->setCameraPath(QString::fromUtf8(widget->cameraDevice().id()));
}

void MetaKestrumDevice::connectWidgets()
{
    m_panelConnections << connect(m_widgets->titleButton, &QPushButton::clicked, this,
                                  &MetaKestrumDevice::showManualControl);
    m_panelConnections << connect(m_info, &MetaKestrumInfo::changedTitle, this, &MetaKestrumDevice::showTitle);
    m_panelConnections << connect(m_widgets->rodentEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_experiment)
            m_experiment->setRodent(text);
    });
    m_panelConnections << connect(m_widgets->commentEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_experiment)
            m_experiment->setComment(text);
    });
    m_panelConnections << connect(
        m_widgets->startButton, &QPushButton::clicked, this, [this] { startExperiment(true); }, Qt::QueuedConnection);
    m_panelConnections << connect(
        m_widgets->stopButton, &QPushButton::clicked, this, [this] { startExperiment(false); }, Qt::QueuedConnection);
    m_panelConnections << connect(m_widgets->backgroundButton, &QPushButton::clicked, this,
                                  &MetaKestrumDevice::calibrateBackground, Qt::QueuedConnection);
    m_panelConnections << connect(m_device, &KestrumBaseDevice::doorChanged, this, &MetaKestrumDevice::showDoor,
                                  Qt::QueuedConnection);
    if (KestrumModel* model = KestrumModel::instance())
        m_modelConnections << connect(model, &KestrumModel::startledChanged, this, &MetaKestrumDevice::refresh);
    showTitle();
    showDoor();
}

void MetaKestrumDevice::showTitle()
{
    m_widgets->showTitle(m_info->getTitle(), m_serialNumber);
}

void MetaKestrumDevice::showDoor()
{
    m_widgets->doorLogo->setVisible(m_device && m_device->hasDoor());
}

void MetaKestrumDevice::refresh()
{
    if (!m_widgets)
        return;
    bool initialised = false;
    bool triggered = false;
    bool started = false;
    if (m_experiment)
        m_experiment->initTriggeredStarted(initialised, triggered, started);
    m_widgets->showRunState(initialised, triggered,
                            DevicePanelWidgets::readiness(m_experiment.get(), hasStartleSensor()));
}

// Only a sensor that reports this apparatus's serial number records its runs.
bool MetaKestrumDevice::hasStartleSensor() const
{
    const KestrumModel* model = KestrumModel::instance();
    return model && model->hasStartleSensorFor(m_serialNumber);
}

void MetaKestrumDevice::warnAboutStartleRun(const QString& text)
{
    AppHelper::warningMessage(text, tr("Startle sensor"));
}

// The copy that is replaced is first let go by the detector, so no frame is still using it.
void MetaKestrumDevice::setExperiment(BaseExperiment* chosen)
{
    m_experimentConnections.clear();
    // A new copy asks for its own background: until it has one the detector shows nothing, as
    // before the first calibration.
    if (m_detector) {
        m_detector->setExperiment(nullptr);
        m_detector->clearBackground();
    }
    m_experiment.reset(chosen ? chosen->createInstance() : nullptr);
    // What the detector sent before it let go of the old copy is still on its way here.
    m_detectionShown = false;
    if (m_camera) {
        m_camera->drawOverlay(QImage());
        m_camera->drawUnderlay(QImage());
    }
    BaseExperiment* copy = m_experiment.get();
    if (!copy) {
        refresh();
        return;
    }
    handDeviceControlBack();
    // A copy runs on its template's clock, as every run of the paradigm does.
    copy->setClock(chosen->clock());
    copy->setDevice(m_device);
    m_experimentConnections << connect(copy, &BaseExperiment::startVideoRecord, this,
                                       &MetaKestrumDevice::startVideoRecording);
    m_experimentConnections << connect(copy, &BaseExperiment::stopVideoRecord, this,
                                       &MetaKestrumDevice::stopVideoRecording);
    if (m_camera) {
        m_experimentConnections << connect(m_camera, &PanelCameraView::recordingStarted, copy,
                                           &BaseExperiment::noteVideoStart);
        m_experimentConnections << connect(m_camera, &PanelCameraView::recordingFailed, copy,
                                           &BaseExperiment::failVideo, Qt::DirectConnection);
    }
    // Both come from the detector thread at the run's start moment and are handled there.
    m_experimentConnections << connect(
        copy, &BaseExperiment::recordStarted, this,
        [this, copy](const QString& runFolder) { openRunRecords(copy, runFolder); }, Qt::DirectConnection);
    m_experimentConnections << connect(
        copy, &BaseExperiment::changedExperimentInitTriggeredStarted, this,
        [this, copy] {
            if (copy->usesStartleSensor() && KestrumModel::instance())
                KestrumModel::instance()->calibrateStartleSensors(m_serialNumber);
        },
        Qt::DirectConnection);
    connectScenario(chosen, copy);
    connectPanelTexts(copy);
    if (m_detector)
        m_detector->setExperiment(copy);
    refresh();
}

// The run's texts and states come from the experiment's thread or the detector's.
void MetaKestrumDevice::connectPanelTexts(BaseExperiment* copy)
{
    if (!m_widgets)
        return;
    m_widgets->showStatus(tr("Проинициализируйте фон"));
    // The old copy's last texts went with it, the one that empties the cycles too.
    m_widgets->showCycles(QString());
    copy->setRodent(m_widgets->rodentEdit->text());
    copy->setComment(m_widgets->commentEdit->text());
    // The copy's own texts travel as its events, so that those still on their way when it is
    // replaced go with it: the stop the model makes before another paradigm's copy comes would
    // otherwise call a run finished that never took place.
    m_experimentConnections << connect(
        copy, &BaseExperiment::timeTextChanged, copy, [this](const QString& text) { m_widgets->showStatus(text); },
        Qt::QueuedConnection);
    m_experimentConnections << connect(
        copy, &BaseExperiment::cyclesTextChanged, copy, [this](const QString& text) { m_widgets->showCycles(text); },
        Qt::QueuedConnection);
    for (auto changed : {&BaseExperiment::changedExperimentInitTriggeredStarted, &BaseExperiment::stopVideoRecord})
        m_experimentConnections << connect(copy, changed, this, &MetaKestrumDevice::refresh, Qt::QueuedConnection);
    m_experimentConnections << connect(copy, &BaseExperiment::startVideoRecord, this, &MetaKestrumDevice::refresh,
                                       Qt::QueuedConnection);
    // Queued as the run's texts are, so that it comes after the stop's own status text.
    m_experimentConnections << connect(copy, &BaseExperiment::runFailed, this, &MetaKestrumDevice::showRunFailure,
                                       Qt::QueuedConnection);
}

void MetaKestrumDevice::connectScenario(BaseExperiment* chosen, BaseExperiment* copy)
{
    auto* chosenScenario = qobject_cast<BaseScenarioExperiment*>(chosen);
    auto* copyScenario = qobject_cast<BaseScenarioExperiment*>(copy);
    if (!chosenScenario || !copyScenario)
        return;
    copyScenario->loadScenario(chosenScenario->scenario());
    m_experimentConnections << connect(chosenScenario, &BaseScenarioExperiment::changedScenario, copyScenario,
                                       [this, chosenScenario, copyScenario] {
                                           copyScenario->loadScenario(chosenScenario->scenario());
                                           refresh();
                                       });
}

// Frames stop reaching the copy before the run is stopped, so nothing is switched on after
// the last "off"; the detector is stopped last, and the device is not touched any more.
// The connections go first: the model deletes the device in the apparatus thread right after.
void MetaKestrumDevice::releaseApparatus()
{
    m_panelConnections.clear();
    m_modelConnections.clear();
    closeManualControl();
    if (m_detector)
        m_detector->setExperiment(nullptr);
    startExperiment(false);
    if (m_detector) {
        m_detector->stop();
        m_detector->wait();
    }
    if (m_experiment)
        m_experiment->setDevice(nullptr);
    m_device = nullptr;
}

void MetaKestrumDevice::startExperiment(bool start)
{
    if (m_device)
        m_device->allOff();
    if (!start) {
        if (m_experiment)
            m_experiment->stop();
        return;
    }
    if (!m_device || !m_experiment || !m_detector)
        return;
    if (m_experiment->usesStartleSensor() && !hasStartleSensor()) {
        warnAboutStartleRun(tr("The startle run on apparatus %1 is not started: no startle sensor of this apparatus is "
                               "connected, so its reactions would not be recorded.")
                                .arg(m_serialNumber));
        return;
    }
    const QSize video = m_camera ? m_camera->frameSize() : QSize();
    if (video.isValid())
        m_experiment->setVideoFrameSize(video.width(), video.height());
    const QSize recognition = m_detector->recognitionFrameSize();
    m_experiment->setRecognitionFrameSize(recognition.width(), recognition.height());
    m_experiment->start(true);
}

void MetaKestrumDevice::calibrateBackground()
{
    if (!m_device || !m_detector)
        return;
    m_device->setDoorOpen(true);
    emit startingExperiment();
    const QVariantMap options{{QStringLiteral("caption"), tr("Калибровка фона")},
                              {QStringLiteral("yes"), tr("Калибровать")},
                              {QStringLiteral("maxWidth"), 300}};
    if (!ConfirmDialog::Ask(tr("Убедитесь, что грызун и посторонние предметы убраны из поля зрения камеры"), options)
        || !m_experiment)
        return;
    if (m_lastFrame.isNull()) {
        GlobalConsole::writeItem(QStringLiteral("The background of apparatus %1 cannot be calibrated: no camera frame "
                                                "has arrived")
                                     .arg(m_serialNumber.toHtmlEscaped()),
                                 QStringLiteral("Error"));
        return;
    }
    if (m_experiment->singleReferenceFrame())
        takeSingleReference();
    else
        takeReferencePair();
}

// The experiment may light the chamber for the reference; it sends nothing else meanwhile.
void MetaKestrumDevice::takeSingleReference()
{
    m_experiment->prepareBackgroundLight();
    m_calibrating = true;
    m_experiment->deviceControlEnabled = false;
    QTimer::singleShot(referenceDelayMs, this, [this] { setReferences(m_lastFrame, QImage()); });
}

// A dark frame with the light off, then a lit one.
void MetaKestrumDevice::takeReferencePair()
{
    m_device->lightOff();
    QTimer::singleShot(referenceDelayMs, this, [this] {
        if (!m_experiment)
            return;
        const QImage dark = m_lastFrame;
        m_experiment->prepareBackgroundLight();
        m_calibrating = true;
        m_experiment->deviceControlEnabled = false;
        QTimer::singleShot(litReferenceDelayMs, this, [this, dark] { setReferences(dark, m_lastFrame); });
    });
}

void MetaKestrumDevice::setReferences(const QImage& first, const QImage& second)
{
    if (!m_experiment)
        return;
    if (second.isNull()) {
        m_detector->setBackground(first);
        m_experiment->setBackground(first);
    } else {
        m_detector->setBackgroundPair(first, second);
        m_experiment->setBackgroundPair(first, second);
    }
    m_calibrating = false;
    m_detectionShown = true;
    handDeviceControlBack();
    m_widgets->showStatus(tr("Начните эксперимент"));
}

void MetaKestrumDevice::handDeviceControlBack()
{
    if (!m_experiment)
        return;
    m_experiment->deviceControlEnabled = !m_calibrating && !m_manualControl;
    m_experiment->setHeldByManualControl(!m_manualControl.isNull());
}

// The window may outlive the panel (the apparatus goes while it is open): nothing of the
// panel is touched after it, unless the panel is still there.
void MetaKestrumDevice::showManualControl()
{
    if (!m_device || m_serialNumber.isEmpty() || m_manualControl)
        return;
    m_manualControl = new ManualControlDialog(m_device, m_info, m_serialNumber);
    handDeviceControlBack();
    const QPointer<MetaKestrumDevice> panel(this);
    m_manualControl->exec();
    if (!panel)
        return;
    delete m_manualControl;
    handDeviceControlBack();
    showTitle();
    emit kestrumRenamed();
}

// Ending the window switches the grid off while the apparatus is still there.
void MetaKestrumDevice::closeManualControl()
{
    if (m_manualControl)
        m_manualControl->reject();
}

void MetaKestrumDevice::takeFrame(const QImage& frame)
{
    if (frame.isNull()) {
        qDebug() << "GOT EMPTY IMAGE";
        return;
    }
    m_lastFrame = frame;
    m_detector->setImage(frame);
    if (!m_experiment)
        return;
    QImage underlay;
    m_experiment->drawOverlay(underlay, frame.size());
    m_camera->drawUnderlay(underlay);
}

void MetaKestrumDevice::showDetection(const QImage& overlay)
{
    if (m_camera && m_detectionShown)
        m_camera->drawOverlay(overlay);
}

// The request travels from the detector thread; a run stopped meanwhile records nothing.
void MetaKestrumDevice::startVideoRecording(const QString& path)
{
    if (!m_experiment || !m_experiment->isRunning())
        return;
    if (!m_camera) {
        GlobalConsole::writeItem(QStringLiteral("Apparatus %1 has no camera view: %2 is not recorded")
                                     .arg(m_serialNumber.toHtmlEscaped(), path.toHtmlEscaped()),
                                 QStringLiteral("Error"));
        return;
    }
    m_camera->startRecord(path, recordingQuality());
}

void MetaKestrumDevice::stopVideoRecording()
{
    qDebug() << QDateTime::currentDateTime() << "STOP REC";
    if (m_camera)
        m_camera->stopRecord();
    if (m_experiment && m_experiment->usesStartleSensor() && KestrumModel::instance())
        KestrumModel::instance()->closeStartleRecords(m_serialNumber);
}

// A run that could not begin leaves the panel ready for the next start.
void MetaKestrumDevice::showRunFailure(const QString& path, const QString& reason, bool started)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    if (started) {
        m_widgets->showStatus(tr("Stopped: the run's files cannot be written"));
        AppHelper::warningMessage(tr("The run was stopped: %1 cannot be written (%2).").arg(shownPath, reason),
                                  tr("Run stopped"));
    } else {
        m_widgets->showStatus(tr("Начните эксперимент"));
        AppHelper::warningMessage(
            tr("The run was not started: its folder %1 cannot be created (%2).").arg(shownPath, reason),
            tr("Run not started"));
    }
}

// The run's own copy of its settings, and the startle samples of a startle run.
void MetaKestrumDevice::openRunRecords(BaseExperiment* copy, const QString& runFolder)
{
    if (!copy->saveAs(runFolder + QStringLiteral("Settings.xml")))
        GlobalConsole::writeItem(
            QStringLiteral("The settings of the run %1 could not be saved").arg(runFolder.toHtmlEscaped()),
            QStringLiteral("Error"));
    qDebug() << "RECORD START" << copy->usesStartleSensor();
    if (!copy->usesStartleSensor())
        return;
    const QString samples = runFolder + QStringLiteral("Startle.csv");
    KestrumModel* model = KestrumModel::instance();
    if (model && model->openStartleRecords(m_serialNumber, samples))
        return;
    // Without its samples the run has nothing to analyse: it ends at once.
    copy->stop();
    QMetaObject::invokeMethod(
        this,
        [this, samples] {
            warnAboutStartleRun(tr("The startle run on apparatus %1 is stopped: the startle sensor could not record "
                                   "into %2.")
                                    .arg(m_serialNumber, QDir::toNativeSeparators(samples)));
        },
        Qt::QueuedConnection);
}
