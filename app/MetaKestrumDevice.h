#pragma once

#include "ApparatusPanel.h"
#include "ConnectionHelper.h"

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QString>

#include <memory>

class DevicePanelWidgets;
class KestrumDetectorThread;
class ManualControlDialog;
class MetaKestrumInfo;
class PanelCameraView;
class QVBoxLayout;

// The panel of one apparatus: its camera view, its own detector thread and its own copy of the
// chosen experiment, with which it carries a run through background calibration, start and
// stop, and has the run's video and startle samples recorded.
//
// Threads: the panel lives in the user-interface thread. Frames reach the detector from here;
// the copy's per-frame step runs in the detector, which is where the run's start moment
// (recordStarted) is announced, so the records opened then are opened from there.
//
// While the experimenter drives the apparatus by hand, and while the reference frames are
// taken, the copy may not drive it; manual control ends with the grid current off.
class MetaKestrumDevice : public ApparatusPanel
{
    Q_OBJECT

public:
    static constexpr int referenceDelayMs = 200;
    static constexpr int litReferenceDelayMs = 400;

    // The panel takes the camera view over; without one it gets no frames and records no video.
    // A device without a serial number gives an empty panel: no detector, no runs.
    explicit MetaKestrumDevice(KestrumBaseDevice* device, PanelCameraView* camera = nullptr, QWidget* parent = nullptr);
    ~MetaKestrumDevice() override;

    // Makes the model give every apparatus one of these panels with a camera view on screen;
    // the virtual chamber's may use the virtual cameras and plays the clip bundled with the
    // program.
    static void installAsModelPanels();

    void setExperiment(BaseExperiment* chosen) override;
    BaseExperiment* experiment() const override { return m_experiment.get(); }
    KestrumBaseDevice* device() const override { return m_device; }
    void releaseApparatus() override;
    PanelCameraView* cameraView() const { return m_camera; }
    // Null for a panel without a serial number.
    KestrumDetectorThread* detector() const { return m_detector.get(); }
    // The apparatus's name and camera, kept in its own file.
    MetaKestrumInfo* info() const { return m_info; }

public slots:
    void startExperiment(bool start) override;
    // Asks the experimenter to clear the camera's view, then takes the reference frames.
    void calibrateBackground();
    // The apparatus's name and its manual control, in a window of their own; returns when it
    // is closed.
    void showManualControl();

signals:
    void startingExperiment();

private:
    void takeFrame(const QImage& frame);
    void showDetection(const QImage& overlay);
    void takeSingleReference();
    void takeReferencePair();
    void setReferences(const QImage& first, const QImage& second);
    void startVideoRecording(const QString& path);
    void stopVideoRecording();
    void openRunRecords(BaseExperiment* copy, const QString& runFolder);
    void showRunFailure(const QString& path, const QString& reason, bool started);
    void connectScenario(BaseExperiment* chosen, BaseExperiment* copy);

    void layOutCameraView(QVBoxLayout* layout);
    void buildWidgets();
    void connectWidgets();
    void connectPanelTexts(BaseExperiment* copy);
    void refresh();
    bool hasStartleSensor() const;
    void warnAboutStartleRun(const QString& text);
    void showTitle();
    void showDoor();
    // The copy drives the apparatus unless the experimenter or the calibration holds it.
    void handDeviceControlBack();
    void closeManualControl();

    KestrumBaseDevice* m_device = nullptr;
    const QString m_serialNumber;
    const bool m_virtualChamber;
    PanelCameraView* m_camera = nullptr;
    std::unique_ptr<KestrumDetectorThread> m_detector;
    std::unique_ptr<BaseExperiment> m_experiment;
    QImage m_lastFrame;
    MetaKestrumInfo* m_info = nullptr;
    std::unique_ptr<DevicePanelWidgets> m_widgets;
    QPointer<ManualControlDialog> m_manualControl;
    bool m_calibrating = false;
    // The detection is drawn from the current copy's background on, never from an earlier one.
    bool m_detectionShown = false;
    ConnectionHelper m_panelConnections;
    ConnectionHelper m_experimentConnections;
    ConnectionHelper m_modelConnections;
};
