#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class QTableWidget;
class QTableWidgetItem;
class XlsxDocument;

// Tables and rows of values to spreadsheet files: XLSX workbooks and separated text ("CSV").
// CSV fields holding a separator, a quote or a line break are quoted (quotes doubled), and the
// files begin with the UTF-8 byte-order mark so spreadsheet programs read Cyrillic right. Every
// file is written whole or not at all; false means nothing new is on disk.
class XLSXHelper
{
public:
    using Rows = QList<QList<QVariant>>;
    using Block = QPair<QString, Rows>;
    using TextPair = QPair<QString, QString>;

    // tableToXLSX writes a table item that holds a value under this role with that value (a text
    // stays a text however much it looks like a number), so that a table can show its figures
    // rounded and still export them whole; other items as convertItemToNumber reads them.
    static constexpr int exportRole = Qt::UserRole + 1;

    XLSXHelper() = delete;

    // A finite number when the item's text reads as one (a comma taken for the decimal point),
    // else the text; the empty text for no item.
    static QVariant convertItemToNumber(const QTableWidgetItem* item);

    // Adds the table as a sheet: the horizontal header (when enabled) in row 1, the vertical
    // header (when enabled) in column 1. rows, when given, receives the row count plus one.
    static XlsxDocument* tableToXLSX(XlsxDocument* document, const QTableWidget* table, const QString& sheetName,
                                     int* rows = nullptr);
    // A new document, owned by the caller, holding that one sheet.
    static XlsxDocument* tableToXLSX(const QTableWidget* table, const QString& sheetName, int* rows = nullptr);
    static bool saveTableToXLSX(const QTableWidget* table, const QString& fileName, const QString& sheetName);

    // (header text, tool tip) of every column whose header has both.
    static QList<TextPair> tableHeaderTooltips(const QTableWidget* table);
    static void tableHeaderTooltipsToXLSX(XlsxDocument* document, const QString& sheetName, const QTableWidget* table);
    static void fillSheet(XlsxDocument* document, const QString& sheetName, const QList<TextPair>& pairs);

    // Every sheet as a section titled by its name; decimals with the system's decimal separator.
    static bool saveXLSXtoCSV(XlsxDocument* document, const QString& fileName, const QString& cellSeparator,
                              const QString& rowSeparator);
    // One section per block, values as they stand.
    static bool dataToCSV(const QList<Block>& blocks, const QString& fileName, const QString& cellSeparator,
                          const QString& rowSeparator);
    static bool dataToCSV(const Rows& rows, const QString& fileName, const QString& blockName,
                          const QString& cellSeparator, const QString& rowSeparator);
    static bool dataToCSV(const QList<QList<QString>>& rows, const QString& fileName, const QString& blockName,
                          const QString& cellSeparator, const QString& rowSeparator);
    // One sheet per block; false, with no file written, for no blocks.
    static bool dataToXLSX(const QList<Block>& blocks, const QString& fileName);
    static bool dataToXLSX(const Rows& rows, const QString& fileName, const QString& sheetName);

    // The cells (with the visible headers) as text; no separator after a row's last value.
    static QString tableToCSVString(const QTableWidget* table, const QString& cellSeparator,
                                    const QString& rowSeparator);
    // Rows become columns; short rows are padded with empty texts.
    static Rows transpose(const Rows& rows);

    static QString csvField(const QString& text, const QString& cellSeparator);

private:
    static QVariant exportValue(const QTableWidgetItem* item);
    static QString csvValue(const QVariant& value, bool localDecimalPoint);
    static bool writeCSV(const QString& fileName, const QString& text);
};
