#pragma once

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

// Rows of a ";"-separated CSV file with a byte-order mark, read by Python's csv module, which
// knows nothing of this code.
inline QJsonArray readCsvWithPython(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "print(json.dumps(list(csv.reader(open(sys.argv[1], newline='', "
                                 "encoding='utf-8-sig'), delimiter=';'))))"),
                  path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        qWarning().noquote() << python.readAllStandardError();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

// Reads an XLSX workbook with Python's openpyxl, which knows nothing of this code: the sheet
// names in order, the active sheet, and every sheet's cells as rows of [value, type] pairs, the
// type being openpyxl's: "n" for a number, "s" for a text; an empty cell is [null, "n"].
inline QJsonObject readWorkbookWithPython(const QString& path)
{
    static const char* const reader = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheets = {ws.title: [[[c.value, c.data_type] for c in row] for row in ws.iter_rows()] for ws in book.worksheets}
print(json.dumps({'names': book.sheetnames, 'active': book.active.title, 'sheets': sheets}))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(reader), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        qWarning().noquote() << python.readAllStandardError();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}
