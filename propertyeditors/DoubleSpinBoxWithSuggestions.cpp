#include "DoubleSpinBoxWithSuggestions.h"

#include <algorithm>
#include <cmath>

DoubleSpinBoxWithSuggestions::DoubleSpinBoxWithSuggestions(QWidget* parent)
    : DecimalSpinBox(parent)
{
}

void DoubleSpinBoxWithSuggestions::setSuggestions(const QList<double>& values)
{
    suggestions = values;
}

QList<double> DoubleSpinBoxWithSuggestions::getSuggestions() const
{
    return suggestions;
}

void DoubleSpinBoxWithSuggestions::stepBy(int steps)
{
    if (suggestions.isEmpty()) {
        DecimalSpinBox::stepBy(steps);
        return;
    }
    // A number typed and not yet taken is where the step starts, as with an ordinary step.
    interpretText();
    const qsizetype target = std::clamp<qsizetype>(qsizetype(nearestSuggestion()) + steps, 0, suggestions.size() - 1);
    setValue(suggestions.at(target));
}

int DoubleSpinBoxWithSuggestions::nearestSuggestion() const
{
    int nearest = 0;
    for (int i = 1; i < suggestions.size(); ++i)
        if (std::abs(suggestions.at(i) - value()) < std::abs(suggestions.at(nearest) - value()))
            nearest = i;
    return nearest;
}
