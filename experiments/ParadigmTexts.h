#pragma once

#include <QString>

// Status and progress texts the zone paradigms show in the experiment panel. Shared words are
// translated in the context "Generic", once, on first use.
class ParadigmTexts
{
public:
    // Start: "Awaiting rodent", followed by where it is awaited when that is given. Stop:
    // "Experiment finished", or "Initialize background" while no background is stored.
    static QString runStatus(bool start, bool backgroundStored, const QString& where = QString());
    // "on the left side" or "on the right side".
    static QString onSide(bool left);
    // The text in an HTML span of the colour.
    static QString coloured(const QString& colour, const QString& text);
    // "<word> (<current> mA)" in the colour of a stimulus.
    static QString stimulation(const QString& word, double milliamperes);
    // " s", translated.
    static QString secondsSuffix();
};
