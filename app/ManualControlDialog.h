#pragma once

#include <QDialog>

class AbstractSettings;
class KestrumBaseDevice;
class KestrumController;
class StimulationSettings;

// The window in which the experimenter names an apparatus and drives it by hand. However it
// ends (its close button, the program closing, the apparatus going away) what it switched on
// is switched off as it ends, so no stimulus set by hand outlives it.
class ManualControlDialog : public QDialog
{
    Q_OBJECT

public:
    // Without stimulation settings, the model's are used.
    ManualControlDialog(KestrumBaseDevice* device, AbstractSettings* info, const QString& title,
                        StimulationSettings* stimulation = nullptr);
    ~ManualControlDialog() override;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Once per showing: the device may be on its way out in the apparatus thread once the
    // dialog has ended, so it is not touched again.
    void switchOutputsOff();

    KestrumController* m_controller = nullptr;
    bool m_outputsOffSent = false;
};
