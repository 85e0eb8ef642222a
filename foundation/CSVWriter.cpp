#include "CSVWriter.h"

#include "FileUtilities.h"

#include <QFile>
#include <QFileInfo>

#include <cstdarg>

CSVWriter::CSVWriter(const QString& path, bool overwrite, QObject* parent)
    : QObject(parent)
    , path(path)
{
    if (!FileUtilities::createIfNotExists(QFileInfo(path).absolutePath()))
        return;
    if (overwrite && QFile::exists(path))
        QFile::remove(path);
    auto* opened = new QFile(path, this);
    if (opened->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        file = opened;
    else
        delete opened;
}

CSVWriter::~CSVWriter()
{
    if (file)
        file->close();
}

bool CSVWriter::isOpen() const
{
    return file != nullptr;
}

QString CSVWriter::getPath() const
{
    return path;
}

QString CSVWriter::cell(float value, int precision) const
{
    return QString::number(value, 'f', precision) + separator;
}

QString CSVWriter::cell(int value) const
{
    return QString::number(value) + separator;
}

template <typename Values, typename... Format>
bool CSVWriter::writeLine(const Values& values, Format... format)
{
    QString line;
    for (const auto& value : values)
        line += cell(value, format...);
    return append(line + QLatin1Char('\n'));
}

bool CSVWriter::write(const QList<float>& values, int precision)
{
    return writeLine(values, precision);
}

bool CSVWriter::write(const std::vector<float>& values, int precision)
{
    return writeLine(values, precision);
}

bool CSVWriter::write(const QList<int>& values)
{
    return writeLine(values);
}

bool CSVWriter::write(const std::vector<int>& values)
{
    return writeLine(values);
}

bool CSVWriter::writeInts(int count, ...)
{
    QList<int> values;
    va_list arguments;
    va_start(arguments, count);
    for (int i = 0; i < count; ++i)
        values.append(va_arg(arguments, int));
    va_end(arguments);
    return writeLine(values);
}

bool CSVWriter::write(int value, bool endLine)
{
    return append(cell(value) + (endLine ? QStringLiteral("\n") : QString()));
}

bool CSVWriter::write(float value, int precision, bool endLine)
{
    return append(cell(value, precision) + (endLine ? QStringLiteral("\n") : QString()));
}

bool CSVWriter::write(const QString& text)
{
    return append(text);
}

bool CSVWriter::writeLineEnd()
{
    return append(QStringLiteral("\n"));
}

bool CSVWriter::append(const QString& text)
{
    if (!file)
        return false;
    const QByteArray bytes = text.toUtf8();
    return file->write(bytes) == bytes.size() && file->flush();
}
