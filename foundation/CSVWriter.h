#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <vector>

class QFile;

// Appends numbers to a text file as separated values: every value is followed by the
// separator (the last of a line too), a line ends with "\n". The file is opened once and kept
// open. Every write flushes and answers whether all its bytes reached the file, so a full disk
// or a writer whose file could not be opened reports failure.
class CSVWriter : public QObject
{
    Q_OBJECT

public:
    CSVWriter(const QString& path, bool overwrite = false, QObject* parent = nullptr);
    ~CSVWriter() override;

    bool isOpen() const;
    QString getPath() const;

    bool write(const QList<float>& values, int precision);
    bool write(const std::vector<float>& values, int precision);
    bool write(const QList<int>& values);
    bool write(const std::vector<int>& values);
    bool writeInts(int count, ...);
    bool write(int value, bool endLine = false);
    bool write(float value, int precision, bool endLine = false);
    bool write(const QString& text);
    bool writeLineEnd();

private:
    QString cell(float value, int precision) const;
    QString cell(int value) const;
    template <typename Values, typename... Format>
    bool writeLine(const Values& values, Format... format);
    bool append(const QString& text);

    QString separator = QStringLiteral(";");
    QString path;
    QFile* file = nullptr;
};
