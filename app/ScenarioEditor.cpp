#include "ScenarioEditor.h"

#include "AppHelper.h"
#include "ChoiceBox.h"
#include "ConfirmDialog.h"
#include "ExperimentScenario.h"
#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "LanguageContext.h"
#include "ScenarioStep.h"
#include "StyleHelper.h"
#include "TimelineViewer.h"
#include "TypedNumberSpinBox.h"
#include "ZScrollViewer.h"

#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <cmath>

namespace {

using Action = KestrumBaseDevice::KestrumAction;

// What a step of each stimulus kind may hold, in the order of the kinds.
struct StepKind
{
    Action action;
    const char* name;
    double minimum;
    double maximum;
    double singleStep;
    int decimals;
    // Translated in "Generic"; none for percent.
    const char* unit;
    const char* icon;
    double newStepValue;
};

// A new grid-current step starts at the current of the default scenario: a step added by
// mistake must not give the animal the chamber's highest shocks.
constexpr StepKind stepKinds[] = {
    {KestrumBaseDevice::Light, QT_TRANSLATE_NOOP("KestrumAction", "Light"), 0, 100, 1, 0, nullptr,
     ":/Images/icons/light.svg", 100},
    {KestrumBaseDevice::Circuit, QT_TRANSLATE_NOOP("KestrumAction", "Circuit"), 0, 15, 0.1, 1,
     QT_TRANSLATE_NOOP("Generic", "mA"), ":/Images/icons/bolt.svg", 1.0},
    {KestrumBaseDevice::Sound, QT_TRANSLATE_NOOP("KestrumAction", "Sound"), 10, 10000, 1, 0,
     QT_TRANSLATE_NOOP("Generic", "Hz"), ":/Images/icons/sound.svg", 1000},
};

const QString suffix = QStringLiteral(".scn");

QIcon scriptIcon()
{
    return StyleHelper::ColoredIcon(QStringLiteral(":/Images/icons/script.svg"), QStringLiteral("#FFF"),
                                    QStringLiteral("#303030"));
}

QString unitSuffix(const StepKind& kind)
{
    return kind.unit ? QLatin1Char(' ') + generic(kind.unit) : QStringLiteral("%");
}

// The seconds of a box as the whole milliseconds they show: 32.3 × 1000 is 32299.999… in
// binary floating point.
int toMilliseconds(double seconds)
{
    return int(std::lround(seconds * 1000.0));
}

QLabel* timeLabel(const QString& text, const QString& toolTip)
{
    auto* label = new QLabel(text);
    label->setContentsMargins(0, 4, 0, 0);
    label->setToolTip(toolTip);
    return label;
}

} // namespace

ScenarioEditor::ScenarioEditor(QWidget* parent)
    : QWidget(parent)
    , m_combo(new ChoiceBox)
    , m_cycleDuration(new DecimalSpinBox)
    , m_cycleCount(new WholeNumberSpinBox)
    , m_tabs(new QTabWidget)
    , m_preview(new TimelineViewer)
{
    setMinimumSize(300, 280);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 8, 0, 0);
    grid->setSpacing(2);
    grid->addLayout(buildScenarioRow(), 0, 0);
    grid->addWidget(m_preview, 1, 0);
    grid->addWidget(buildStepTabs(), 2, 0);
    grid->addLayout(buildStepRow(), 3, 0);
    grid->addLayout(buildCycleRow(), 3, 0, Qt::AlignRight | Qt::AlignTop);

    connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < m_scenarios.size())
            setCurrentScenario(m_scenarios.at(index));
    });
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { selectStep(nullptr); });
    StyleHelper::Link(
        this,
        [this] {
            for (int i = 0; i < m_combo->count(); ++i)
                m_combo->setItemIcon(i, scriptIcon());
        },
        false);
    reload(QString(), QString());
}

ScenarioEditor::~ScenarioEditor()
{
    m_scenarioConnections.clear();
    m_rowConnections.clear();
    qDeleteAll(m_scenarios);
}

QLayout* ScenarioEditor::buildScenarioRow()
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 8);
    m_combo->setMinimumWidth(100);
    m_combo->setIconSize(QSize(24, 24));
    row->addWidget(m_combo);
    addToolButton(row, ":/icons/plus.svg", tr("Создать сценарий"), [this] { createScenario(); });
    addToolButton(row, ":/icons/edit.svg", tr("Переименовать сценарий"), [this] { renameScenario(); });
    addToolButton(row, ":/icons/delete.svg", tr("Удалить сценарий"), [this] { deleteScenario(); });
    row->addStretch();
    return row;
}

QPushButton* ScenarioEditor::addToolButton(QHBoxLayout* row, const char* icon, const QString& toolTip,
                                           const std::function<void()>& action)
{
    QPushButton* button = TimelineViewer::createFlatIconButton(QString::fromLatin1(icon), toolTip, QSize(26, 26));
    button->setContentsMargins(0, 0, 0, 0);
    connect(button, &QPushButton::clicked, this, action);
    row->addWidget(button);
    return button;
}

QWidget* ScenarioEditor::buildStepTabs()
{
    for (const StepKind& kind : stepKinds) {
        auto* steps = new QWidget;
        steps->setContentsMargins(0, 0, 0, 0);
        auto* layout = new QVBoxLayout(steps);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(1);
        layout->addStretch(100);
        m_stepLayouts << layout;
        auto* scroller = new ZScrollViewer(Qt::Vertical);
        scroller->setTransparentBackground();
        scroller->addWidget(steps);
        m_tabs->addTab(scroller, QCoreApplication::translate("KestrumAction", kind.name));
    }
    return m_tabs;
}

QLayout* ScenarioEditor::buildStepRow()
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    addToolButton(row, ":/icons/plus.svg", tr("Add scenario step"), [this] { addStep(); });
    m_stepButtons = {
        addToolButton(row, ":/icons/delete.svg", tr("Remove scenario step"), [this] { removeStep(); }),
        addToolButton(row, ":/icons/chevron-up.svg", tr("Move scenario step upwards"), [this] { moveStep(-1); }),
        addToolButton(row, ":/icons/chevron-down.svg", tr("Move scenario step downwards"), [this] { moveStep(1); })};
    row->addStretch(100);
    return row;
}

QLayout* ScenarioEditor::buildCycleRow()
{
    auto* row = new QHBoxLayout;
    m_cycleDuration->setRange(1.0, 3600.0);
    m_cycleDuration->setSingleStep(0.1);
    m_cycleDuration->setDecimals(1);
    m_cycleDuration->setSuffix(QLatin1Char(' ') + generic(QT_TRANSLATE_NOOP("Generic", "s")));
    m_cycleCount->setRange(1, 100);
    row->addWidget(new QLabel(QStringLiteral("T=")));
    row->addWidget(m_cycleDuration);
    row->addWidget(new QLabel(QStringLiteral("N=")));
    row->addWidget(m_cycleCount);
    return row;
}

void ScenarioEditor::reload(const QString& folder, const QString& name)
{
    for (ExperimentScenario* scenario : std::as_const(m_scenarios))
        scenario->deleteLater();
    m_scenarios.clear();
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->clear();
        m_folder = folder;
    }
    ExperimentScenario* named = nullptr;
    if (!folder.isEmpty()) {
        loadFolder(name, named);
        if (m_scenarios.isEmpty() && writeDefaultScenario()) {
            reload(folder, QString());
            return;
        }
    }
    setCurrentScenario(named ? named : m_scenarios.value(0));
    selectStep(nullptr);
}

// Unreadable files are named on the console by the loader and left out.
void ScenarioEditor::loadFolder(const QString& name, ExperimentScenario*& named)
{
    const QSignalBlocker blocker(m_combo);
    const QIcon icon = scriptIcon();
    for (const QString& path : FileUtilities::getFilesOfType(m_folder, QStringLiteral("scn"), false, true)) {
        ExperimentScenario* scenario = ExperimentScenario::load(path);
        if (!scenario)
            continue;
        const QString baseName = QFileInfo(path).baseName();
        if (baseName == name)
            named = scenario;
        m_combo->addItem(icon, baseName, int(m_scenarios.size()));
        m_scenarios << scenario;
    }
}

// Only where it cannot take the place of a file that is there, readable or not.
bool ScenarioEditor::writeDefaultScenario()
{
    const QString path = FileUtilities::FolderSlash(m_folder) + QStringLiteral("1.scn");
    if (QFileInfo::exists(path))
        return false;
    ExperimentScenario scenario;
    scenario.setName(path);
    scenario.cyclesAmount = 2;
    scenario.cycleDurationMs = 10000;
    scenario.addStep(KestrumBaseDevice::Light, new ScenarioStep(2000, 1000, 100));
    scenario.addStep(KestrumBaseDevice::Circuit, new ScenarioStep(1000, 4000, 1.0));
    scenario.addStep(KestrumBaseDevice::Sound, new ScenarioStep(2000, 6000, 1000));
    return scenario.save();
}

void ScenarioEditor::setCurrentScenario(ExperimentScenario* scenario)
{
    m_scenarioConnections.clear();
    m_current = scenario;
    m_cycleDuration->setEnabled(scenario);
    m_cycleCount->setEnabled(scenario);
    if (scenario) {
        m_cycleCount->setValue(scenario->cyclesAmount);
        m_cycleDuration->setValue(scenario->cycleDurationMs / 1000.0);
        connectCycleBoxes();
    }
    rebuildSteps();
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->setCurrentIndex(int(m_scenarios.indexOf(scenario)));
    }
    m_preview->setScenario(scenario);
    emit scenarioChanged();
}

void ScenarioEditor::connectCycleBoxes()
{
    m_scenarioConnections << connect(m_cycleCount, &QSpinBox::valueChanged, this, [this](int count) {
        m_current->cyclesAmount = count;
        saveCurrent();
    });
    m_scenarioConnections << connect(m_cycleDuration, &QDoubleSpinBox::valueChanged, this, [this](double seconds) {
        m_current->cycleDurationMs = toMilliseconds(seconds);
        saveCurrent();
    });
}

void ScenarioEditor::saveCurrent()
{
    if (m_current)
        m_current->save();
}

void ScenarioEditor::rebuildSteps()
{
    m_rowConnections.clear();
    for (QPushButton* row : std::as_const(m_rows)) {
        row->setParent(nullptr);
        row->deleteLater();
    }
    m_rows.clear();
    if (!m_current) {
        selectStep(nullptr);
        return;
    }
    for (const StepKind& kind : stepKinds) {
        QVBoxLayout* layout = m_stepLayouts.at(kind.action);
        for (ScenarioStep* step : *m_current->stepsFor(kind.action))
            layout->insertWidget(layout->count() - 1, buildRow(step));
    }
}

QPushButton* ScenarioEditor::buildRow(ScenarioStep* step)
{
    const StepKind& kind = stepKinds[step->type];
    auto* row = new QPushButton;
    row->setFlat(true);
    row->setCheckable(true);
    row->setContentsMargins(5, 5, 5, 5);
    m_rowConnections << connect(row, &QPushButton::clicked, this, [this, step] { selectStep(step); });
    m_rows.insert(step, row);

    auto* icon = new QPushButton;
    StyleHelper::SetButtonIcon(icon, QString::fromLatin1(kind.icon), QStringLiteral("#FFF"));
    icon->setFlat(true);
    icon->setFixedSize(24, 24);
    icon->setIconSize(QSize(24, 24));
    icon->setStyleSheet(QStringLiteral("padding: 0"));
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* value = new DecimalSpinBox;
    value->setMinimumWidth(70);
    value->setRange(kind.minimum, kind.maximum);
    value->setSingleStep(kind.singleStep);
    value->setDecimals(kind.decimals);
    value->setSuffix(unitSuffix(kind));
    value->setValue(step->value);
    m_rowConnections << connect(value, &QDoubleSpinBox::valueChanged, this, [this, step](double changed) {
        step->value = changed;
        saveCurrent();
    });

    const QString delayTip = generic(QT_TRANSLATE_NOOP("Generic", "Time before stimulation"));
    const QString durationTip = generic(QT_TRANSLATE_NOOP("Generic", "Stimulation duration"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (QWidget* widget : {static_cast<QWidget*>(icon), static_cast<QWidget*>(value)})
        layout->addWidget(widget, 0, Qt::AlignVCenter);
    layout->addSpacing(8);
    layout->addWidget(timeLabel(QStringLiteral("→t="), delayTip), 0, Qt::AlignVCenter);
    layout->addWidget(buildTimeBox(&step->delayBeforeMs, 0.0, delayTip), 0, Qt::AlignVCenter);
    layout->addSpacing(8);
    layout->addWidget(timeLabel(QStringLiteral("t="), durationTip), 0, Qt::AlignVCenter);
    layout->addWidget(buildTimeBox(&step->durationMs, 0.2, durationTip), 0, Qt::AlignVCenter);
    layout->addStretch(100);
    // A button is only as high as a text would be; the row takes the height its boxes want.
    row->setStyleSheet(
        QStringLiteral(
            "QPushButton { background: transparent; min-height: %1px } QPushButton::checked { background: #7BF }")
            .arg(std::max(32, layout->totalSizeHint().height())));
    return row;
}

QDoubleSpinBox* ScenarioEditor::buildTimeBox(int* milliseconds, double minimumSeconds, const QString& toolTip)
{
    auto* box = new DecimalSpinBox;
    box->setRange(minimumSeconds, 100.0);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setSuffix(QLatin1Char(' ') + generic(QT_TRANSLATE_NOOP("Generic", "s")));
    box->setToolTip(toolTip);
    box->setValue(*milliseconds / 1000.0);
    m_rowConnections << connect(box, &QDoubleSpinBox::valueChanged, this, [this, milliseconds](double seconds) {
        *milliseconds = toMilliseconds(seconds);
        saveCurrent();
    });
    return box;
}

void ScenarioEditor::selectStep(ScenarioStep* step)
{
    m_selectedStep = step;
    for (QPushButton* button : std::as_const(m_stepButtons))
        button->setEnabled(step);
    for (auto row = m_rows.cbegin(); row != m_rows.cend(); ++row)
        row.value()->setChecked(row.key() == step);
}

KestrumBaseDevice::KestrumAction ScenarioEditor::currentKind() const
{
    return stepKinds[m_tabs->currentIndex()].action;
}

void ScenarioEditor::addStep()
{
    if (!m_current)
        return;
    const StepKind& kind = stepKinds[currentKind()];
    auto* step = new ScenarioStep(1000, 1000, kind.newStepValue);
    m_current->addStep(kind.action, step);
    saveCurrent();
    rebuildSteps();
    selectStep(step);
}

void ScenarioEditor::removeStep()
{
    if (!m_current || !m_selectedStep)
        return;
    QList<ScenarioStep*>* steps = m_current->stepsFor(currentKind());
    if (!steps->removeOne(m_selectedStep))
        return;
    m_selectedStep->deleteLater();
    saveCurrent();
    rebuildSteps();
    selectStep(nullptr);
}

void ScenarioEditor::moveStep(int offset)
{
    if (!m_current || !m_selectedStep)
        return;
    QList<ScenarioStep*>* steps = m_current->stepsFor(currentKind());
    const qsizetype from = steps->indexOf(m_selectedStep);
    const qsizetype to = from + offset;
    if (from < 0 || to < 0 || to >= steps->size())
        return;
    steps->move(from, to);
    saveCurrent();
    ScenarioStep* moved = m_selectedStep;
    rebuildSteps();
    selectStep(moved);
}

QString ScenarioEditor::fileFilter() const
{
    return generic(QT_TRANSLATE_NOOP("Generic", "Scenario")) + QStringLiteral(" (*.scn)");
}

// The save dialog on Linux adds no suffix, and a file without it would not be listed.
QString ScenarioEditor::scenarioPath(const QString& chosenPath) const
{
    if (QFileInfo(chosenPath).suffix().compare(suffix.mid(1), Qt::CaseInsensitive) == 0)
        return chosenPath;
    return chosenPath + suffix;
}

// A name typed without the suffix gets it after the dialog's overwrite question, so an existing
// scenario is never replaced by an empty one here.
void ScenarioEditor::createScenario()
{
    const QString chosen = AppHelper::getSaveFileName(this, tr("Создание сценария"), m_folder, fileFilter());
    if (chosen.isEmpty())
        return;
    const QString path = scenarioPath(chosen);
    if (QFileInfo::exists(path)) {
        GlobalConsole::writeItem(QStringLiteral("The scenario %1 already exists").arg(path.toHtmlEscaped()),
                                 QStringLiteral("Error"));
    } else {
        ExperimentScenario scenario;
        scenario.setName(path);
        scenario.save();
    }
    reload(m_folder, QFileInfo(path).baseName());
}

void ScenarioEditor::renameScenario()
{
    if (!m_current)
        return;
    const QString from = m_current->filePath;
    const QString chosen = AppHelper::getSaveFileName(this, tr("Переименование сценария"), from, fileFilter());
    if (chosen.isEmpty())
        return;
    const QString path = scenarioPath(chosen);
    const bool renamed = QFile::rename(from, path);
    if (!renamed)
        GlobalConsole::writeItem(QStringLiteral("The scenario %1 could not be renamed to %2")
                                     .arg(from.toHtmlEscaped(), path.toHtmlEscaped()),
                                 QStringLiteral("Error"));
    reload(m_folder, QFileInfo(renamed ? path : from).baseName());
}

void ScenarioEditor::deleteScenario()
{
    if (!m_current)
        return;
    const QString path = m_current->filePath;
    if (!ConfirmDialog::Ask(tr("Удалить сценарий") + QStringLiteral(" \"") + QFileInfo(path).baseName()
                            + QStringLiteral("\"?")))
        return;
    if (!QFile::remove(path))
        GlobalConsole::writeItem(QStringLiteral("The scenario %1 could not be removed").arg(path.toHtmlEscaped()),
                                 QStringLiteral("Error"));
    reload(m_folder, QString());
}
