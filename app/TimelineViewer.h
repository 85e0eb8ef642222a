#pragma once

#include "ConnectionHelper.h"
#include "KestrumBaseDevice.h"
#include "StartleReaction.h"

#include <QBrush>
#include <QList>
#include <QMap>
#include <QPen>
#include <QWidget>

class ExperimentScenario;
class QPainter;
class QPushButton;

// The stimulation of an experiment along time: a row per channel (light, grid current, sound)
// over a grid of seconds, and for startle runs a fourth row with the sensor curve and the
// measured reactions. It previews a scenario being edited, or shows what a finished run did
// from the run's event log.
class TimelineViewer : public QWidget
{
    Q_OBJECT

public:
    struct StimulusEvent
    {
        qint64 startMs = 0;
        qint64 endMs = 0;
        KestrumBaseDevice::KestrumAction channel = KestrumBaseDevice::Light;
    };

    explicit TimelineViewer(QWidget* parent = nullptr);

    // While a scenario is set the viewer previews it; it is not owned.
    void setScenario(ExperimentScenario* scenario);
    // Reads a run's event log: lines "<ms>|Start_Light", "<ms>|End_Light" and so on.
    void parseEvents(const QString& text);
    void setStartleCurve(const QMap<qint64, float>& curve);
    void setReactions(const QList<StartleReaction>& reactions);

    bool eventsValid() const { return m_eventsValid; }
    QList<StimulusEvent> events() const { return m_events; }
    qint64 durationMs() const { return m_durationMs; }

    // Shared with the experiments' zone overlays.
    static QPen dashPen1();
    static QPen dashPen2();
    static QPen dashPen3();
    static QPen dashPen4();
    // A scenario step's value as its bar shows it: "40%", "0.8 mA", "2.5 kHz".
    static QString stepLabel(KestrumBaseDevice::KestrumAction channel, double value);
    // A flat button showing the icon in the theme's colours, for the apparatus panels.
    static QPushButton* createFlatIconButton(const QString& iconPath, const QString& toolTip, QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the rows and the seconds lie in the widget, for one paint.
    struct Geometry
    {
        double totalSeconds = 0.0;
        int labelWidth = 0;
        int labelHeight = 0;
        int rows = 3;
        int rowHeight = 0;
        int rowStep = 0;
        double pixelsPerSecond = 0.0;
        double pixelsPerMs = 0.0;
    };

    void applyTheme();
    double totalSeconds() const;
    Geometry geometryFor(QPainter& painter, double totalSeconds) const;
    void paintGrid(QPainter& painter, const Geometry& geometry) const;
    void paintScenario(QPainter& painter, const Geometry& geometry) const;
    void paintScenarioStep(QPainter& painter, const QRectF& bar, KestrumBaseDevice::KestrumAction channel,
                           double value) const;
    void paintEvents(QPainter& painter, const Geometry& geometry) const;
    void paintStartleRow(QPainter& painter, const Geometry& geometry) const;
    void paintReaction(QPainter& painter, const Geometry& geometry, const StartleReaction& reaction) const;
    void paintCurve(QPainter& painter, const Geometry& geometry) const;

    ExperimentScenario* m_scenario = nullptr;
    ConnectionHelper m_scenarioConnections;
    bool m_eventsValid = false;
    QList<StimulusEvent> m_events;
    qint64 m_durationMs = 0;
    QMap<qint64, float> m_curve;
    QList<StartleReaction> m_reactions;
    QBrush m_background;
    QPen m_textPen;
    QPen m_gridPen;
};
