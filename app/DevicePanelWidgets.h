#pragma once

#include <QString>

class BaseExperiment;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The widgets of an apparatus panel around its camera view: the title row with the door logo,
// the row of run buttons with the status, cycles and readiness texts, and the rodent and
// comment fields. Made as children of the panel; the panel lays them out and drives them.
class DevicePanelWidgets
{
public:
    explicit DevicePanelWidgets(QWidget* panel);

    QWidget* titleRow() const { return m_titleRow; }
    QWidget* buttonRow() const { return m_buttonRow; }
    QWidget* fields() const { return m_fields; }

    void showTitle(const QString& title, const QString& serialNumber);
    // From the run's three flags: calibration is offered until a run is triggered, the start
    // once the background is calibrated and only while the readiness text is empty, the stop
    // while the run goes.
    void showRunState(bool initialised, bool triggered, const QString& readiness);
    void showStatus(const QString& text);
    void showCycles(const QString& text);

    // What keeps the experiment from starting, one hint a line; empty when it may start.
    static QString readiness(BaseExperiment* experiment, bool startleSensorConnected);
    static QString titleText(const QString& title, const QString& serialNumber);

    QPushButton* titleButton = nullptr;
    QLabel* titleLabel = nullptr;
    QPushButton* doorLogo = nullptr;
    QPushButton* backgroundButton = nullptr;
    QPushButton* startButton = nullptr;
    QPushButton* stopButton = nullptr;
    QLabel* statusLabel = nullptr;
    QLabel* cyclesLabel = nullptr;
    QLabel* hintLabel = nullptr;
    QLineEdit* rodentEdit = nullptr;
    QLineEdit* commentEdit = nullptr;

private:
    void buildTitleRow(QWidget* panel);
    void buildButtonRow(QWidget* panel);
    void buildFields(QWidget* panel);
    static QLineEdit* makeField(QWidget* parent, const QString& name);

    QWidget* m_titleRow = nullptr;
    QWidget* m_buttonRow = nullptr;
    QWidget* m_fields = nullptr;
};
