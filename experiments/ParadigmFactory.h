#pragma once

#include "Clock.h"

#include <QString>

class BaseExperiment;
class Experiment_Stats;

// How the paradigms make their result records and their copies for the panels.
class ParadigmFactory
{
public:
    // A record of the paradigm's own type on a Stats.xml path, loaded from that file.
    template <typename Record>
    static Experiment_Stats* loadedRecord(const QString& statsPath, Clock* clock, bool autoSave = true)
    {
        auto* record = new Record(statsPath, autoSave, nullptr, clock);
        record->reload();
        return record;
    }

    // A copy on the same folder that reads the type's saved settings and never writes them.
    template <typename Paradigm>
    static BaseExperiment* settingsCopy(const QString& folder)
    {
        auto* copy = new Paradigm(folder);
        copy->loadSettingsReadOnly();
        return copy;
    }
};
