#pragma once

#include "KestrumBaseDevice.h"
#include "ScenarioStep.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

// A timed programme of stimuli, stored as a .scn JSON file: per stimulus kind a list of
// steps, repeated in cycles of a fixed length. The scenario owns its steps.
class ExperimentScenario : public QObject
{
    Q_OBJECT

public:
    // No real scenario comes near these (the editor shows a row per step); a file beyond them
    // is refused before it can take hundreds of megabytes.
    static constexpr qsizetype MaxFileBytes = 1024 * 1024;
    static constexpr int MaxSteps = 4000;

    explicit ExperimentScenario(QObject* parent = nullptr);
    ~ExperimentScenario() override;

    // A new scenario without parent, or null when the bytes are not a scenario (also when
    // they are too large, hold too many steps or a step value its stimulus cannot take);
    // then `error`, when given, says why.
    static ExperimentScenario* fromJson(const QByteArray& data, QString* error = nullptr);
    // Reads a .scn file and remembers its path; null (and the reason on the console and in
    // `error`) when it cannot be read or is not a scenario.
    static ExperimentScenario* load(const QString& path, QString* error = nullptr);

    // A deep copy, so that a run is not disturbed when the original is edited or deleted.
    ExperimentScenario* clone(QObject* parent = nullptr) const;

    // Replaces the file as a whole or not at all; false (and `saved` not emitted) when the
    // path is empty or the file cannot be written.
    bool save();
    void setFilePath(const QString& path) { filePath = path; }
    // The scenario editor's name for setFilePath.
    void setName(const QString& path) { setFilePath(path); }

    void addStep(KestrumBaseDevice::KestrumAction action, ScenarioStep* step);
    QList<ScenarioStep*>* stepsFor(KestrumBaseDevice::KestrumAction action);
    const QList<ScenarioStep*>* stepsFor(KestrumBaseDevice::KestrumAction action) const;
    // The channel by its number (0 light, 1 circuit, 2 sound), as the editors hold it: any other
    // number has no steps, and a step added to it is ignored.
    void addStep(int channel, ScenarioStep* step);
    QList<ScenarioStep*>* stepsFor(int channel);
    bool isEmpty() const;
    void resetSteps();
    QJsonObject toJson() const;

    int cycleDurationMs = 10000;
    int cyclesAmount = 1;
    QString filePath;
    QList<ScenarioStep*> stepsCircuit;
    QList<ScenarioStep*> stepsLight;
    QList<ScenarioStep*> stepsSound;

signals:
    void saved();
};
