#include "DevicePanelWidgets.h"

#include "BaseScenarioExperiment.h"
#include "ExperimentScenario.h"
#include "Experiment_StartleReflex.h"
#include "TimelineViewer.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The panel's texts belong to the panel.
QString panelText(const char* text)
{
    return QCoreApplication::translate("MetaKestrumDevice", text);
}

QPushButton* runButton(const QString& name, const QString& iconPath, const QString& toolTip)
{
    QPushButton* button = TimelineViewer::createFlatIconButton(iconPath, toolTip, QSize(34, 34));
    button->setObjectName(name);
    return button;
}

QHBoxLayout* rowLayout(QWidget* row)
{
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

} // namespace

DevicePanelWidgets::DevicePanelWidgets(QWidget* panel)
{
    buildTitleRow(panel);
    buildButtonRow(panel);
    buildFields(panel);
}

void DevicePanelWidgets::buildTitleRow(QWidget* panel)
{
    m_titleRow = new QWidget(panel);
    QHBoxLayout* row = rowLayout(m_titleRow);
    doorLogo =
        TimelineViewer::createFlatIconButton(QStringLiteral(":/Images/kestrum-door-logo.png"),
                                             panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Дверь")), QSize(16, 16));
    doorLogo->setObjectName(QStringLiteral("doorLogo"));
    doorLogo->hide();
    titleButton = new QPushButton(m_titleRow);
    titleButton->setObjectName(QStringLiteral("titleButton"));
    titleButton->setFlat(true);
    titleButton->setContentsMargins(0, 0, 0, 0);
    titleButton->setStyleSheet(QStringLiteral("text-align: left"));
    titleButton->setCursor(Qt::PointingHandCursor);
    titleLabel = new QLabel(titleButton);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    // A name makes the title rich text, whose label would take the click for its own text
    // handling: every click belongs to the button, named or not.
    titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    rowLayout(titleButton)->addWidget(titleLabel);
    row->addWidget(doorLogo);
    row->addWidget(titleButton, 100);
}

void DevicePanelWidgets::buildButtonRow(QWidget* panel)
{
    m_buttonRow = new QWidget(panel);
    QHBoxLayout* row = rowLayout(m_buttonRow);
    row->setSpacing(4);
    backgroundButton = runButton(QStringLiteral("backgroundButton"), QStringLiteral(":/Images/icons/star-circle.svg"),
                                 panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Инициализировать фон")));
    startButton = runButton(QStringLiteral("startButton"), QStringLiteral(":/Images/icons/play-circle.svg"),
                            panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Начать эксперимент")));
    stopButton = runButton(QStringLiteral("stopButton"), QStringLiteral(":/Images/icons/stop-circle.svg"),
                           panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Остановить эксперимент")));
    statusLabel = new QLabel(panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Проинициализируйте фон")), m_buttonRow);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    cyclesLabel = new QLabel(m_buttonRow);
    cyclesLabel->setObjectName(QStringLiteral("cyclesLabel"));
    hintLabel = new QLabel(m_buttonRow);
    hintLabel->setObjectName(QStringLiteral("hintLabel"));
    hintLabel->setStyleSheet(QStringLiteral("color: #C30; font-weight: bold; text-align: right"));
    hintLabel->hide();
    row->addWidget(backgroundButton);
    row->addWidget(new QLabel(QStringLiteral(" | "), m_buttonRow));
    row->addWidget(startButton);
    row->addWidget(stopButton);
    row->addWidget(statusLabel, 1, Qt::AlignLeft);
    row->addWidget(cyclesLabel, 1, Qt::AlignRight);
    row->addWidget(hintLabel, 0, Qt::AlignRight);
}

void DevicePanelWidgets::buildFields(QWidget* panel)
{
    m_fields = new QWidget(panel);
    auto* grid = new QGridLayout(m_fields);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 100);
    rodentEdit = makeField(m_fields, QStringLiteral("rodentEdit"));
    commentEdit = makeField(m_fields, QStringLiteral("commentEdit"));
    grid->addWidget(new QLabel(panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Грызун")), m_fields), 0, 0);
    grid->addWidget(rodentEdit, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Коммент")), m_fields), 1, 0);
    grid->addWidget(commentEdit, 1, 1, Qt::AlignLeft);
}

QLineEdit* DevicePanelWidgets::makeField(QWidget* parent, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(200);
    edit->setMaximumWidth(300);
    return edit;
}

QString DevicePanelWidgets::titleText(const QString& title, const QString& serialNumber)
{
    const QString trimmed = title.trimmed();
    const QString serial = QLatin1Char('[') + serialNumber + QLatin1Char(']');
    return trimmed.isEmpty() ? serial : QStringLiteral("<b>%1</b> %2").arg(trimmed.toHtmlEscaped(), serial);
}

void DevicePanelWidgets::showTitle(const QString& title, const QString& serialNumber)
{
    titleLabel->setText(titleText(title, serialNumber));
}

// A run button hidden with the focus would hand it down the focus chain to the rodent field,
// its text selected, where the next Space meant for the panel replaces the name: the button
// shown in its place takes the focus first.
void DevicePanelWidgets::showRunState(bool initialised, bool triggered, const QString& readiness)
{
    const bool runButtonFocused = startButton->hasFocus() || stopButton->hasFocus();
    backgroundButton->setEnabled(!triggered);
    startButton->setEnabled(readiness.isEmpty());
    QPushButton* shown = triggered ? stopButton : startButton;
    QPushButton* hidden = triggered ? startButton : stopButton;
    shown->setVisible(initialised);
    if (runButtonFocused && initialised)
        shown->setFocus(Qt::OtherFocusReason);
    hidden->setVisible(false);
    hintLabel->setText(readiness);
    hintLabel->setVisible(!readiness.isEmpty());
}

void DevicePanelWidgets::showStatus(const QString& text)
{
    statusLabel->setText(text);
}

void DevicePanelWidgets::showCycles(const QString& text)
{
    cyclesLabel->setText(QLatin1Char(' ') + text);
}

QString DevicePanelWidgets::readiness(BaseExperiment* experiment, bool startleSensorConnected)
{
    QStringList hints;
    if (const auto* scenarioExperiment = qobject_cast<BaseScenarioExperiment*>(experiment)) {
        const ExperimentScenario* scenario = scenarioExperiment->scenario();
        if (!scenario)
            hints << panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Choose scenario"));
        else if (scenario->isEmpty())
            hints << panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Choose not empty scenario"));
    }
    if (qobject_cast<Experiment_StartleReflex*>(experiment) && !startleSensorConnected)
        hints << panelText(QT_TRANSLATE_NOOP("MetaKestrumDevice", "Connect startle sensor"));
    return hints.join(QStringLiteral("<br>"));
}
