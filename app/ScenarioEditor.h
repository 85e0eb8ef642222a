#pragma once

#include "ConnectionHelper.h"
#include "KestrumBaseDevice.h"

#include <QHash>
#include <QList>
#include <QWidget>

#include <functional>

class ExperimentScenario;
class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QVBoxLayout;
class ScenarioStep;
class TimelineViewer;

// Chooses, creates, renames and deletes the scenario files (*.scn) of a folder and edits the
// current one's cycles and steps, one tab per stimulus kind, with a time-line preview. Every
// edit is saved at once.
//
// The scenarios live from one reload to the next. A running experiment never reads them: it
// works on its own copy taken when its run starts.
class ScenarioEditor : public QWidget
{
    Q_OBJECT

public:
    explicit ScenarioEditor(QWidget* parent = nullptr);
    ~ScenarioEditor() override;

    // Lists the folder's scenarios and makes the named one current (the first one when none has
    // that name). A folder without any readable scenario, and no "1.scn" that could be lost,
    // receives the default "1.scn".
    void reload(const QString& folder, const QString& name);
    void setCurrentScenario(ExperimentScenario* scenario);
    void selectStep(ScenarioStep* step);
    void rebuildSteps();

    ExperimentScenario* currentScenario() const { return m_current; }
    ScenarioStep* selectedStep() const { return m_selectedStep; }
    QList<ExperimentScenario*> scenarios() const { return m_scenarios; }

public slots:
    void createScenario();
    void renameScenario();
    void deleteScenario();
    // A step of the current tab's kind with that kind's usual value, selected.
    void addStep();
    void removeStep();
    // Moves the selected step one place up (-1) or down (+1) in its list.
    void moveStep(int offset);

signals:
    void scenarioChanged();

private:
    QLayout* buildScenarioRow();
    QLayout* buildStepRow();
    QPushButton* addToolButton(QHBoxLayout* row, const char* icon, const QString& toolTip,
                               const std::function<void()>& action);
    QLayout* buildCycleRow();
    QWidget* buildStepTabs();
    QPushButton* buildRow(ScenarioStep* step);
    QDoubleSpinBox* buildTimeBox(int* milliseconds, double minimumSeconds, const QString& toolTip);
    void loadFolder(const QString& name, ExperimentScenario*& named);
    bool writeDefaultScenario();
    void connectCycleBoxes();
    void saveCurrent();
    QString scenarioPath(const QString& chosenPath) const;
    QString fileFilter() const;
    KestrumBaseDevice::KestrumAction currentKind() const;

    QComboBox* m_combo;
    QList<ExperimentScenario*> m_scenarios;
    QString m_folder;
    ExperimentScenario* m_current = nullptr;
    ScenarioStep* m_selectedStep = nullptr;
    QDoubleSpinBox* m_cycleDuration;
    QSpinBox* m_cycleCount;
    QList<QPushButton*> m_stepButtons;
    QTabWidget* m_tabs;
    QList<QVBoxLayout*> m_stepLayouts;
    QHash<ScenarioStep*, QPushButton*> m_rows;
    TimelineViewer* m_preview;
    ConnectionHelper m_scenarioConnections;
    ConnectionHelper m_rowConnections;
};
