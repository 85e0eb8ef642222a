#pragma once

#include "ConnectionHelper.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <mutex>

class ApparatusPanel;
class BaseDevice;
class BaseExperiment;
class CurlyDevice;
class KestrumBaseDevice;
class KestrumDoor;
class KestrumSettings;
class RecognitionSettings;
class SerialPortOverseer;
class StartleSensor;
class StimulationSettings;
class VirtualKestrumDevice;

// The process-wide application model: the base folder and the settings in it, one template per
// paradigm, and the apparatuses found on the serial ports with their door units and startle
// sensors. Each apparatus gets a panel (made by the factory the user interface installs) that
// runs a copy of the selected paradigm.
//
// Threads: the model lives in the user-interface thread. Every device it builds is adopted by
// the apparatus thread at once and reaches the model through queued signals; it is dropped with
// deleteLater there. The startle-sensor operations of the panels may come from a detector
// thread: the sensor list is guarded for them.
class KestrumModel : public QObject
{
    Q_OBJECT

public:
    using PanelFactory = std::function<ApparatusPanel*(KestrumBaseDevice* device)>;

    explicit KestrumModel(const QString& baseFolder, QObject* parent = nullptr);
    ~KestrumModel() override;

    static KestrumModel* instance();
    // Installed by the user interface at start-up; without one an apparatus gets no panel.
    static void setPanelFactory(PanelFactory factory);
    // The folder pointer file (KestrumFolder.xml) that changeBaseFolder rewrites.
    static void setFolderSettingsPath(const QString& path);
    static QString folderSettingsPath();
    // The application settings file of a data folder.
    static QString settingsPathIn(const QString& baseFolder);

    // Language, settings files and paradigms, in this order; once, after construction.
    void init();

    KestrumSettings* settings() const { return m_settings; }
    StimulationSettings* stimulationSettings() const { return m_stimulationSettings; }
    RecognitionSettings* recognitionSettings() const { return m_recognitionSettings; }
    QString baseFolder() const { return m_baseFolder; }
    QString devicesFolder() const { return m_devicesFolder; }
    // The selected template; the first one, made current, when none was selected.
    BaseExperiment* currentExperiment();
    QString currentScriptType() const;
    QList<BaseExperiment*> experiments() const { return m_experiments; }
    QStringList experimentTypeKeys() const { return m_typeKeys; }
    QStringList experimentIconPaths() const { return m_iconPaths; }
    QList<ApparatusPanel*> metaDevices() const { return m_panels; }
    QList<StartleSensor*> startleSensors() const;
    void setMainWindow(QWidget* window) { m_mainWindow = window; }

    // The startle sensors that belong to the apparatus with this serial number (the sensor
    // reports the same number). Callable from any thread; the sensors run them in their own.
    bool hasStartleSensorFor(const QString& apparatusSerial) const;
    void calibrateStartleSensors(const QString& apparatusSerial);
    // True when a sensor records into the file; a run without one is named on the console.
    bool openStartleRecords(const QString& apparatusSerial, const QString& path);
    void closeStartleRecords(const QString& apparatusSerial);

public slots:
    void selectExperimentType(const QString& typeKey);
    void setupDeviceProbing(bool on);
    void onPortFound(const QString& type, const QString& portName);
    // The model takes the device over: it is deleted when it disconnects or with the model.
    void registerDevice(BaseDevice* device);
    void createMetaDevice(KestrumBaseDevice* device);
    void onDeviceDisconnected(BaseDevice* device);
    void changeBaseFolder(const QString& folder);
    void updateDetectionParameters();
    void closeAllDevices();
    void disconnectAll();
    // Whether a panel's run is triggered or goes on.
    bool anyRunGoingOn() const;

signals:
    void kestrumAdded(const QString& sn);
    void kestrumRemoved(const QString& sn);
    void kestrumRenamed();
    void changedCurrentScriptType(const QString& type);
    void currentScriptChanged();
    void startleFound();
    void startledChanged();

private:
    struct PairedSensor
    {
        StartleSensor* sensor = nullptr;
        QString serialNumber;
    };

    void createExperiments();
    void loadSettings();
    void registerProbeTypes();
    void addDoor(KestrumDoor* door);
    void addStartleSensor(StartleSensor* sensor);
    void forgetDoor(KestrumDoor* door);
    void forgetStartleSensor(StartleSensor* sensor);
    void setStartleSerial(StartleSensor* sensor, const QString& serialNumber);
    void pairDoors();
    void detachDoors();
    void switchVirtualDevice(bool on);
    void useTemplate(BaseExperiment* chosen);
    void refreshPanels();
    // The panel takes a new copy of the current paradigm, which takes the settings changed
    // while it ran once each of its runs has ended.
    void giveCopy(ApparatusPanel* panel);
    void takeTemplateSettings(BaseExperiment* copy);
    void propagateProperty(const QString& name);
    void releasePanel(ApparatusPanel* panel);
    ApparatusPanel* panelOf(const BaseDevice* device) const;
    // Forgets the device and releases its hardware; the caller deletes it later.
    void disposeOf(BaseDevice* device);
    void dropLater(QObject* object);
    void dropBoards();
    void stopEveryRun();
    // Runs the operation on each startle sensor of the apparatus, with the list held, so that
    // no sensor is dropped meanwhile; the number of sensors it ran on.
    int forEachStartleSensorOf(const QString& apparatusSerial,
                               const std::function<void(StartleSensor*)>& operation) const;

    static KestrumModel* s_instance;

    QPointer<QWidget> m_mainWindow;
    KestrumSettings* m_settings = nullptr;
    RecognitionSettings* m_recognitionSettings = nullptr;
    StimulationSettings* m_stimulationSettings = nullptr;
    QString m_baseFolder;
    QString m_settingsPath;
    QString m_devicesFolder;
    BaseExperiment* m_currentExperiment = nullptr;
    QList<BaseExperiment*> m_experiments;
    QStringList m_typeKeys;
    QStringList m_iconPaths;
    QList<ApparatusPanel*> m_panels;
    ConnectionHelper m_templateConnections;
    // Every device handed to the model, and those of them accepted as apparatuses (a second one
    // with a serial number already known is not).
    QList<BaseDevice*> m_registered;
    QList<KestrumBaseDevice*> m_devices;
    QList<KestrumDoor*> m_doors;
    QHash<KestrumDoor*, QString> m_doorSerials;
    mutable std::mutex m_sensorMutex;
    QList<PairedSensor> m_startleSensors;
    SerialPortOverseer* m_overseer = nullptr;
    VirtualKestrumDevice* m_virtualDevice = nullptr;
};
