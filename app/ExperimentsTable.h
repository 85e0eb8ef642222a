#pragma once

#include "ResultColumn.h"

#include <QList>
#include <QVariant>
#include <QWidget>

#include <functional>

class Experiment_Stats;
class QTableWidget;
class QTableWidgetItem;
class XlsxDocument;

// The results of the selected runs: one row per run, one column per result value, and below
// them seven statistic rows (count, mean, dispersion, standard deviation, minimum, maximum, sum)
// over the runs. A single run can list its cycles under it, with the statistics over the cycles.
// A missing value ("-") is left out of the statistics, never counted as 0. The table and one
// sheet per run can be exported to an XLSX workbook or a CSV file: names exactly as shown, and
// the figures, which the screen rounds, at the record's own resolution (times to the
// millisecond, counts whole).
class ExperimentsTable : public QWidget
{
    Q_OBJECT

public:
    explicit ExperimentsTable(QWidget* parent = nullptr);

    // The records are not owned; they must outlive the next fill.
    void fillStatistics(const QList<Experiment_Stats*>& records, const QList<ResultColumn>& columns);
    void setShowCycles(bool show);
    void setShowCyclesVerbose(bool show);
    // The title a run's row shows; the run's own title when none is given.
    void setRunTitles(std::function<QString(const Experiment_Stats*)> titleOf);
    // Asks for the file and writes it; its name, or empty when nothing was written. A name with
    // neither suffix gets the suffix of the filter the dialog was left on, and that format.
    QString exportSpreadsheet();
    // The shown table, one sheet per run when there are several and the header descriptions, in
    // the format "xlsx" or "csv"; false (after telling the user) when it was not written.
    bool writeSpreadsheet(const QString& path, const QString& format);
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
    // Writes, and remembers the format picked; the name, or empty.
    QString writtenAs(const QString& path, const QString& format);

    struct Cell
    {
        QString text;
        Qt::Alignment alignment = Qt::AlignRight;
        bool counted = false;
        double number = 0;
        QVariant exported;
    };

    void dropTable();
    QTableWidget* createTable();
    int cycleStartRow() const;
    QString runTitle(const Experiment_Stats* record) const;
    void fillRow(int row, Experiment_Stats* record, const QString& title, bool collect);
    Cell valueCell(const ResultColumn& column, Experiment_Stats* record) const;
    void fillStatisticRows(int firstRow);
    // The item exports `exported`, or its text when that is not given.
    void setCell(int row, int column, const QString& text, Qt::Alignment alignment,
                 const QVariant& exported = QVariant());
    void completeCells();
    QString exportName() const;
    void addRunSheets(XlsxDocument& document) const;

    QTableWidget* shownTable = nullptr;
    QList<Experiment_Stats*> records;
    QList<ResultColumn> columns;
    QList<QList<double>> collected;
    bool showCycles = true;
    bool showCycleStatistics = false;
    std::function<QString(const Experiment_Stats*)> titleOf;
};
