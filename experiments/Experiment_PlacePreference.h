#pragma once

#include "BaseTimedExperiment.h"

// Place preference: both halves lit, each at its own level, and the run records on which half
// the animal is seen, frame by frame. No punishment, no cycles: the run lasts until its time
// limit or the panel's stop.
//
// The record is kept in memory while the run goes on and saved at its start and its stop: its
// lists grow every frame, and saving them every frame would write the square of the run's length.
class Experiment_PlacePreference : public BaseTimedExperiment
{
    Q_OBJECT
    ZT_BOUNDED_PROPERTY(int, LightBrightnessLeft, 100, 0, 100, 1)
    Q_CLASSINFO("LightBrightnessLeftSuffix", "%")
    Q_CLASSINFO("LightBrightnessLeftCategory", "MainSettings")
    ZT_BOUNDED_PROPERTY(int, LightBrightnessRight, 100, 0, 100, 1)
    Q_CLASSINFO("LightBrightnessRightSuffix", "%")
    Q_CLASSINFO("LightBrightnessRightCategory", "MainSettings")

public:
    Experiment_PlacePreference(const QString& baseFolder, QObject* parent = nullptr);

public slots:
    QString typeKey() const override;
    Experiment_Stats* createStats(const QString& statsPath) override;
    QList<ResultColumn> resultColumns() override;
    QString iconPath() override;
    BaseExperiment* createInstance() override;
    void manualAction() override;

protected:
    Experiment_Stats* createRunStats(const QString& statsPath) override;
    void processDetection(bool detected, QSize frameSize, QPoint center, const QRect& blobRect,
                          bool& inDangerZone) override;
    void onStartStop(bool start) override;

private:
    void beginPlaceRun();
};
