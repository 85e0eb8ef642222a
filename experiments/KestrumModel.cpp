#include "KestrumModel.h"

#include "AppHelper.h"
#include "ApparatusPanel.h"
#include "ApparatusThread.h"
#include "ConfirmDialog.h"
#include "CurlyKestrum.h"
#include "CurlyMessageParser.h"
#include "Experiment_ActiveAvoidance.h"
#include "Experiment_ConflictTest.h"
#include "Experiment_Lightbox.h"
#include "Experiment_PlacePreference.h"
#include "Experiment_StartleReflex.h"
#include "Experiment_StepDown.h"
#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "KestrumConstants.h"
#include "KestrumDetectorThread.h"
#include "KestrumDevice.h"
#include "KestrumDoor.h"
#include "KestrumFolderSettings.h"
#include "KestrumSettings.h"
#include "LanguageContext.h"
#include "RecognitionSettings.h"
#include "SerialPortManager.h"
#include "SerialPortOverseer.h"
#include "StartleSensor.h"
#include "StimulationSettings.h"
#include "StyleHelper.h"
#include "VirtualKestrumDevice.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QMetaEnum>
#include <QSerialPort>

#include <algorithm>

namespace {

constexpr int scanPeriodMs = 3000;
constexpr int doorProbeMs = 2000;
constexpr int startleProbeMs = 3300;
const QByteArray classicAnswer = QByteArray::fromHex("7B0D9002");

KestrumModel::PanelFactory& panelFactory()
{
    static KestrumModel::PanelFactory factory;
    return factory;
}

QString& pointerFilePath()
{
    static QString path;
    return path;
}

// Settings that name no language (none written yet) left the interface in the system's
// language: they take that one, so the Settings page shows it and the next start keeps it.
void takeLanguageInForce(KestrumSettings* settings)
{
    bool known = false;
    const int inForce = QMetaEnum::fromType<KestrumSettings::KestrumLanguage>().keyToValue(
        LanguageContext::currentLanguage().toLatin1().constData(), &known);
    if (known)
        settings->setLanguage(KestrumSettings::KestrumLanguage(inForce));
}

bool isRunning(const BaseExperiment* experiment)
{
    return experiment->isTriggered() || experiment->isRunning();
}

// The panel's run, if one goes, is about to end for this cause.
void noteRunEnd(const ApparatusPanel* panel, BaseExperiment::RunEnd cause)
{
    if (BaseExperiment* run = panel->experiment())
        run->noteRunEnd(cause);
}

} // namespace

KestrumModel* KestrumModel::s_instance = nullptr;

KestrumModel::KestrumModel(const QString& baseFolder, QObject* parent)
    : QObject(parent)
    , m_baseFolder(FileUtilities::FolderSlash(baseFolder))
    , m_settingsPath(settingsPathIn(m_baseFolder))
    , m_devicesFolder(m_baseFolder + QStringLiteral("Devices/"))
    , m_templateConnections(QStringLiteral("KestrumModel template"))
{
    if (!FileUtilities::createIfNotExists(m_baseFolder))
        GlobalConsole::writeItem(
            QStringLiteral("The data folder %1 cannot be created").arg(m_baseFolder.toHtmlEscaped()),
            QStringLiteral("Error"));
    s_instance = this;
    setupDeviceProbing(true);
}

// Panels first, so no run and no detector is left to reach a device that is going.
KestrumModel::~KestrumModel()
{
    m_templateConnections.clear();
    if (m_overseer)
        m_overseer->stop();
    for (ApparatusPanel* panel : std::exchange(m_panels, {})) {
        releasePanel(panel);
        delete panel;
    }
    for (BaseDevice* device : std::exchange(m_registered, {})) {
        device->shutdown();
        dropLater(device);
    }
    m_devices.clear();
    dropBoards();
    if (s_instance == this)
        s_instance = nullptr;
}

KestrumModel* KestrumModel::instance()
{
    return s_instance;
}

void KestrumModel::setPanelFactory(PanelFactory factory)
{
    panelFactory() = std::move(factory);
}

void KestrumModel::setFolderSettingsPath(const QString& path)
{
    pointerFilePath() = path;
}

QString KestrumModel::folderSettingsPath()
{
    return pointerFilePath();
}

QString KestrumModel::settingsPathIn(const QString& baseFolder)
{
    return FileUtilities::FolderSlash(baseFolder) + QStringLiteral("ExperimentSettings.xml");
}

void KestrumModel::init()
{
    LanguageContext::setLanguage(LanguageContext::AutoDetectLanguage(m_settingsPath));
    m_stimulationSettings = new StimulationSettings(m_baseFolder + QStringLiteral("ManualStimulation.xml"), this);
    m_stimulationSettings->reload();
    createExperiments();
    loadSettings();
    StyleHelper::InterlinkTheme(m_settings, QStringLiteral("ColorTheme"));
    connect(m_settings, &KestrumSettings::changedDebugKestrumDevice, this, &KestrumModel::switchVirtualDevice);
    switchVirtualDevice(m_settings->getDebugKestrumDevice());
}

void KestrumModel::createExperiments()
{
    m_experiments = {
        new Experiment_Lightbox(m_baseFolder, this),        new Experiment_StepDown(m_baseFolder, this),
        new Experiment_ActiveAvoidance(m_baseFolder, this), new Experiment_PlacePreference(m_baseFolder, this),
        new Experiment_ConflictTest(m_baseFolder, this),    new Experiment_StartleReflex(m_baseFolder, this)};
    for (BaseExperiment* experiment : std::as_const(m_experiments)) {
        experiment->initSettingsFile(false);
        m_typeKeys << experiment->typeKey();
        m_iconPaths << experiment->iconPath();
    }
}

void KestrumModel::loadSettings()
{
    const bool languageNamed = !LanguageContext::languageNamedIn(m_settingsPath).isEmpty();
    m_settings = new KestrumSettings(m_settingsPath, this);
    m_settings->reload();
    if (!languageNamed)
        takeLanguageInForce(m_settings);
    m_settings->setBaseFolder(m_baseFolder);
    selectExperimentType(m_settings->getLastScriptType());
    connect(m_settings, &KestrumFolderSettings::changedBaseFolder, this, &KestrumModel::changeBaseFolder);
    m_recognitionSettings = new RecognitionSettings(m_baseFolder + QStringLiteral("RecognitionSettings.xml"), this);
    m_recognitionSettings->reload();
    for (const auto changed : {&KestrumSettings::changedDetectorSensitivity, &KestrumSettings::changedDiffErode,
                               &KestrumSettings::changedDiffDilate, &KestrumSettings::changedDiffMinArea,
                               &KestrumSettings::changedMaxBrightness})
        connect(m_settings, changed, this, &KestrumModel::updateDetectionParameters);
    connect(m_settings, &KestrumSettings::changedDiffMode, this, &KestrumModel::updateDetectionParameters);
    updateDetectionParameters();
}

BaseExperiment* KestrumModel::currentExperiment()
{
    if (!m_currentExperiment && !m_experiments.isEmpty())
        m_currentExperiment = m_experiments.first();
    return m_currentExperiment;
}

QString KestrumModel::currentScriptType() const
{
    return m_settings ? m_settings->getLastScriptType() : QString();
}

QList<StartleSensor*> KestrumModel::startleSensors() const
{
    std::lock_guard<std::mutex> lock(m_sensorMutex);
    QList<StartleSensor*> sensors;
    for (const PairedSensor& paired : m_startleSensors)
        sensors << paired.sensor;
    return sensors;
}

void KestrumModel::selectExperimentType(const QString& typeKey)
{
    for (StartleSensor* sensor : startleSensors())
        sensor->closeRecordFile();
    m_templateConnections.clear();
    if (m_settings && m_settings->getLastScriptType() != typeKey)
        m_settings->setLastScriptType(typeKey);
    const auto found = std::find_if(m_experiments.cbegin(), m_experiments.cend(),
                                    [&](const BaseExperiment* experiment) { return experiment->typeKey() == typeKey; });
    for (ApparatusPanel* panel : std::as_const(m_panels)) {
        noteRunEnd(panel, BaseExperiment::RunEnd::ParadigmChanged);
        panel->startExperiment(false);
    }
    if (found != m_experiments.cend()) {
        useTemplate(*found);
    } else if (!m_currentExperiment && !m_experiments.isEmpty()) {
        qDebug() << "SELECT EXTRA SCRIPT";
        useTemplate(m_experiments.first());
    }
    emit changedCurrentScriptType(typeKey);
}

void KestrumModel::useTemplate(BaseExperiment* chosen)
{
    m_currentExperiment = chosen;
    m_templateConnections << connect(chosen, &AbstractSettings::propertyChanged, this,
                                     &KestrumModel::propagateProperty);
    m_templateConnections << connect(chosen, &BaseExperiment::stopVideoRecord, this, &KestrumModel::refreshPanels);
    refreshPanels();
    emit currentScriptChanged();
}

void KestrumModel::refreshPanels()
{
    for (ApparatusPanel* panel : std::as_const(m_panels)) {
        if (!panel->experiment() || !isRunning(panel->experiment()))
            giveCopy(panel);
    }
}

// A copy's run ends with its own stop; the template's stop never comes, as the template never runs.
void KestrumModel::giveCopy(ApparatusPanel* panel)
{
    panel->setExperiment(m_currentExperiment);
    if (BaseExperiment* copy = panel->experiment())
        connect(copy, &BaseExperiment::stopVideoRecord, this, [this, copy] { takeTemplateSettings(copy); });
}

void KestrumModel::takeTemplateSettings(BaseExperiment* copy)
{
    if (!m_currentExperiment || isRunning(copy) || copy->typeKey() != m_currentExperiment->typeKey())
        return;
    for (const QString& name : m_currentExperiment->getPropertiesNames())
        copy->setValue(name, m_currentExperiment->getValue(name));
}

// A running copy keeps the settings it started with, but for the grid current, which the
// experimenter may have to turn down at once.
void KestrumModel::propagateProperty(const QString& name)
{
    const bool always = name.compare(QLatin1String("Circuit"), Qt::CaseInsensitive) == 0;
    for (ApparatusPanel* panel : std::as_const(m_panels)) {
        BaseExperiment* copy = panel->experiment();
        if (!copy)
            giveCopy(panel);
        else if (always || !isRunning(copy))
            copy->setValue(name, m_currentExperiment->getValue(name));
    }
}

void KestrumModel::setupDeviceProbing(bool on)
{
    if (!on) {
        if (m_overseer)
            m_overseer->stop();
        return;
    }
    if (!m_overseer) {
        m_overseer = new SerialPortOverseer(this);
        registerProbeTypes();
        connect(m_overseer, &SerialPortOverseer::deviceFound, this, &KestrumModel::onPortFound);
    }
    m_overseer->start(scanPeriodMs);
    // Probing again after disconnectAll brings back the virtual chamber it let go, too.
    if (m_settings)
        switchVirtualDevice(m_settings->getDebugKestrumDevice());
}

void KestrumModel::registerProbeTypes()
{
    using namespace KestrumConstants;
    m_overseer->registerDeviceType(CurlyKestrumTypeName, CurlyIdentificationRequest, CurlyKestrumAnswer, 115200,
                                   QSerialPort::NoParity, QSerialPort::OneStop);
    m_overseer->registerDeviceType(ClassicKestrumTypeName, KestrumDevice::serialNumberRequest(), classicAnswer, 57600,
                                   QSerialPort::EvenParity, QSerialPort::OneStop);
    m_overseer
        ->registerDeviceType(DoorTypeName, CurlyIdentificationRequest, DoorAnswer, 115200, QSerialPort::NoParity,
                             QSerialPort::OneStop)
        ->probeTimeMs = doorProbeMs;
    m_overseer
        ->registerDeviceType(StartleTypeName, StartleIdentificationRequest, StartleAnswer, 19200, QSerialPort::NoParity,
                             QSerialPort::OneStop)
        ->probeTimeMs = startleProbeMs;
    m_overseer->registerProbeOnlyType(QStringLiteral("Grid"), QByteArrayLiteral("{gridnode}"),
                                      QByteArrayLiteral("{iamgridnode}"), 500000, QSerialPort::NoParity,
                                      QSerialPort::OneStop);
    m_overseer->registerProbeOnlyType(QStringLiteral("Rotarod"), CurlyIdentificationRequest,
                                      QByteArrayLiteral("{iamrotarod}"), 115200, QSerialPort::NoParity,
                                      QSerialPort::OneStop);
    m_overseer->registerProbeOnlyType(QStringLiteral("OldRotarod"), CurlyMessageParser::frameMessage("\xF2"),
                                      QByteArrayLiteral("RotaRod"), 115200, QSerialPort::NoParity,
                                      QSerialPort::OneStop);
}

// A port the manager cannot lend to the type makes no device.
void KestrumModel::onPortFound(const QString& type, const QString& portName)
{
    using namespace KestrumConstants;
    QSerialPort* port = SerialPortManager::instance()->openPort(portName, type);
    if (!port) {
        qDebug() << "SPO > PORT NOT RESERVED" << portName << "FOR" << type;
        return;
    }
    if (type == CurlyKestrumTypeName || type == ClassicKestrumTypeName) {
        KestrumBaseDevice* chamber = type == CurlyKestrumTypeName
                                         ? static_cast<KestrumBaseDevice*>(new CurlyKestrum(port))
                                         : new KestrumDevice(port);
        if (ApparatusThread::adopt(chamber))
            registerDevice(chamber);
        else
            delete chamber;
    } else if (type == DoorTypeName) {
        addDoor(new KestrumDoor(port));
    } else if (type == StartleTypeName) {
        addStartleSensor(new StartleSensor(port));
    }
}

void KestrumModel::addDoor(KestrumDoor* door)
{
    if (!ApparatusThread::adopt(door)) {
        delete door;
        return;
    }
    connect(
        door, &CurlyDevice::onDisconnected, this, [this, door] { forgetDoor(door); }, Qt::QueuedConnection);
    connect(
        door, &CurlyDevice::gotSerialNumber, this,
        [this, door](const QString& serialNumber) {
            if (!m_doors.contains(door))
                return;
            qDebug() << "DOOR SN" << serialNumber;
            m_doorSerials.insert(door, serialNumber);
            pairDoors();
        },
        Qt::QueuedConnection);
    m_doors << door;
    ApparatusThread::runAndWait([door] { door->openPort(); });
    pairDoors();
}

void KestrumModel::forgetDoor(KestrumDoor* door)
{
    if (!m_doors.removeOne(door))
        return;
    m_doorSerials.remove(door);
    detachDoors();
    dropLater(door);
    pairDoors();
}

void KestrumModel::detachDoors()
{
    for (KestrumBaseDevice* device : std::as_const(m_devices)) {
        if (auto* chamber = qobject_cast<KestrumDevice*>(device))
            chamber->setDoor(nullptr);
    }
}

void KestrumModel::pairDoors()
{
    for (KestrumBaseDevice* device : std::as_const(m_devices)) {
        auto* chamber = qobject_cast<KestrumDevice*>(device);
        const QString serialNumber = device->serialNumber();
        const auto door = std::find_if(m_doors.cbegin(), m_doors.cend(), [&](KestrumDoor* candidate) {
            return m_doorSerials.value(candidate) == serialNumber;
        });
        if (chamber && door != m_doors.cend())
            chamber->setDoor(*door);
    }
}

void KestrumModel::addStartleSensor(StartleSensor* sensor)
{
    if (!ApparatusThread::adopt(sensor)) {
        delete sensor;
        return;
    }
    connect(
        sensor, &CurlyDevice::onDisconnected, this, [this, sensor] { forgetStartleSensor(sensor); },
        Qt::QueuedConnection);
    connect(
        sensor, &CurlyDevice::gotSerialNumber, this,
        [this, sensor](const QString& serialNumber) { setStartleSerial(sensor, serialNumber); }, Qt::QueuedConnection);
    {
        std::lock_guard<std::mutex> lock(m_sensorMutex);
        m_startleSensors.append({sensor, QString()});
    }
    ApparatusThread::runAndWait([sensor] { sensor->openPort(); });
    emit startleFound();
    emit startledChanged();
}

void KestrumModel::forgetStartleSensor(StartleSensor* sensor)
{
    {
        std::lock_guard<std::mutex> lock(m_sensorMutex);
        if (m_startleSensors.removeIf([sensor](const PairedSensor& paired) { return paired.sensor == sensor; }) == 0)
            return;
    }
    dropLater(sensor);
    emit startledChanged();
}

// The number pairs the sensor with its apparatus, so a new one changes what the panels see.
void KestrumModel::setStartleSerial(StartleSensor* sensor, const QString& serialNumber)
{
    {
        std::lock_guard<std::mutex> lock(m_sensorMutex);
        const auto paired = std::find_if(m_startleSensors.begin(), m_startleSensors.end(),
                                         [sensor](const PairedSensor& each) { return each.sensor == sensor; });
        if (paired == m_startleSensors.end())
            return;
        paired->serialNumber = serialNumber;
    }
    emit startledChanged();
}

int KestrumModel::forEachStartleSensorOf(const QString& apparatusSerial,
                                         const std::function<void(StartleSensor*)>& operation) const
{
    std::lock_guard<std::mutex> lock(m_sensorMutex);
    int count = 0;
    for (const PairedSensor& paired : std::as_const(m_startleSensors)) {
        if (apparatusSerial.isEmpty() || paired.serialNumber != apparatusSerial)
            continue;
        operation(paired.sensor);
        ++count;
    }
    return count;
}

bool KestrumModel::hasStartleSensorFor(const QString& apparatusSerial) const
{
    return forEachStartleSensorOf(apparatusSerial, [](StartleSensor*) {}) > 0;
}

void KestrumModel::calibrateStartleSensors(const QString& apparatusSerial)
{
    forEachStartleSensorOf(apparatusSerial, [](StartleSensor* sensor) { sensor->calibrate(); });
}

bool KestrumModel::openStartleRecords(const QString& apparatusSerial, const QString& path)
{
    bool recording = false;
    const int sensors = forEachStartleSensorOf(apparatusSerial, [&](StartleSensor* sensor) {
        sensor->calibrate();
        recording = sensor->openRecordFile(path) || recording;
    });
    if (sensors == 0)
        GlobalConsole::writeItem(
            QStringLiteral("No startle sensor belongs to the apparatus %1: %2 is not recorded")
                .arg(apparatusSerial.toHtmlEscaped(), QDir::toNativeSeparators(path).toHtmlEscaped()),
            QStringLiteral("Error"));
    return recording;
}

void KestrumModel::closeStartleRecords(const QString& apparatusSerial)
{
    forEachStartleSensorOf(apparatusSerial, [](StartleSensor* sensor) { sensor->closeRecordFile(); });
}

void KestrumModel::registerDevice(BaseDevice* device)
{
    if (!device || m_registered.contains(device))
        return;
    m_registered << device;
    connect(
        device, &BaseDevice::serialNumberFetched, this,
        [this, device] {
            if (m_registered.contains(device))
                createMetaDevice(qobject_cast<KestrumBaseDevice*>(device));
        },
        Qt::QueuedConnection);
    connect(
        device, &BaseDevice::disconnected, this, [this, device] { onDeviceDisconnected(device); },
        Qt::QueuedConnection);
    if (!device->serialNumber().isEmpty()) {
        qDebug() << "Already SN" << device->serialNumber();
        createMetaDevice(qobject_cast<KestrumBaseDevice*>(device));
    }
    device->start();
}

void KestrumModel::createMetaDevice(KestrumBaseDevice* device)
{
    if (!device || m_devices.contains(device))
        return;
    const QString serialNumber = device->serialNumber();
    if (std::any_of(m_devices.cbegin(), m_devices.cend(),
                    [&](const KestrumBaseDevice* known) { return known->serialNumber() == serialNumber; })) {
        qDebug() << "GOT SAME SN!" << serialNumber;
        return;
    }
    m_devices << device;
    if (ApparatusPanel* panel = panelFactory() ? panelFactory()(device) : nullptr) {
        giveCopy(panel);
        connect(panel, &ApparatusPanel::kestrumRenamed, this, &KestrumModel::kestrumRenamed);
        m_panels << panel;
    }
    emit kestrumAdded(serialNumber);
    if (qobject_cast<KestrumDevice*>(device))
        pairDoors();
}

ApparatusPanel* KestrumModel::panelOf(const BaseDevice* device) const
{
    const auto panel = std::find_if(m_panels.cbegin(), m_panels.cend(),
                                    [device](const ApparatusPanel* each) { return each->device() == device; });
    return panel == m_panels.cend() ? nullptr : *panel;
}

void KestrumModel::releasePanel(ApparatusPanel* panel)
{
    disconnect(panel, nullptr, this, nullptr);
    panel->releaseApparatus();
}

// Nothing may reach the device once it is disposed of: its run is stopped with the grid off and
// its detector stopped before that, and the device is deleted last.
void KestrumModel::onDeviceDisconnected(BaseDevice* device)
{
    if (!m_registered.contains(device))
        return;
    const QString serialNumber = device->serialNumber();
    const bool curly = qobject_cast<CurlyKestrum*>(device) != nullptr;
    qDebug() << "Kestrum disconnected" << serialNumber << (curly ? device->portName() : QStringLiteral("old"));
    ApparatusPanel* panel = panelOf(device);
    if (panel) {
        qDebug() << "Remove kestrum widget";
        noteRunEnd(panel, BaseExperiment::RunEnd::ApparatusLost);
        m_panels.removeOne(panel);
        releasePanel(panel);
    }
    const bool accepted = m_devices.removeOne(static_cast<KestrumBaseDevice*>(device));
    disposeOf(device);
    if (panel)
        panel->deleteLater();
    if (accepted)
        emit kestrumRemoved(serialNumber);
    dropLater(device);
}

// What lives in the apparatus thread is let go there and deleted later there: its signals stop
// reaching the model first, so nothing of the model reaches it while it goes.
void KestrumModel::dropLater(QObject* object)
{
    ApparatusThread::runAndWait([this, object] {
        disconnect(object, nullptr, this, nullptr);
        object->deleteLater();
    });
}

void KestrumModel::disposeOf(BaseDevice* device)
{
    m_registered.removeOne(device);
    if (auto* chamber = qobject_cast<KestrumBaseDevice*>(device))
        chamber->dispose();
    if (device == m_virtualDevice)
        m_virtualDevice = nullptr;
}

void KestrumModel::switchVirtualDevice(bool on)
{
    if (!on) {
        if (m_virtualDevice)
            m_virtualDevice->disconnectVirtual();
        return;
    }
    if (m_virtualDevice)
        return;
    auto* device = new VirtualKestrumDevice();
    if (!ApparatusThread::adopt(device)) {
        delete device;
        return;
    }
    m_virtualDevice = device;
    registerDevice(device);
}

void KestrumModel::changeBaseFolder(const QString& folder)
{
    KestrumFolderSettings pointer(folderSettingsPath());
    pointer.setAutoSave(true);
    pointer.reload();
    pointer.setBaseFolder(folder);
    if (folderSettingsPath().isEmpty())
        GlobalConsole::writeItem(
            QStringLiteral("The new data folder %1 cannot be remembered: there is no folder pointer file")
                .arg(folder.toHtmlEscaped()),
            QStringLiteral("Error"));
    m_settings->save();
    const QString caption = QCoreApplication::translate("Generic", "New base folder");
    const QString question = QCoreApplication::translate(
        "Generic", "Для смены папки необходим перезапуск программы.\nВыполнить перезапуск сейчас?");
    if (!ConfirmDialog::Ask(question, {{QStringLiteral("caption"), caption}}))
        return;
    // A run under way ends as a stop ends it: grid off, record and video finished.
    stopEveryRun();
    AppHelper::restart();
    if (m_mainWindow)
        QMetaObject::invokeMethod(m_mainWindow, &QWidget::close, Qt::QueuedConnection);
}

void KestrumModel::stopEveryRun()
{
    for (ApparatusPanel* panel : std::as_const(m_panels))
        panel->startExperiment(false);
}

void KestrumModel::updateDetectionParameters()
{
    KestrumDetectorThread::applyDetectionSettings(*m_settings);
}

void KestrumModel::closeAllDevices()
{
    for (KestrumBaseDevice* device : std::exchange(m_devices, {}))
        device->shutdown();
}

bool KestrumModel::anyRunGoingOn() const
{
    return std::any_of(m_panels.cbegin(), m_panels.cend(), [](const ApparatusPanel* panel) {
        return panel->experiment() && isRunning(panel->experiment());
    });
}

void KestrumModel::disconnectAll()
{
    if (m_overseer)
        m_overseer->stop();
    for (ApparatusPanel* panel : std::exchange(m_panels, {})) {
        noteRunEnd(panel, BaseExperiment::RunEnd::ServiceDialog);
        releasePanel(panel);
        panel->deleteLater();
    }
    m_devices.clear();
    for (BaseDevice* device : QList<BaseDevice*>(m_registered)) {
        disposeOf(device);
        dropLater(device);
    }
    dropBoards();
}

// Door units and startle sensors close their ports in their own thread and are deleted there.
void KestrumModel::dropBoards()
{
    QList<CurlyDevice*> boards;
    for (KestrumDoor* door : std::exchange(m_doors, {}))
        boards << door;
    {
        std::lock_guard<std::mutex> lock(m_sensorMutex);
        for (const PairedSensor& paired : std::exchange(m_startleSensors, {}))
            boards << paired.sensor;
    }
    m_doorSerials.clear();
    for (CurlyDevice* board : std::as_const(boards)) {
        ApparatusThread::runAndWait([board] { board->closePort(); });
        dropLater(board);
    }
}
