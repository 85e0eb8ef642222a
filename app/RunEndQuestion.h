#pragma once

#include <QString>

// Whether the runs may end for what the experimenter is about to do: true when none goes on,
// or when the experimenter agrees to the question, whose "yes" button names the action. The
// box is captioned "Эксперимент идёт" ("Experiment running").
namespace RunEndQuestion {
bool agreed(const QString& question, const QString& yes);
} // namespace RunEndQuestion
