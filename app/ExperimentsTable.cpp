#include "ExperimentsTable.h"

#include "AppHelper.h"
#include "Experiment_Stats.h"
#include "LanguageContext.h"
#include "NumericFunctions.h"
#include "TextHelper.h"
#include "XLSXHelper.h"
#include "XlsxDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHash>
#include <QHeaderView>
#include <QTableWidget>

#include <cmath>
#include <memory>

namespace {
constexpr int statisticRows = 7;
// Below this a value is a stand-in for "none" (the smallest int, read as milliseconds).
constexpr double lowestValue = -2147482.0;
const QString missing = QStringLiteral("-");

QString decimals(double value)
{
    return TextHelper::numToStr(value, 2, false);
}

bool isNan(const QString& text)
{
    return text.toLower() == QLatin1String("nan");
}

// Times leave in seconds to the millisecond that records hold, a dispersion of times (in square
// seconds) to the square millisecond.
constexpr double perMillisecond = 1000.0;
constexpr double perSquareMillisecond = 1000000.0;

double roundedTo(double value, double perUnit)
{
    return std::round(value * perUnit) / perUnit;
}

// A whole number leaves as one, so that no reader of the file sees "1e+06" for a count.
QVariant exactFigure(double value)
{
    constexpr double exactIntegers = 9007199254740992.0;
    if (value == std::floor(value) && std::abs(value) < exactIntegers)
        return qlonglong(value);
    return value;
}
} // namespace

ExperimentsTable::ExperimentsTable(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void ExperimentsTable::setShowCycles(bool show)
{
    showCycles = show;
    fillStatistics(records, columns);
}

void ExperimentsTable::setShowCyclesVerbose(bool show)
{
    showCycleStatistics = show;
    fillStatistics(records, columns);
}

void ExperimentsTable::setRunTitles(std::function<QString(const Experiment_Stats*)> titles)
{
    titleOf = std::move(titles);
}

QString ExperimentsTable::runTitle(const Experiment_Stats* record) const
{
    return titleOf ? titleOf(record) : record->title();
}

int ExperimentsTable::rowCountForExport() const
{
    return shownTable ? shownTable->rowCount() + 1 : 0;
}

void ExperimentsTable::dropTable()
{
    if (!shownTable)
        return;
    shownTable->hide();
    layout()->removeWidget(shownTable);
    shownTable->clear();
    shownTable->deleteLater();
    shownTable = nullptr;
}

void ExperimentsTable::fillStatistics(const QList<Experiment_Stats*>& newRecords, const QList<ResultColumn>& newColumns)
{
    dropTable();
    records = newRecords;
    columns = newColumns;
    if (records.isEmpty() || columns.isEmpty())
        return;
    collected = QList<QList<double>>(columns.size());
    shownTable = createTable();
    const bool single = records.size() == 1;
    const bool noStats = single && !records.constFirst()->hasCycleStatistics();
    QList<Experiment_Stats*> cycles;
    int rows = int(records.size());
    if (single && showCycles) {
        // The cycles are items the record makes for this fill only.
        cycles = records.constFirst()->buildResult();
        rows += 1 + int(cycles.size());
    }
    const bool statistics = (!single || (showCycles && showCycleStatistics)) && !noStats;
    if (statistics)
        rows += 1 + statisticRows;
    shownTable->setRowCount(rows);
    for (int k = 0; k < records.size(); ++k)
        fillRow(k, records.at(k), runTitle(records.at(k)), !single);
    for (int j = 0; j < cycles.size(); ++j)
        fillRow(cycleStartRow() + j, cycles.at(j), QLatin1Char('~') + cycles.at(j)->title(), true);
    if (statistics)
        fillStatisticRows(int(records.size() + (single && showCycles ? cycles.size() + 2 : 1)));
    qDeleteAll(cycles);
    completeCells();
    emit rebuilt();
}

int ExperimentsTable::cycleStartRow() const
{
    return int(records.size()) + 1;
}

QTableWidget* ExperimentsTable::createTable()
{
    auto* table = new QTableWidget(this);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout()->addWidget(table);
    table->setColumnCount(int(columns.size()));
    QStringList headers;
    for (const ResultColumn& column : columns)
        headers << (column.suffix.isEmpty() ? column.title : column.title + QLatin1Char(',') + column.suffix.trimmed());
    table->setHorizontalHeaderLabels(headers);
    table->setSortingEnabled(false);
    table->verticalHeader()->setEnabled(false);
    table->verticalHeader()->hide();
    for (int c = 0; c < columns.size(); ++c)
        table->horizontalHeaderItem(c)->setToolTip(columns.at(c).description);
    table->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setSectionsMovable(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    return table;
}

void ExperimentsTable::fillRow(int row, Experiment_Stats* record, const QString& title, bool collect)
{
    const QStringList names = record->getPropertiesNames();
    for (int i = 0; i < columns.size(); ++i) {
        const ResultColumn& column = columns.at(i);
        if (column.key == QLatin1String("Title")) {
            const bool cycle = title.startsWith(QLatin1Char('~'));
            setCell(row, i, cycle ? title.mid(1) : title, cycle ? Qt::AlignRight : Qt::AlignLeft);
            continue;
        }
        if (!names.contains(column.key))
            continue;
        const Cell cell = valueCell(column, record);
        if (collect && cell.counted)
            collected[i].append(cell.number);
        setCell(row, i, cell.text, cell.alignment, cell.exported);
    }
}

ExperimentsTable::Cell ExperimentsTable::valueCell(const ResultColumn& column, Experiment_Stats* record) const
{
    const QVariant value = record->resultValue(column.key);
    Cell cell;
    bool isNumber = false;
    cell.number = value.toDouble(&isNumber);
    cell.counted = value.isValid() && isNumber && std::isfinite(cell.number);
    cell.text = value.isValid() ? value.toString() : missing;
    switch (column.kind) {
    case ResultColumn::Text:
        cell.alignment = Qt::AlignLeft;
        cell.counted = false;
        break;
    case ResultColumn::YesNo:
        if (!value.isValid())
            break;
        cell.counted = true;
        cell.number = cell.number != 0 ? 1 : 0;
        cell.text = generic(cell.number != 0 ? "Yes" : "No");
        break;
    case ResultColumn::Time:
        cell.number /= 1000.0;
        cell.counted = cell.counted && cell.number >= lowestValue;
        cell.text = cell.counted ? decimals(cell.number) : missing;
        break;
    case ResultColumn::Count:
        cell.counted = cell.counted && !isNan(cell.text) && cell.number >= lowestValue;
        cell.text = !cell.counted                            ? missing
                    : cell.number == std::floor(cell.number) ? QString::number(cell.number, 'f', 0)
                                                             : decimals(cell.number);
        break;
    default:
        break;
    }
    if (isNan(cell.text)) {
        cell.text = missing;
        cell.counted = false;
    }
    // Names, yes or no and "-" leave as shown, figures at the record's resolution.
    const bool figure = column.numeric && cell.counted && column.kind != ResultColumn::YesNo;
    cell.exported = !figure                             ? QVariant(cell.text)
                    : column.kind == ResultColumn::Time ? exactFigure(roundedTo(cell.number, perMillisecond))
                                                        : exactFigure(cell.number);
    return cell;
}

void ExperimentsTable::fillStatisticRows(int firstRow)
{
    // The mean's letter is a Russian one in Russian, so that label is translated whole.
    const QStringList labels = {generic(QT_TRANSLATE_NOOP("Generic", "Amount")) + QStringLiteral(" (N)"),
                                generic(QT_TRANSLATE_NOOP("Generic", "Average (M)")),
                                generic(QT_TRANSLATE_NOOP("Generic", "Dispersion")) + QStringLiteral(" (D)"),
                                generic(QT_TRANSLATE_NOOP("Generic", "CKO")),
                                generic(QT_TRANSLATE_NOOP("Generic", "Min")),
                                generic(QT_TRANSLATE_NOOP("Generic", "Max")),
                                generic(QT_TRANSLATE_NOOP("Generic", "Sum"))};
    for (int s = 0; s < statisticRows; ++s)
        setCell(firstRow + s, 0, labels.at(s), Qt::AlignRight);
    // The first column names the rows; the last two hold the animal and the comment.
    for (int c = 1; c <= columns.size() - 3; ++c) {
        const QList<double>& values = collected.at(c);
        if (values.isEmpty())
            continue;
        double lowest = 0;
        double highest = 0;
        double mean = 0;
        double dispersion = 0;
        double deviation = 0;
        minmax(values, lowest, highest);
        m_d_cko(values, &mean, &dispersion, &deviation);
        const double total = sum(values);
        const bool times = columns.at(c).kind == ResultColumn::Time;
        const auto figure = [times](double value, double perUnit) {
            return exactFigure(times ? roundedTo(value, perUnit) : value);
        };
        const QList<std::pair<QString, QVariant>> cells = {
            {QString::number(values.size()), qlonglong(values.size())},
            {decimals(mean), figure(mean, perMillisecond)},
            {decimals(dispersion), figure(dispersion, perSquareMillisecond)},
            {decimals(deviation), figure(deviation, perMillisecond)},
            {decimals(lowest), figure(lowest, perMillisecond)},
            {decimals(highest), figure(highest, perMillisecond)},
            {decimals(total), figure(total, perMillisecond)}};
        for (int s = 0; s < statisticRows; ++s)
            setCell(firstRow + s, c, cells.at(s).first, Qt::AlignRight, cells.at(s).second);
    }
}

void ExperimentsTable::setCell(int row, int column, const QString& text, Qt::Alignment alignment,
                               const QVariant& exported)
{
    auto* item = new QTableWidgetItem(isNan(text) ? QString() : text);
    item->setData(XLSXHelper::exportRole, exported.isValid() ? exported : QVariant(item->text()));
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    shownTable->setItem(row, column, item);
}

void ExperimentsTable::completeCells()
{
    for (int r = 0; r < shownTable->rowCount(); ++r) {
        for (int c = 0; c < shownTable->columnCount(); ++c) {
            if (!shownTable->item(r, c))
                setCell(r, c, QString(), Qt::AlignRight);
            QTableWidgetItem* item = shownTable->item(r, c);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        }
    }
}

QString ExperimentsTable::exportName() const
{
    QString name = records.constFirst()->title();
    if (records.size() > 1)
        name += QStringLiteral(" - ") + records.constLast()->title();
    return name;
}

QString ExperimentsTable::exportSpreadsheet()
{
    if (records.isEmpty())
        return QString();
    QString folder = QFileInfo(QFileInfo(records.constFirst()->getFilepath()).absolutePath()).absolutePath();
    emit pickExportFolder(folder);
    const QStringList formats = {QStringLiteral("xlsx"), QStringLiteral("csv")};
    const QStringList filterNames = {generic(QT_TRANSLATE_NOOP("Generic", "XLSX file")),
                                     generic(QT_TRANSLATE_NOOP("Generic", "Comma-Separated Values (CSV)"))};
    QString format = formats.constFirst();
    emit pickExportFormat(format);
    if (!formats.contains(format))
        format = formats.constFirst();
    // The chosen format's filter comes first, so the dialog starts on it.
    QStringList filters;
    QHash<QString, QString> formatOfFilter;
    for (int i = 0; i < formats.size(); ++i) {
        const QString filter = filterNames.at(i) + QStringLiteral(" (*.") + formats.at(i) + QLatin1Char(')');
        formatOfFilter.insert(filter, formats.at(i));
        formats.at(i) == format ? filters.prepend(filter) : filters.append(filter);
    }
    QString chosenFilter;
    const QString path =
        AppHelper::getSaveFileName(this, generic(QT_TRANSLATE_NOOP("Generic", "Save spreadsheet")),
                                   folder + QLatin1Char('/') + exportName() + QLatin1Char('.') + format,
                                   filters.join(QStringLiteral(";;")), &chosenFilter);
    if (path.isEmpty())
        return QString();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (formats.contains(suffix))
        return writtenAs(path, suffix);
    // As a save dialog does, a name typed without a spreadsheet's suffix gets the chosen
    // filter's; the dialog asked about replacing the name typed, not this one.
    format = formatOfFilter.value(chosenFilter, format);
    const QString completed = path + QLatin1Char('.') + format;
    if (QFileInfo::exists(completed)
        && !AppHelper::confirmDialog(generic(QT_TRANSLATE_NOOP("Generic", "Save spreadsheet")),
                                     tr("%1 already exists. Replace it?").arg(QDir::toNativeSeparators(completed))))
        return QString();
    return writtenAs(completed, format);
}

QString ExperimentsTable::writtenAs(const QString& path, const QString& format)
{
    if (!writeSpreadsheet(path, format))
        return QString();
    emit exportFormatPicked(format);
    return path;
}

bool ExperimentsTable::writeSpreadsheet(const QString& path, const QString& format)
{
    if (!shownTable)
        return false;
    XlsxDocument document;
    XLSXHelper::tableToXLSX(&document, shownTable,
                            records.size() == 1 ? records.constFirst()->title()
                                                : generic(QT_TRANSLATE_NOOP("Generic", "Overall")));
    const QString first = document.currentSheetName();
    if (records.size() > 1)
        addRunSheets(document);
    XLSXHelper::tableHeaderTooltipsToXLSX(&document, generic(QT_TRANSLATE_NOOP("Generic", "Value descriptions")),
                                          shownTable);
    bool written = false;
    if (format == QLatin1String("csv")) {
        written = XLSXHelper::saveXLSXtoCSV(&document, path, QStringLiteral(";"), QStringLiteral("\r\n"));
    } else {
        document.selectSheet(first);
        written = document.saveAs(path);
    }
    if (!written)
        AppHelper::warningMessage(tr("The spreadsheet %1 could not be saved; the console says why.").arg(path));
    return written;
}

void ExperimentsTable::addRunSheets(XlsxDocument& document) const
{
    for (Experiment_Stats* record : records) {
        ExperimentsTable single;
        single.titleOf = titleOf;
        single.fillStatistics({record}, columns);
        if (single.table())
            XLSXHelper::tableToXLSX(&document, single.table(), record->title());
    }
}
