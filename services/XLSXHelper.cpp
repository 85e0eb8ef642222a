#include "XLSXHelper.h"

#include "SettingsFileHelper.h"
#include "TextHelper.h"
#include "XlsxDocument.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
const QString decimalPoint = QStringLiteral(".");

QString headerText(const QTableWidgetItem* item)
{
    return item ? item->text() : QString();
}
} // namespace

QVariant XLSXHelper::convertItemToNumber(const QTableWidgetItem* item)
{
    if (!item)
        return QString();
    const QString text = item->text();
    bool isNumber = false;
    const double number = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&isNumber);
    // "nan" and "inf" read as numbers, but such a cell is refused by spreadsheet programs.
    if (isNumber && std::isfinite(number))
        return number;
    return text;
}

QVariant XLSXHelper::exportValue(const QTableWidgetItem* item)
{
    const QVariant exported = item ? item->data(exportRole) : QVariant();
    return exported.isValid() ? exported : convertItemToNumber(item);
}

XlsxDocument* XLSXHelper::tableToXLSX(XlsxDocument* document, const QTableWidget* table, const QString& sheetName,
                                      int* rows)
{
    document->addSheet(sheetName);
    const bool verticalHeader = table->verticalHeader()->isEnabled();
    const bool horizontalHeader = table->horizontalHeader()->isEnabled();
    const int rowOffset = horizontalHeader ? 2 : 1;
    const int columnOffset = verticalHeader ? 2 : 1;
    for (int r = 0; verticalHeader && r < table->rowCount(); ++r) {
        if (const QTableWidgetItem* item = table->verticalHeaderItem(r))
            document->write(rowOffset + r, 1, item->text());
    }
    for (int c = 0; horizontalHeader && c < table->columnCount(); ++c) {
        if (const QTableWidgetItem* item = table->horizontalHeaderItem(c))
            document->write(1, columnOffset + c, item->text());
    }
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            if (const QTableWidgetItem* item = table->item(r, c))
                document->write(rowOffset + r, columnOffset + c, exportValue(item));
        }
    }
    if (rows)
        *rows = table->rowCount() + 1;
    document->autosizeColumnWidth();
    return document;
}

XlsxDocument* XLSXHelper::tableToXLSX(const QTableWidget* table, const QString& sheetName, int* rows)
{
    return tableToXLSX(new XlsxDocument, table, sheetName, rows);
}

bool XLSXHelper::saveTableToXLSX(const QTableWidget* table, const QString& fileName, const QString& sheetName)
{
    const std::unique_ptr<XlsxDocument> document(tableToXLSX(table, sheetName));
    return document->saveAs(fileName);
}

QList<XLSXHelper::TextPair> XLSXHelper::tableHeaderTooltips(const QTableWidget* table)
{
    QList<TextPair> pairs;
    for (int c = 0; table && c < table->columnCount(); ++c) {
        const QTableWidgetItem* item = table->horizontalHeaderItem(c);
        if (item && !item->text().isEmpty() && !item->toolTip().isEmpty())
            pairs.append({item->text(), item->toolTip()});
    }
    return pairs;
}

void XLSXHelper::tableHeaderTooltipsToXLSX(XlsxDocument* document, const QString& sheetName, const QTableWidget* table)
{
    if (document && table)
        fillSheet(document, sheetName, tableHeaderTooltips(table));
}

void XLSXHelper::fillSheet(XlsxDocument* document, const QString& sheetName, const QList<TextPair>& pairs)
{
    if (!document)
        return;
    document->addSheet(sheetName);
    for (int i = 0; i < pairs.size(); ++i) {
        document->write(i + 1, 1, pairs.at(i).first);
        document->write(i + 1, 2, pairs.at(i).second);
    }
    document->autosizeColumnWidth();
}

QString XLSXHelper::csvField(const QString& text, const QString& cellSeparator)
{
    const bool quoted = text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
                        || text.contains(QLatin1Char('\r'))
                        || (!cellSeparator.isEmpty() && text.contains(cellSeparator));
    if (!quoted)
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString XLSXHelper::csvValue(const QVariant& value, bool localDecimalPoint)
{
    const bool decimal = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
    if (decimal && !std::isfinite(value.toDouble()))
        return QString();
    const QString text = value.toString();
    return decimal && localDecimalPoint ? QString(text).replace(decimalPoint, TextHelper::numDecimalSeparator()) : text;
}

bool XLSXHelper::writeCSV(const QString& fileName, const QString& text)
{
    return SettingsFileHelper::commit(fileName, QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8());
}

bool XLSXHelper::saveXLSXtoCSV(XlsxDocument* document, const QString& fileName, const QString& cellSeparator,
                               const QString& rowSeparator)
{
    if (!document)
        return false;
    const QString wasCurrent = document->currentSheetName();
    QString text;
    for (const QString& name : document->sheetNames()) {
        document->selectSheet(name);
        text += csvField(name, cellSeparator) + rowSeparator + rowSeparator;
        for (int row = 1; row <= document->lastRow(); ++row) {
            for (int column = 1; column <= document->lastColumn(); ++column)
                text += csvField(csvValue(document->cellAt(row, column), true), cellSeparator) + cellSeparator;
            text += rowSeparator;
        }
        text += rowSeparator + rowSeparator;
    }
    document->selectSheet(wasCurrent);
    return writeCSV(fileName, text);
}

bool XLSXHelper::dataToCSV(const QList<Block>& blocks, const QString& fileName, const QString& cellSeparator,
                           const QString& rowSeparator)
{
    QString text;
    for (const Block& block : blocks) {
        text += csvField(block.first, cellSeparator) + rowSeparator;
        for (const QList<QVariant>& row : block.second) {
            for (const QVariant& value : row)
                text += csvField(csvValue(value, false), cellSeparator) + cellSeparator;
            text += rowSeparator;
        }
        text += rowSeparator + rowSeparator;
    }
    return writeCSV(fileName, text);
}

bool XLSXHelper::dataToCSV(const Rows& rows, const QString& fileName, const QString& blockName,
                           const QString& cellSeparator, const QString& rowSeparator)
{
    return dataToCSV(QList<Block>{{blockName, rows}}, fileName, cellSeparator, rowSeparator);
}

bool XLSXHelper::dataToCSV(const QList<QList<QString>>& rows, const QString& fileName, const QString& blockName,
                           const QString& cellSeparator, const QString& rowSeparator)
{
    Rows values;
    for (const QList<QString>& row : rows)
        values.append(QList<QVariant>(row.cbegin(), row.cend()));
    return dataToCSV(values, fileName, blockName, cellSeparator, rowSeparator);
}

bool XLSXHelper::dataToXLSX(const QList<Block>& blocks, const QString& fileName)
{
    if (blocks.isEmpty())
        return false;
    XlsxDocument document;
    for (const Block& block : blocks) {
        document.addSheet(block.first);
        for (int i = 0; i < block.second.size(); ++i) {
            for (int j = 0; j < block.second.at(i).size(); ++j)
                document.write(i + 1, j + 1, block.second.at(i).at(j));
        }
        document.autosizeColumnWidth();
    }
    document.selectSheet(document.sheetNames().constFirst());
    return document.saveAs(fileName);
}

bool XLSXHelper::dataToXLSX(const Rows& rows, const QString& fileName, const QString& sheetName)
{
    return dataToXLSX(QList<Block>{{sheetName, rows}}, fileName);
}

QString XLSXHelper::tableToCSVString(const QTableWidget* table, const QString& cellSeparator,
                                     const QString& rowSeparator)
{
    const bool horizontalHeader = table->horizontalHeader()->isVisible();
    const bool verticalHeader = horizontalHeader && table->verticalHeader()->isVisible();
    QList<QStringList> rows;
    if (horizontalHeader) {
        QStringList header;
        if (verticalHeader)
            header << QString();
        for (int c = 0; c < table->columnCount(); ++c)
            header << headerText(table->horizontalHeaderItem(c));
        rows << header;
    }
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList row;
        if (verticalHeader)
            row << headerText(table->verticalHeaderItem(r));
        for (int c = 0; c < table->columnCount(); ++c)
            row << csvValue(convertItemToNumber(table->item(r, c)), false);
        rows << row;
    }
    QString text;
    for (QStringList& row : rows) {
        for (QString& field : row)
            field = csvField(field, cellSeparator);
        text += row.join(cellSeparator) + rowSeparator;
    }
    return text;
}

XLSXHelper::Rows XLSXHelper::transpose(const Rows& rows)
{
    qsizetype width = 0;
    for (const QList<QVariant>& row : rows)
        width = std::max(width, row.size());
    Rows result(width, QList<QVariant>(rows.size(), QString()));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        for (qsizetype j = 0; j < rows.at(i).size(); ++j)
            result[j][i] = rows.at(i).at(j);
    }
    return result;
}
