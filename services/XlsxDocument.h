#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// A workbook held in memory: named sheets of cells (rows and columns counted from 1) that can be
// read back, then written out as one XLSX file. The file library only writes, so the cells stay
// here until the save, which also sizes the columns that asked for it.
//
// Sheet names are made acceptable to spreadsheet programs as the sheets are added: at most 31
// characters, none of []:*?/\ and unique regardless of case. Numbers that are not finite are not
// stored (the cell stays empty), since spreadsheet programs call a file holding them damaged.
class XlsxDocument
{
public:
    // Adds a sheet, which becomes the current one; answers the name it was given.
    QString addSheet(const QString& name);
    bool selectSheet(const QString& name);
    QString currentSheetName() const;
    QStringList sheetNames() const;

    void write(int row, int column, const QVariant& value);
    // The value in the current sheet; invalid for an empty cell.
    QVariant cellAt(int row, int column) const;
    // The last used row and column of the current sheet; 0 for an empty one.
    int lastRow() const;
    int lastColumn() const;
    // The columns of the current sheet are sized to their contents when the file is written.
    void autosizeColumnWidth();

    // Writes the workbook, opening on the current sheet, in place of the file; false (and a
    // console message) when it cannot.
    bool saveAs(const QString& path) const;

    static QString acceptableSheetName(const QString& name, const QStringList& taken);
    static bool isStoredAsNumber(const QVariant& value);

private:
    struct Sheet
    {
        QString name;
        QHash<quint64, QVariant> cells;
        int lastRow = 0;
        int lastColumn = 0;
        bool autosize = false;
    };

    static quint64 cellKey(int row, int column);
    bool writeWorkbook(const QString& path) const;

    QList<Sheet> sheets;
    int current = -1;
};
