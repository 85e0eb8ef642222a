#pragma once

#include "TypedNumberSpinBox.h"

#include <QList>

// A floating-point spin box whose arrows and keys move from one suggested value to the next; a
// value between suggestions first snaps to its nearest one. Without suggestions it steps as usual.
class DoubleSpinBoxWithSuggestions : public DecimalSpinBox
{
    Q_OBJECT
public:
    explicit DoubleSpinBoxWithSuggestions(QWidget* parent = nullptr);

    void setSuggestions(const QList<double>& values);
    QList<double> getSuggestions() const;

    void stepBy(int steps) override;

private:
    int nearestSuggestion() const;

    QList<double> suggestions;
};
