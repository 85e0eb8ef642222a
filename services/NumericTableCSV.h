#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QFile;
class QIODevice;

// A table of numeric columns, each with a header name and a cell format, saved and loaded as
// text separated by ";" or in a compact binary form, or recorded row by row into an open file.
//
// Text form: the header line, then one line a row, every field followed by ";", lines ending in
// "\n"; numbers in the C locale (a loader also takes "1,5" for 1.5). Binary form: the lines
// "[Binary]", the headers, the type names and the sizes in bytes, each field followed by ";",
// then the rows as big-endian cells of exactly the stated sizes: int8, int16, int32, int64,
// float (4 bytes) or double (8 bytes). Integer cells keep the nearest value their type holds.
// Whole files are replaced atomically, a continuous record is flushed after every row, and every
// failure answers false and is named on the message console. A binary file whose header lines
// disagree or name an unknown type does not load; a truncated last row is left out, with a
// message.
class NumericTableCSV : public QObject
{
    Q_OBJECT

public:
    enum CellNumberFormat {
        CellNumberFormat_Double = 0,
        CellNumberFormat_Int8 = 1,
        CellNumberFormat_Int16 = 2,
        CellNumberFormat_Int = 3,
        CellNumberFormat_Int32 = 3,
        CellNumberFormat_Int64 = 4,
        CellNumberFormat_Double_1precision = 5,
        CellNumberFormat_Double_2precision = 6,
        CellNumberFormat_Double_3precision = 7,
        CellNumberFormat_Text = 13,
    };
    Q_ENUM(CellNumberFormat)

    explicit NumericTableCSV(QObject* parent = nullptr);
    ~NumericTableCSV() override;

    // Exact, case-sensitive; -1 when absent.
    int columnIndex(const QString& name) const;
    // Replaces the headers and removes all rows.
    void setHeaders(const QList<QString>& headers);
    // Appends a column, a cell 0 in every row; nothing happens for a name already there.
    void addHeader(const QString& name, CellNumberFormat format = CellNumberFormat_Double);
    int headerCount() const;
    // A column missing from the map counts as CellNumberFormat_Double.
    QMap<int, CellNumberFormat> cellFormats() const;
    void setCellFormat(const QString& column, CellNumberFormat format);
    void setCellFormat(int column, CellNumberFormat format);
    // The last file written.
    QString currentFilePath() const;

    // Rows up to `row` are added, filled with 0.0, when missing; ignored for a negative row or a
    // column outside the headers.
    void setValue(int row, const QString& column, const QVariant& value);
    void setValue(int row, int column, const QVariant& value);
    // The cell of the column in every row.
    void setColumnValue(const QString& column, const QVariant& value);
    void setColumnValue(int column, const QVariant& value);
    // The value 0 outside the table.
    QVariant valueAt(const QString& column, int row) const;
    QVariant valueAt(int column, int row) const;
    double doubleValueAt(const QString& column, int row) const;
    double doubleValueAt(int column, int row) const;
    // The cells of rows firstRow up to, not including, endRow; a negative firstRow counts as 0,
    // a negative endRow or one beyond the table as the row count.
    QList<QVariant> valuesAt(const QString& column, int firstRow = 0, int endRow = -1) const;
    QList<QVariant> valuesAt(int column, int firstRow = 0, int endRow = -1) const;
    QList<double> doubleValuesAt(const QString& column, int firstRow = 0, int endRow = -1) const;
    QList<double> doubleValuesAt(int column, int firstRow = 0, int endRow = -1) const;
    // Removes all rows; keeps headers and formats.
    void resetValues();

    // False for a table without headers or rows.
    bool save(const QString& path, bool text);
    // Closes a record already open, opens the file and writes its header lines.
    bool startContinuousRecord(const QString& path, bool text);
    // Appends the last row to the record file.
    bool writeLastLine();
    // False when no record was open or its last writes failed.
    bool stopWriting();
    // Text rows hold the fields as texts, one more (empty) than the headers as every line ends
    // with ";"; a text load keeps the cell formats, a binary one takes them from the file.
    bool load(const QString& path);

protected:
    bool writeHeaders(QIODevice* file, bool text);
    bool writeDataLine(QIODevice* file, const QList<QVariant>& row, bool text) const;

private:
    bool loadBinary(const QByteArray& bytes, const QString& path);
    bool loadText(const QByteArray& bytes, const QString& path);
    bool refuse(const QString& path, const QString& problem) const;

    QList<QString> headers;
    QList<QList<QVariant>> rows;
    QString currentPath;
    QMap<int, CellNumberFormat> formats;
    std::unique_ptr<QFile> recordFile;
    bool recordAsText = true;
    QList<int> columnCodes;
};
