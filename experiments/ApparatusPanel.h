#pragma once

#include <QWidget>

class BaseExperiment;
class KestrumBaseDevice;

// What the model asks of the panel it keeps for each apparatus. The panel itself belongs to the
// application's user interface, which installs the factory that makes it (KestrumModel::
// setPanelFactory); the model and the paradigms thus run without it, headless.
class ApparatusPanel : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    // The panel runs its own copy of the chosen experiment (null: none) on its apparatus.
    virtual void setExperiment(BaseExperiment* chosen) = 0;
    // The panel's copy; null when it has none.
    virtual BaseExperiment* experiment() const = 0;
    virtual KestrumBaseDevice* device() const = 0;
    // Before the apparatus goes away: stops the run with everything off, detaches the copy and
    // stops and waits for the panel's detector, so that nothing reaches the device any more.
    virtual void releaseApparatus() = 0;

public slots:
    // True switches the outputs off and starts the copy; false switches them off and stops it.
    virtual void startExperiment(bool start) = 0;

signals:
    // The user renamed the apparatus.
    void kestrumRenamed();
};
