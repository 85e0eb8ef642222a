#include "XlsxDocument.h"

#include "GlobalConsole.h"
#include "SettingsFileHelper.h"

#include <QFile>
#include <QTemporaryDir>
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr int longestSheetName = 31;
// Longer texts are refused by spreadsheet programs; they are cut there, with a message.
constexpr int longestCellText = 32767;
constexpr double widestColumn = 100.0;
constexpr double narrowestColumn = 8.43;

QString cutToCharacters(const QString& text, int count)
{
    const QList<uint> characters = text.toUcs4();
    return characters.size() <= count
               ? text
               : QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), count);
}

// Spreadsheet programs refuse a sheet name that begins or ends with an apostrophe.
QString withoutApostrophesAtTheEnds(QString name)
{
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        name = (name.startsWith(QLatin1Char('\'')) ? name.mid(1) : name.chopped(1)).trimmed();
    return name;
}

QString cellText(const QVariant& value)
{
    return XlsxDocument::isStoredAsNumber(value) ? QString::number(value.toDouble()) : value.toString();
}

// The file library prints numbers with the C library, which follows the user's locale: under a
// Russian one "1,5" would land in the file, and spreadsheet programs call that workbook damaged.
// The C locale holds for this thread only while the workbook is written.
class CNumbersInThisThread
{
public:
    CNumbersInThisThread()
        : cLocale(newlocale(LC_ALL_MASK, "C", locale_t(nullptr)))
        , previous(cLocale ? uselocale(cLocale) : locale_t(nullptr))
    {
    }
    ~CNumbersInThisThread()
    {
        if (cLocale) {
            uselocale(previous);
            freelocale(cLocale);
        }
    }
    CNumbersInThisThread(const CNumbersInThisThread&) = delete;
    CNumbersInThisThread& operator=(const CNumbersInThisThread&) = delete;

private:
    locale_t cLocale;
    locale_t previous;
};

QString errorText(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}
} // namespace

QString XlsxDocument::acceptableSheetName(const QString& name, const QStringList& taken)
{
    QString base = name;
    for (QChar forbidden : QStringLiteral("[]:*?/\\"))
        base.replace(forbidden, QLatin1Char('_'));
    base = withoutApostrophesAtTheEnds(base);
    if (base.isEmpty())
        base = QStringLiteral("Sheet");
    QString candidate = withoutApostrophesAtTheEnds(cutToCharacters(base, longestSheetName));
    for (int number = 2; taken.contains(candidate, Qt::CaseInsensitive); ++number) {
        const QString suffix = QStringLiteral(" (%1)").arg(number);
        candidate = withoutApostrophesAtTheEnds(cutToCharacters(base, longestSheetName - int(suffix.size()))) + suffix;
    }
    return candidate;
}

bool XlsxDocument::isStoredAsNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

QString XlsxDocument::addSheet(const QString& name)
{
    Sheet sheet;
    sheet.name = acceptableSheetName(name, sheetNames());
    sheets.append(sheet);
    current = int(sheets.size()) - 1;
    return sheet.name;
}

bool XlsxDocument::selectSheet(const QString& name)
{
    for (int i = 0; i < sheets.size(); ++i) {
        if (sheets.at(i).name == name) {
            current = i;
            return true;
        }
    }
    return false;
}

QString XlsxDocument::currentSheetName() const
{
    return current < 0 ? QString() : sheets.at(current).name;
}

QStringList XlsxDocument::sheetNames() const
{
    QStringList names;
    for (const Sheet& sheet : sheets)
        names << sheet.name;
    return names;
}

quint64 XlsxDocument::cellKey(int row, int column)
{
    return (quint64(quint32(row)) << 32) | quint32(column);
}

void XlsxDocument::write(int row, int column, const QVariant& value)
{
    if (current < 0 || row < 1 || column < 1)
        return;
    if (isStoredAsNumber(value) && !std::isfinite(value.toDouble()))
        return;
    Sheet& sheet = sheets[current];
    sheet.cells.insert(cellKey(row, column), value);
    sheet.lastRow = std::max(sheet.lastRow, row);
    sheet.lastColumn = std::max(sheet.lastColumn, column);
}

QVariant XlsxDocument::cellAt(int row, int column) const
{
    return current < 0 ? QVariant() : sheets.at(current).cells.value(cellKey(row, column));
}

int XlsxDocument::lastRow() const
{
    return current < 0 ? 0 : sheets.at(current).lastRow;
}

int XlsxDocument::lastColumn() const
{
    return current < 0 ? 0 : sheets.at(current).lastColumn;
}

void XlsxDocument::autosizeColumnWidth()
{
    if (current >= 0)
        sheets[current].autosize = true;
}

bool XlsxDocument::saveAs(const QString& path) const
{
    // The library writes a file of its own; it takes the place of the old one whole, or not at all.
    QTemporaryDir scratch;
    const QString draft = scratch.filePath(QStringLiteral("workbook.xlsx"));
    if (!scratch.isValid() || !writeWorkbook(draft))
        return false;
    QFile written(draft);
    if (!written.open(QIODevice::ReadOnly)) {
        GlobalConsole::writeItem(QStringLiteral("The workbook for %1 cannot be read back: %2")
                                     .arg(path.toHtmlEscaped(), written.errorString().toHtmlEscaped()),
                                 QStringLiteral("Error"));
        return false;
    }
    return SettingsFileHelper::commit(path, written.readAll());
}

bool XlsxDocument::writeWorkbook(const QString& path) const
{
    const CNumbersInThisThread cNumbers;
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook* workbook = workbook_new(fileName.constData());
    if (!workbook) {
        GlobalConsole::writeItem(QStringLiteral("The workbook %1 cannot be started").arg(path.toHtmlEscaped()),
                                 QStringLiteral("Error"));
        return false;
    }
    QString problem;
    bool textCut = false;
    for (int i = 0; i < sheets.size() && problem.isEmpty(); ++i) {
        const Sheet& sheet = sheets.at(i);
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, sheet.name.toUtf8().constData());
        if (!worksheet) {
            problem = QStringLiteral("the sheet name \"%1\" is refused").arg(sheet.name);
            break;
        }
        if (i == current)
            worksheet_activate(worksheet);
        QHash<int, int> widths;
        for (auto cell = sheet.cells.cbegin(); cell != sheet.cells.cend() && problem.isEmpty(); ++cell) {
            const auto row = lxw_row_t(cell.key() >> 32) - 1;
            const auto column = lxw_col_t(cell.key() & 0xFFFFFFFFu) - 1;
            lxw_error error;
            if (isStoredAsNumber(cell.value())) {
                error = worksheet_write_number(worksheet, row, column, cell.value().toDouble(), nullptr);
            } else {
                const QString text = cell.value().toString();
                const QString kept = cutToCharacters(text, longestCellText);
                textCut = textCut || kept.size() != text.size();
                error = worksheet_write_string(worksheet, row, column, kept.toUtf8().constData(), nullptr);
            }
            if (error != LXW_NO_ERROR)
                problem = errorText(error);
            widths[column] = std::max(widths.value(column), int(cellText(cell.value()).size()));
        }
        if (sheet.autosize) {
            for (auto width = widths.cbegin(); width != widths.cend(); ++width)
                worksheet_set_column(worksheet, lxw_col_t(width.key()), lxw_col_t(width.key()),
                                     std::clamp(width.value() * 1.1 + 2.0, narrowestColumn, widestColumn), nullptr);
        }
    }
    const lxw_error closing = workbook_close(workbook);
    if (problem.isEmpty() && closing != LXW_NO_ERROR)
        problem = errorText(closing);
    if (textCut)
        GlobalConsole::writeItem(QStringLiteral("%1: texts longer than %2 characters were cut to that length")
                                     .arg(path.toHtmlEscaped())
                                     .arg(longestCellText),
                                 QStringLiteral("Warning"));
    if (!problem.isEmpty())
        GlobalConsole::writeItem(
            QStringLiteral("The workbook %1 cannot be written: %2").arg(path.toHtmlEscaped(), problem.toHtmlEscaped()),
            QStringLiteral("Error"));
    return problem.isEmpty();
}
