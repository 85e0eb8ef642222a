#include "ExperimentScenario.h"

#include "GlobalConsole.h"
#include "KestrumConstants.h"
#include "SettingsFileHelper.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QMetaEnum>

#include <cmath>
#include <limits>
#include <optional>

namespace {

using Action = KestrumBaseDevice::KestrumAction;
using Side = KestrumBaseDevice::KestrumSide;

struct StepList
{
    const char* key;
    Action action;
    // Values run from 0 to this; a chamber cannot carry out more.
    double maxValue;
    const char* unit;
};

constexpr double MaxLightPercent = 100.0;
// The highest tone the scenario editor offers and the classic chamber plays.
constexpr double MaxToneHz = 10000.0;

// The order of the lists in the file.
constexpr StepList stepLists[] = {
    {"stepsCircuit", KestrumBaseDevice::Circuit, KestrumConstants::MaxGridMilliamperes, "mA"},
    {"stepsLight", KestrumBaseDevice::Light, MaxLightPercent, "%"},
    {"stepsSound", KestrumBaseDevice::Sound, MaxToneHz, "Hz"},
};

const char* actionName(Action action)
{
    return QMetaEnum::fromType<Action>().valueToKey(action);
}

const char* sideName(Side side)
{
    return QMetaEnum::fromType<Side>().valueToKey(side);
}

template <typename Enum>
std::optional<Enum> enumFromName(const QString& name)
{
    bool ok = false;
    const int value = QMetaEnum::fromType<Enum>().keyToValue(name.toUtf8().constData(), &ok);
    if (!ok)
        return std::nullopt;
    return static_cast<Enum>(value);
}

bool present(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return !value.isUndefined() && !value.isNull();
}

// A whole number that fits an int; anything that is not a number counts as 0, a number
// outside the range of int makes the file unreadable.
std::optional<int> intFrom(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(number);
}

class ScenarioReader
{
public:
    ExperimentScenario* read(const QByteArray& data)
    {
        if (data.size() > ExperimentScenario::MaxFileBytes)
            return reject(QStringLiteral("the scenario is larger than %1 bytes").arg(ExperimentScenario::MaxFileBytes));
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
        if (parseError.error != QJsonParseError::NoError)
            return reject(QStringLiteral("the scenario is not valid JSON (%1 at byte %2)")
                              .arg(parseError.errorString())
                              .arg(parseError.offset));
        if (!document.isObject())
            return reject(QStringLiteral("the scenario is not a JSON object"));
        const QJsonObject root = document.object();

        auto scenario = std::make_unique<ExperimentScenario>();
        for (const StepList& list : stepLists)
            if (!readSteps(root.value(QLatin1String(list.key)), list, *scenario))
                return nullptr;
        if (!readCycleValue(root, "cycleDurationMs", scenario->cycleDurationMs)
            || !readCycleValue(root, "cyclesAmount", scenario->cyclesAmount))
            return nullptr;
        return scenario.release();
    }

    QString error;

private:
    int stepCount = 0;

    std::nullptr_t reject(const QString& why)
    {
        error = why;
        return nullptr;
    }

    bool fail(const QString& why)
    {
        error = why;
        return false;
    }

    bool readSteps(const QJsonValue& value, const StepList& list, ExperimentScenario& scenario)
    {
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i) {
            if (!array.at(i).isObject())
                continue;
            std::unique_ptr<ScenarioStep> step;
            if (!readStep(array.at(i).toObject(), list, step)) {
                error = QStringLiteral("step %1 of \"%2\": %3").arg(i + 1).arg(QLatin1String(list.key), error);
                return false;
            }
            if (step) {
                if (++stepCount > ExperimentScenario::MaxSteps)
                    return fail(
                        QStringLiteral("the scenario has more than %1 steps").arg(ExperimentScenario::MaxSteps));
                step->type = list.action;
                scenario.stepsFor(list.action)->append(step.release());
            }
        }
        return true;
    }

    // False rejects the file; true with no step skips the element, as incomplete steps are.
    bool readStep(const QJsonObject& object, const StepList& list, std::unique_ptr<ScenarioStep>& step)
    {
        for (const char* key : {"type", "value", "durationMs", "delayBeforeMs"})
            if (!present(object, key))
                return true;
        if (!enumFromName<Action>(object.value(QLatin1String("type")).toString()))
            return true;
        const std::optional<int> duration = intFrom(object.value(QLatin1String("durationMs")));
        const std::optional<int> delay = intFrom(object.value(QLatin1String("delayBeforeMs")));
        if (!duration || !delay)
            return fail(QStringLiteral("a duration is out of range"));
        if (*duration < 0 || *delay < 0)
            return fail(QStringLiteral("a duration is negative"));

        const double value = object.value(QLatin1String("value")).toVariant().toDouble();
        if (!std::isfinite(value))
            return fail(QStringLiteral("the value is not a finite number"));
        if (value < 0.0 || value > list.maxValue)
            return fail(QStringLiteral("the value %1 is outside 0 to %2 %3")
                            .arg(QString::number(value, 'g', QLocale::FloatingPointShortest),
                                 QString::number(list.maxValue), QLatin1String(list.unit)));
        step = std::make_unique<ScenarioStep>(*duration, *delay, value);
        step->side =
            enumFromName<Side>(object.value(QLatin1String("side")).toString()).value_or(KestrumBaseDevice::Both);
        return true;
    }

    bool readCycleValue(const QJsonObject& root, const char* key, int& target)
    {
        if (!present(root, key))
            return true;
        const std::optional<int> value = intFrom(root.value(QLatin1String(key)));
        if (!value)
            return fail(QStringLiteral("\"%1\" is out of range").arg(QLatin1String(key)));
        if (*value < 0)
            return fail(QStringLiteral("\"%1\" is negative").arg(QLatin1String(key)));
        target = *value;
        return true;
    }
};

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

QByteArray member(int indent, const char* key, const QByteArray& value)
{
    return QByteArray(indent, ' ') + '"' + key + "\": " + value;
}

// The file keeps its keys in a fixed order, which QJsonDocument (sorting them) cannot.
QByteArray stepText(const ScenarioStep& step, int indent)
{
    const int inner = indent + 4;
    QList<QByteArray> members{member(inner, "type", QByteArray("\"") + actionName(step.type) + '"')};
    if (step.type != KestrumBaseDevice::Circuit)
        members << member(inner, "side", QByteArray("\"") + sideName(step.side) + '"');
    members << member(inner, "durationMs", QByteArray::number(step.durationMs))
            << member(inner, "delayBeforeMs", QByteArray::number(step.delayBeforeMs))
            << member(inner, "value", number(step.value));
    const QByteArray pad(indent, ' ');
    return pad + "{\n" + members.join(",\n") + '\n' + pad + '}';
}

QByteArray stepsText(const QList<ScenarioStep*>& steps)
{
    if (steps.isEmpty())
        return "[]";
    QList<QByteArray> items;
    for (const ScenarioStep* step : steps)
        items << stepText(*step, 8);
    return "[\n" + items.join(",\n") + "\n    ]";
}

QJsonObject stepJson(const ScenarioStep& step)
{
    QJsonObject object{{QStringLiteral("type"), QLatin1String(actionName(step.type))}};
    if (step.type != KestrumBaseDevice::Circuit)
        object.insert(QStringLiteral("side"), QLatin1String(sideName(step.side)));
    object.insert(QStringLiteral("durationMs"), step.durationMs);
    object.insert(QStringLiteral("delayBeforeMs"), step.delayBeforeMs);
    object.insert(QStringLiteral("value"), step.value);
    return object;
}

} // namespace

ExperimentScenario::ExperimentScenario(QObject* parent)
    : QObject(parent)
{
}

ExperimentScenario::~ExperimentScenario()
{
    qDeleteAll(stepsCircuit);
    qDeleteAll(stepsLight);
    qDeleteAll(stepsSound);
}

ExperimentScenario* ExperimentScenario::fromJson(const QByteArray& data, QString* error)
{
    ScenarioReader reader;
    ExperimentScenario* scenario = reader.read(data);
    if (error)
        *error = reader.error;
    return scenario;
}

ExperimentScenario* ExperimentScenario::load(const QString& path, QString* error)
{
    QString why;
    ExperimentScenario* scenario = nullptr;
    // Reads one byte beyond the limit at most: enough to refuse a file that is too large,
    // whatever it is (a huge file or a device that never ends).
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else if ((scenario = fromJson(file.read(MaxFileBytes + 1), &why)))
        scenario->filePath = path;
    if (!scenario) {
        why = QStringLiteral("Cannot load the scenario %1: %2").arg(path, why);
        GlobalConsole::writeItem(why.toHtmlEscaped(), QStringLiteral("Error"));
    }
    if (error)
        *error = why;
    return scenario;
}

ExperimentScenario* ExperimentScenario::clone(QObject* parent) const
{
    auto* copy = new ExperimentScenario(parent);
    copy->cycleDurationMs = cycleDurationMs;
    copy->cyclesAmount = cyclesAmount;
    copy->filePath = filePath;
    for (const StepList& list : stepLists) {
        for (const ScenarioStep* step : *stepsFor(list.action)) {
            auto* twin = new ScenarioStep(step->durationMs, step->delayBeforeMs, step->value);
            twin->side = step->side;
            twin->type = step->type;
            twin->done = step->done;
            copy->stepsFor(list.action)->append(twin);
        }
    }
    return copy;
}

bool ExperimentScenario::save()
{
    if (filePath.isEmpty())
        return false;
    QByteArray text = "{\n";
    for (const StepList& list : stepLists)
        text += member(4, list.key, stepsText(*stepsFor(list.action))) + ",\n";
    text += member(4, "cycleDurationMs", QByteArray::number(cycleDurationMs)) + ",\n";
    text += member(4, "cyclesAmount", QByteArray::number(cyclesAmount)) + "\n}\n";

    // The commit names a failure on the console itself.
    if (!SettingsFileHelper::commit(filePath, text, true))
        return false;
    emit saved();
    return true;
}

void ExperimentScenario::addStep(KestrumBaseDevice::KestrumAction action, ScenarioStep* step)
{
    QList<ScenarioStep*>* steps = stepsFor(action);
    if (!step || !steps)
        return;
    step->type = action;
    steps->append(step);
}

QList<ScenarioStep*>* ExperimentScenario::stepsFor(KestrumBaseDevice::KestrumAction action)
{
    return const_cast<QList<ScenarioStep*>*>(std::as_const(*this).stepsFor(action));
}

const QList<ScenarioStep*>* ExperimentScenario::stepsFor(KestrumBaseDevice::KestrumAction action) const
{
    switch (action) {
    case KestrumBaseDevice::Light:
        return &stepsLight;
    case KestrumBaseDevice::Circuit:
        return &stepsCircuit;
    case KestrumBaseDevice::Sound:
        return &stepsSound;
    }
    return nullptr;
}

namespace {
std::optional<KestrumBaseDevice::KestrumAction> channelOf(int number)
{
    if (number < KestrumBaseDevice::Light || number > KestrumBaseDevice::Sound)
        return std::nullopt;
    return KestrumBaseDevice::KestrumAction(number);
}
} // namespace

void ExperimentScenario::addStep(int channel, ScenarioStep* step)
{
    if (const auto action = channelOf(channel))
        addStep(*action, step);
}

QList<ScenarioStep*>* ExperimentScenario::stepsFor(int channel)
{
    const auto action = channelOf(channel);
    return action ? stepsFor(*action) : nullptr;
}

bool ExperimentScenario::isEmpty() const
{
    return stepsCircuit.isEmpty() && stepsLight.isEmpty() && stepsSound.isEmpty();
}

void ExperimentScenario::resetSteps()
{
    for (const StepList& list : stepLists)
        for (ScenarioStep* step : *stepsFor(list.action))
            step->done = false;
}

QJsonObject ExperimentScenario::toJson() const
{
    QJsonObject root;
    for (const StepList& list : stepLists) {
        QJsonArray array;
        for (const ScenarioStep* step : *stepsFor(list.action))
            array.append(stepJson(*step));
        root.insert(QLatin1String(list.key), array);
    }
    root.insert(QStringLiteral("cycleDurationMs"), cycleDurationMs);
    root.insert(QStringLiteral("cyclesAmount"), cyclesAmount);
    return root;
}
