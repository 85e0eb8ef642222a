#pragma once

#include "KestrumBaseDevice.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QGridLayout;
class QPushButton;
class StimulationSettings;

// Drives one apparatus by hand: light, sound and grid current on, on for a short burst, or
// off, and the motorised door open or closed. The stimulus values come from the manual
// stimulation settings, shown beside the buttons and shared by every apparatus.
class KestrumController : public QWidget
{
    Q_OBJECT

public:
    static constexpr int burstMs = 400;

    // Without a device the panel is disabled; without settings, the model's are used.
    explicit KestrumController(KestrumBaseDevice* device, QWidget* parent = nullptr,
                               StimulationSettings* settings = nullptr);

    // A duration of 0 s lasts until changed, so what the panel switched on is ended here: the
    // light and the sound when it switched them on, the grid current always.
    void switchOffWhatItSwitchedOn();

private:
    struct Section
    {
        QString header;
        QString category;
        QPushButton* on = nullptr;
        QPushButton* burst = nullptr;
        QPushButton* off = nullptr;
    };

    QPushButton* makeButton(const QString& name, const std::function<void()>& action, bool burst);
    QWidget* makeSeparator();
    // Fills the rows from `row` on and returns the first row after the section.
    int addSection(QGridLayout* grid, int row, const Section& section);
    void addDoorRows(QGridLayout* grid, int row);

    void switchLight(int durationMs);
    void switchSound(bool on, double seconds);
    void switchCircuit(int durationMs);
    // Runs the command when the device is still there.
    void drive(const std::function<void(KestrumBaseDevice*)>& command);

    // The device may go away while the panel is open: it is followed, not trusted.
    QPointer<KestrumBaseDevice> m_device;
    StimulationSettings* m_settings = nullptr;
    bool m_lightSwitchedOn = false;
    bool m_soundSwitchedOn = false;
};
