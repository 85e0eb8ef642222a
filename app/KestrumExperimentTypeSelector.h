#pragma once

#include "ConnectionHelper.h"

#include <QWidget>

class QComboBox;

// The choice of paradigm: one item per paradigm of the model, with its icon and translated name.
// A choice while a run goes on asks first; the model then stops every run before it switches.
// The combo follows the model's current paradigm, whoever changed it.
class KestrumExperimentTypeSelector : public QWidget
{
    Q_OBJECT

public:
    explicit KestrumExperimentTypeSelector(QWidget* parent = nullptr);

    QComboBox* comboBox() const { return m_combo; }

signals:
    void experimentTypeSelected(QString experimentType);
    void experimentTypeIndexSelected(int index);

private:
    void choose(int index);
    void showType(const QString& typeKey);

    QComboBox* m_combo;
    ConnectionHelper m_connections;
};
