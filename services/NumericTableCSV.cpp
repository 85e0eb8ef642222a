#include "NumericTableCSV.h"

#include "FileUtilities.h"
#include "GlobalConsole.h"
#include "SettingsFileHelper.h"
#include "TextHelper.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

namespace {
const QString Separator = QStringLiteral(";");
const QByteArray BinaryMark = QByteArrayLiteral("[Binary]");

struct BinaryType
{
    int code;
    QString name;
    int size;
};

// The codes of the binary form; a format without an entry is written as "double".
const QList<BinaryType> BinaryTypes = {
    {0, QStringLiteral("double"), 8}, {1, QStringLiteral("int8"), 1},  {2, QStringLiteral("int16"), 2},
    {3, QStringLiteral("int32"), 4},  {3, QStringLiteral("int"), 4},   {4, QStringLiteral("int64"), 8},
    {6, QStringLiteral("float"), 4},  {5, QStringLiteral("float"), 4},
};

BinaryType binaryTypeOf(int code)
{
    for (const BinaryType& type : BinaryTypes)
        if (type.code == code)
            return type;
    return BinaryTypes.first();
}

const BinaryType* binaryTypeNamed(const QString& name)
{
    for (const BinaryType& type : BinaryTypes)
        if (type.name == name)
            return &type;
    return nullptr;
}

// The nearest value the integer type holds; NaN gives 0.
template <typename T>
T saturated(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::round(value);
    if (rounded <= double(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (rounded >= double(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return T(rounded);
}

float singlePrecision(double value)
{
    if (std::isfinite(value) && std::abs(value) > double(std::numeric_limits<float>::max()))
        return std::copysign(std::numeric_limits<float>::infinity(), float(value > 0 ? 1 : -1));
    return float(value);
}

qint64 integerCell(double value, int code)
{
    switch (code) {
    case NumericTableCSV::CellNumberFormat_Int8:
        return saturated<qint8>(value);
    case NumericTableCSV::CellNumberFormat_Int16:
        return saturated<qint16>(value);
    case NumericTableCSV::CellNumberFormat_Int32:
        return saturated<qint32>(value);
    default:
        return saturated<qint64>(value);
    }
}

bool isInteger(int code)
{
    return code >= NumericTableCSV::CellNumberFormat_Int8 && code <= NumericTableCSV::CellNumberFormat_Int64;
}

QString cellText(const QVariant& value, int code)
{
    if (isInteger(code))
        return QString::number(integerCell(value.toDouble(), code));
    if (code >= NumericTableCSV::CellNumberFormat_Double_1precision
        && code <= NumericTableCSV::CellNumberFormat_Double_3precision)
        return QString::number(value.toDouble(), 'f', code - NumericTableCSV::CellNumberFormat_Int64);
    if (code == NumericTableCSV::CellNumberFormat_Text)
        return value.toString();
    return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
}

void writeBinaryCell(QDataStream& stream, double value, int code)
{
    switch (code) {
    case NumericTableCSV::CellNumberFormat_Int8:
        stream << qint8(integerCell(value, code));
        break;
    case NumericTableCSV::CellNumberFormat_Int16:
        stream << qint16(integerCell(value, code));
        break;
    case NumericTableCSV::CellNumberFormat_Int32:
        stream << qint32(integerCell(value, code));
        break;
    case NumericTableCSV::CellNumberFormat_Int64:
        stream << qint64(integerCell(value, code));
        break;
    case NumericTableCSV::CellNumberFormat_Double_1precision:
    case NumericTableCSV::CellNumberFormat_Double_2precision:
        // Without this a stream writes every float as 8 bytes, against the size in the header.
        stream.setFloatingPointPrecision(QDataStream::SinglePrecision);
        stream << singlePrecision(value);
        break;
    default:
        stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
        stream << value;
    }
}

template <typename T>
QVariant readBinaryCell(QDataStream& stream)
{
    T value = 0;
    stream >> value;
    return QVariant::fromValue(value);
}

QVariant readBinaryCell(QDataStream& stream, int code)
{
    switch (code) {
    case NumericTableCSV::CellNumberFormat_Int8:
        return readBinaryCell<qint8>(stream).toInt();
    case NumericTableCSV::CellNumberFormat_Int16:
        return readBinaryCell<qint16>(stream).toInt();
    case NumericTableCSV::CellNumberFormat_Int32:
        return readBinaryCell<qint32>(stream);
    case NumericTableCSV::CellNumberFormat_Int64:
        return readBinaryCell<qint64>(stream);
    case NumericTableCSV::CellNumberFormat_Double_1precision:
    case NumericTableCSV::CellNumberFormat_Double_2precision:
        stream.setFloatingPointPrecision(QDataStream::SinglePrecision);
        return readBinaryCell<float>(stream).toDouble();
    default:
        stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
        return readBinaryCell<double>(stream);
    }
}

QByteArray fieldsLine(const QList<QString>& fields)
{
    QString line;
    for (const QString& field : fields)
        line += field + Separator;
    return (line + u'\n').toUtf8();
}
} // namespace

NumericTableCSV::NumericTableCSV(QObject* parent)
    : QObject(parent)
{
}

NumericTableCSV::~NumericTableCSV()
{
    stopWriting();
}

// ---- columns and cells ----

int NumericTableCSV::columnIndex(const QString& name) const
{
    return int(headers.indexOf(name));
}

void NumericTableCSV::setHeaders(const QList<QString>& headers)
{
    this->headers = headers;
    rows.clear();
}

void NumericTableCSV::addHeader(const QString& name, CellNumberFormat format)
{
    if (headers.contains(name))
        return;
    headers.append(name);
    setCellFormat(int(headers.size() - 1), format);
    for (QList<QVariant>& row : rows)
        row.append(0.0);
}

int NumericTableCSV::headerCount() const
{
    return int(headers.size());
}

QMap<int, NumericTableCSV::CellNumberFormat> NumericTableCSV::cellFormats() const
{
    return formats;
}

void NumericTableCSV::setCellFormat(const QString& column, CellNumberFormat format)
{
    setCellFormat(columnIndex(column), format);
}

void NumericTableCSV::setCellFormat(int column, CellNumberFormat format)
{
    if (column >= 0)
        formats.insert(column, format);
}

QString NumericTableCSV::currentFilePath() const
{
    return currentPath;
}

void NumericTableCSV::setValue(int row, const QString& column, const QVariant& value)
{
    setValue(row, columnIndex(column), value);
}

void NumericTableCSV::setValue(int row, int column, const QVariant& value)
{
    if (row < 0 || column < 0 || column >= headers.size())
        return;
    while (rows.size() <= row)
        rows.append(QList<QVariant>(headers.size(), 0.0));
    QList<QVariant>& cells = rows[row];
    while (cells.size() <= column)
        cells.append(0.0);
    cells[column] = value;
}

void NumericTableCSV::setColumnValue(const QString& column, const QVariant& value)
{
    setColumnValue(columnIndex(column), value);
}

void NumericTableCSV::setColumnValue(int column, const QVariant& value)
{
    for (int row = 0; row < rows.size(); ++row)
        setValue(row, column, value);
}

QVariant NumericTableCSV::valueAt(const QString& column, int row) const
{
    return valueAt(columnIndex(column), row);
}

QVariant NumericTableCSV::valueAt(int column, int row) const
{
    if (column < 0 || column >= headers.size() || row < 0 || row >= rows.size())
        return 0;
    return rows.at(row).value(column, 0);
}

double NumericTableCSV::doubleValueAt(const QString& column, int row) const
{
    return valueAt(column, row).toDouble();
}

double NumericTableCSV::doubleValueAt(int column, int row) const
{
    return valueAt(column, row).toDouble();
}

QList<QVariant> NumericTableCSV::valuesAt(const QString& column, int firstRow, int endRow) const
{
    return valuesAt(columnIndex(column), firstRow, endRow);
}

QList<QVariant> NumericTableCSV::valuesAt(int column, int firstRow, int endRow) const
{
    QList<QVariant> values;
    if (column < 0 || column >= headers.size())
        return values;
    const int end = endRow < 0 || endRow > rows.size() ? int(rows.size()) : endRow;
    for (int row = std::max(0, firstRow); row < end; ++row)
        values.append(valueAt(column, row));
    return values;
}

QList<double> NumericTableCSV::doubleValuesAt(const QString& column, int firstRow, int endRow) const
{
    return doubleValuesAt(columnIndex(column), firstRow, endRow);
}

QList<double> NumericTableCSV::doubleValuesAt(int column, int firstRow, int endRow) const
{
    QList<double> values;
    for (const QVariant& value : valuesAt(column, firstRow, endRow))
        values.append(value.toDouble());
    return values;
}

void NumericTableCSV::resetValues()
{
    rows.clear();
}

// ---- files ----

bool NumericTableCSV::writeHeaders(QIODevice* file, bool text)
{
    if (!file || !file->isOpen())
        return false;
    columnCodes.clear();
    for (int column = 0; column < headers.size(); ++column)
        columnCodes.append(formats.value(column, CellNumberFormat_Double));
    QByteArray lines = fieldsLine(headers);
    if (!text) {
        QList<QString> names;
        QList<QString> sizes;
        for (int code : std::as_const(columnCodes)) {
            names.append(binaryTypeOf(code).name);
            sizes.append(QString::number(binaryTypeOf(code).size));
        }
        lines = BinaryMark + '\n' + lines + fieldsLine(names) + fieldsLine(sizes);
    }
    return file->write(lines) == lines.size();
}

bool NumericTableCSV::writeDataLine(QIODevice* file, const QList<QVariant>& row, bool text) const
{
    const qsizetype columns = std::min(headers.size(), columnCodes.size());
    QByteArray bytes;
    if (text) {
        QList<QString> fields;
        for (qsizetype column = 0; column < std::min(columns, row.size()); ++column)
            fields.append(cellText(row.at(column), columnCodes.at(column)));
        bytes = fieldsLine(fields);
    } else {
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        for (qsizetype column = 0; column < columns; ++column)
            writeBinaryCell(stream, row.value(column, 0).toDouble(), columnCodes.at(column));
    }
    return file->write(bytes) == bytes.size();
}

bool NumericTableCSV::save(const QString& path, bool text)
{
    if (headers.isEmpty() || rows.isEmpty())
        return refuse(path, QStringLiteral("the table is empty"));
    FileUtilities::createIfNotExists(QFileInfo(path).absolutePath());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeHeaders(&buffer, text);
    for (const QList<QVariant>& row : std::as_const(rows))
        writeDataLine(&buffer, row, text);
    if (!SettingsFileHelper::commit(path, buffer.data()))
        return false;
    currentPath = path;
    return true;
}

bool NumericTableCSV::startContinuousRecord(const QString& path, bool text)
{
    stopWriting();
    FileUtilities::createIfNotExists(QFileInfo(path).absolutePath());
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
        return refuse(path, file->errorString());
    recordAsText = text;
    if (!writeHeaders(file.get(), text) || !file->flush())
        return refuse(path, file->errorString());
    recordFile = std::move(file);
    currentPath = path;
    return true;
}

bool NumericTableCSV::writeLastLine()
{
    if (!recordFile || rows.isEmpty())
        return false;
    if (writeDataLine(recordFile.get(), rows.last(), recordAsText) && recordFile->flush())
        return true;
    return refuse(recordFile->fileName(), recordFile->errorString());
}

bool NumericTableCSV::stopWriting()
{
    if (!recordFile)
        return false;
    const bool fine = recordFile->error() == QFileDevice::NoError;
    recordFile.reset();
    return fine;
}

bool NumericTableCSV::load(const QString& path)
{
    headers.clear();
    rows.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(path, file.errorString());
    const QByteArray bytes = file.readAll();
    return bytes.startsWith(BinaryMark) ? loadBinary(bytes, path) : loadText(bytes, path);
}

bool NumericTableCSV::loadBinary(const QByteArray& bytes, const QString& path)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.readLine();
    const QList<QString> names = TextHelper::splitAndTrim(QString::fromUtf8(buffer.readLine()), Separator);
    const QList<QString> types = TextHelper::splitAndTrim(QString::fromUtf8(buffer.readLine()), Separator);
    const QList<QString> sizes = TextHelper::splitAndTrim(QString::fromUtf8(buffer.readLine()), Separator);
    if (names.isEmpty() || names.size() != types.size() || names.size() != sizes.size())
        return refuse(path, QStringLiteral("its header lines do not name the same columns"));
    QList<int> codes;
    for (qsizetype column = 0; column < names.size(); ++column) {
        const BinaryType* type = binaryTypeNamed(types.at(column));
        if (!type || sizes.at(column) != QString::number(type->size))
            return refuse(path, QStringLiteral("column \"%1\" has the unknown type \"%2\" of %3 bytes")
                                    .arg(names.at(column), types.at(column), sizes.at(column)));
        codes.append(type->code);
    }
    headers = names;
    formats.clear();
    for (int column = 0; column < codes.size(); ++column)
        formats.insert(column, CellNumberFormat(codes.at(column)));
    QDataStream stream(&buffer);
    while (!stream.atEnd()) {
        QList<QVariant> row;
        for (int code : std::as_const(codes))
            row.append(readBinaryCell(stream, code));
        if (stream.status() != QDataStream::Ok) {
            GlobalConsole::writeItem(
                QStringLiteral("Table \"%1\" ends within a row; the %2 whole rows before it were read.")
                    .arg(path.toHtmlEscaped())
                    .arg(rows.size()),
                QStringLiteral("Error"));
            break;
        }
        rows.append(row);
    }
    return true;
}

bool NumericTableCSV::loadText(const QByteArray& bytes, const QString& path)
{
    const QList<QString> lines = QString::fromUtf8(bytes).split(u'\n');
    if (lines.size() < 2)
        return refuse(path, QStringLiteral("it holds no table"));
    headers = TextHelper::splitAndTrim(lines.first(), Separator);
    for (qsizetype at = 1; at < lines.size(); ++at) {
        const QString line = QString(lines.at(at)).replace(u',', u'.').trimmed();
        if (line.isEmpty())
            continue;
        QList<QVariant> row;
        for (const QString& field : line.split(Separator))
            row.append(field);
        rows.append(row);
    }
    return true;
}

bool NumericTableCSV::refuse(const QString& path, const QString& problem) const
{
    GlobalConsole::writeItem(QStringLiteral("Table \"%1\": %2.").arg(path.toHtmlEscaped(), problem.toHtmlEscaped()),
                             QStringLiteral("Error"));
    return false;
}
