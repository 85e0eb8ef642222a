#pragma once

#include "ResultColumn.h"

#include <QList>
#include <QWidget>

class Experiment_Stats;
class QTableWidget;
class QTableWidgetItem;
class XlsxDocument;

// The results of the selected runs: one row per run, one column per result value, and below
// them seven statistic rows (count, mean, dispersion, standard deviation, minimum, maximum, sum)
// over the runs. A single run can list its cycles under it, with the statistics over the cycles.
// A missing value ("-") is left out of the statistics, never counted as 0. The table and one
// sheet per run can be exported to an XLSX workbook or a CSV file.
class ExperimentsTable : public QWidget
{
    Q_OBJECT

public:
    explicit ExperimentsTable(QWidget* parent = nullptr);

    // The records are not owned; they must outlive the next fill.
    void fillStatistics(const QList<Experiment_Stats*>& records, const QList<ResultColumn>& columns);
    void setShowCycles(bool show);
    void setShowCyclesVerbose(bool show);
    // Asks for the file and writes it; its name, or empty when nothing was written.
    QString exportSpreadsheet();
    // The shown table, one sheet per run when there are several and the header descriptions, as
    // XLSX or, for a ".csv" name, as CSV; false (after telling the user) when it was not written.
    bool writeSpreadsheet(const QString& path);
    // The row count plus one; 0 without a table.
    int rowCountForExport() const;
    // Null while there are no records or no columns.
    QTableWidget* table() const { return shownTable; }

signals:
    void pickExportFolder(QString& folder);
    void pickExportFormat(QString& format);
    void exportFormatPicked(const QString& format);
    void rebuilt();

private:
    struct Cell
    {
        QString text;
        Qt::Alignment alignment = Qt::AlignRight;
        bool counted = false;
        double number = 0;
    };

    void dropTable();
    QTableWidget* createTable();
    int cycleStartRow() const;
    void fillRow(int row, Experiment_Stats* record, bool collect);
    Cell valueCell(const ResultColumn& column, Experiment_Stats* record) const;
    void fillStatisticRows(int firstRow);
    void setCell(int row, int column, const QString& text, Qt::Alignment alignment);
    void completeCells();
    QString exportName() const;
    void addRunSheets(XlsxDocument& document) const;

    QTableWidget* shownTable = nullptr;
    QList<Experiment_Stats*> records;
    QList<ResultColumn> columns;
    QList<QList<double>> collected;
    bool showCycles = true;
    bool showCycleStatistics = false;
};
