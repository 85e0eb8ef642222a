#include "StartleReaction.h"

#include "KestrumConstants.h"
#include "SensorSample.h"
#include "TextHelper.h"

#include <QMap>
#include <QVariant>

#include <cmath>

namespace {

using namespace KestrumConstants;

// Times beyond what any clock gives are refused, so that latencies and durations computed from
// a damaged list cannot overflow.
qint64 timeField(const QMap<QString, QVariant>& fields, const QString& key)
{
    bool ok = false;
    const qint64 value = fields.value(key).toString().toLongLong(&ok);
    return ok && std::llabs(value) <= SensorSample::MaxTimeMs ? value : 0;
}

double amplitudeField(const QMap<QString, QVariant>& fields)
{
    bool ok = false;
    const double value = fields.value(StimulusAmplitudeKey).toString().toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

} // namespace

StartleReaction::StartleReaction(const QString& text)
{
    const QMap<QString, QVariant> fields = TextHelper::ParseTextValueMap(text, FieldSeparator, KeySeparator);
    type = fields.value(StimulusTypeKey).toString();
    stimulusStartMs = timeField(fields, StimulusRecordStartMsKey);
    stimulusEndMs = timeField(fields, StimulusRecordEndMsKey);
    startMs = timeField(fields, StimulusStartMsKey);
    endMs = timeField(fields, StimulusEndMsKey);
    durationMs = timeField(fields, StimulusDurationMsKey);
    amplitude = amplitudeField(fields);
}

QString StartleReaction::toText() const
{
    const QMap<QString, QVariant> fields{
        {StimulusTypeKey, type},
        {StimulusStartMsKey, startMs},
        {StimulusEndMsKey, endMs},
        {StimulusDurationMsKey, durationMs},
        {StimulusAmplitudeKey, amplitude},
        {StimulusRecordStartMsKey, stimulusStartMs},
        {StimulusRecordEndMsKey, stimulusEndMs},
    };
    return TextHelper::StringifyTextValueMap(fields, FieldSeparator, KeySeparator);
}
