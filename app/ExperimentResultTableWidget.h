#pragma once

#include "ResultColumn.h"

#include <QList>
#include <QWidget>

class Experiment_Stats;
class QTableWidgetItem;
class QTableWidgetWithCopyPaste;

// A results table whose last two columns, the animal and the comment of each run, can be edited
// in place and are written back to the run's record; its sort column and order are kept in the
// application settings. A second table stands below the first.
class ExperimentResultTableWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ExperimentResultTableWidget(QWidget* parent = nullptr);

    // One row per record (not owned; they must outlive the next call), one column per column;
    // the last two columns are the animal and the comment.
    void setRecords(const QList<Experiment_Stats*>& records, const QList<ResultColumn>& columns);
    QTableWidgetWithCopyPaste* mainTable() const { return table; }

signals:
    // code 2: the animal, 3: the comment.
    void itemChanged(const QString& name, int code, const QString& text);

private:
    void onSortIndicatorChanged(int column, Qt::SortOrder order);
    void onItemChanged(QTableWidgetItem* item);

    QList<Experiment_Stats*> records;
    QList<ResultColumn> columns;
    QTableWidgetWithCopyPaste* table;
    QTableWidgetWithCopyPaste* secondTable;
};
