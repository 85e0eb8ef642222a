#include "GlobalConsole.h"
#include "NumericTableCSV.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using Format = NumericTableCSV::CellNumberFormat;

namespace {
// Reads a binary table with Python's struct module, knowing nothing of this code: the header
// lines, then rows of big-endian cells of the stated types, which must fill the rest exactly.
const char* const StructReader = R"(
import json, struct, sys
data = open(sys.argv[1], 'rb').read()
mark, names, types, sizes, body = data.split(b'\n', 4)
assert mark == b'[Binary]'
field = lambda line: [x for x in line.decode().split(';') if x]
letters = {'double': 'd', 'int8': 'b', 'int16': 'h', 'int32': 'i', 'int64': 'q', 'float': 'f'}
row = '>' + ''.join(letters[t] for t in field(types))
assert struct.calcsize(row) == sum(int(s) for s in field(sizes)), 'sizes disagree with types'
assert len(body) % struct.calcsize(row) == 0, 'rows do not fill the file'
print(json.dumps({'names': field(names), 'types': field(types), 'sizes': [int(s) for s in field(sizes)],
                  'header': len(data) - len(body), 'rows': [list(r) for r in struct.iter_unpack(row, body)]}))
)";

QJsonObject readWithPython(const QString& path)
{
    QProcess python;
    python.start("/usr/bin/python3", {"-c", StructReader, path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        qWarning().noquote() << python.readAllStandardError();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}
} // namespace

class TestNumericTableCSV : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

    // One column of every format, and rows that try the limits of the integer types.
    static void fillEveryFormat(NumericTableCSV& table)
    {
        const QList<std::pair<QString, Format>> columns = {
            {"double", NumericTableCSV::CellNumberFormat_Double},
            {"int8", NumericTableCSV::CellNumberFormat_Int8},
            {"int16", NumericTableCSV::CellNumberFormat_Int16},
            {"int32", NumericTableCSV::CellNumberFormat_Int32},
            {"int64", NumericTableCSV::CellNumberFormat_Int64},
            {"one decimal", NumericTableCSV::CellNumberFormat_Double_1precision},
            {"two decimals", NumericTableCSV::CellNumberFormat_Double_2precision},
            {"three decimals", NumericTableCSV::CellNumberFormat_Double_3precision},
            {"text", NumericTableCSV::CellNumberFormat_Text},
        };
        for (const auto& [name, format] : columns)
            table.addHeader(name, format);
        const QList<QList<QVariant>> rows = {
            {1234567.891, 300, -1e10, 2.6, -3, 1.26, -0.25, 0.0626, 7},
            {1e300, -129, 40000, qQNaN(), 1e30, 0.001, 2.5, 1.2346, "2.5"},
        };
        for (int row = 0; row < rows.size(); ++row)
            for (int column = 0; column < rows.at(row).size(); ++column)
                table.setValue(row, column, rows.at(row).at(column));
    }

private slots:
    void binaryFormHoldsTheSizesItsHeaderStates()
    {
        NumericTableCSV table;
        fillEveryFormat(table);
        const QString path = folder.filePath("every format.bin");
        QVERIFY(table.save(path, false));
        QCOMPARE(table.currentFilePath(), path);

        const QJsonObject read = readWithPython(path);
        QCOMPARE(read.value("types").toArray(),
                 QJsonArray({"double", "int8", "int16", "int32", "int64", "float", "float", "double", "double"}));
        QCOMPARE(read.value("sizes").toArray(), QJsonArray({8, 1, 2, 4, 8, 4, 4, 8, 8}));
        QCOMPARE(QFileInfo(path).size(), read.value("header").toInt() + 2 * 47);
        // Integers keep the nearest value their type holds, NaN gives 0, floats have 4 bytes.
        const QJsonArray rows = read.value("rows").toArray();
        QCOMPARE(rows.at(0).toArray(),
                 QJsonArray({1234567.891, 127, -32768, 3, -3, 1.2599999904632568, -0.25, 0.0626, 7}));
        QCOMPARE(rows.at(1).toArray(), QJsonArray({1e300, -128, 32767, 0, std::numeric_limits<qint64>::max(),
                                                   0.0010000000474974513, 2.5, 1.2346, 2.5}));

        NumericTableCSV loaded;
        QVERIFY(loaded.load(path));
        QCOMPARE(loaded.headerCount(), 9);
        QCOMPARE(
            loaded.cellFormats().values(),
            QList<Format>({NumericTableCSV::CellNumberFormat_Double, NumericTableCSV::CellNumberFormat_Int8,
                           NumericTableCSV::CellNumberFormat_Int16, NumericTableCSV::CellNumberFormat_Int32,
                           NumericTableCSV::CellNumberFormat_Int64, NumericTableCSV::CellNumberFormat_Double_2precision,
                           NumericTableCSV::CellNumberFormat_Double_2precision,
                           NumericTableCSV::CellNumberFormat_Double, NumericTableCSV::CellNumberFormat_Double}));
        QCOMPARE(loaded.doubleValuesAt("double"), QList<double>({1234567.891, 1e300}));
        QCOMPARE(loaded.doubleValuesAt("int8"), QList<double>({127, -128}));
        QCOMPARE(loaded.doubleValuesAt("two decimals"), QList<double>({-0.25, 2.5}));
        QCOMPARE(loaded.doubleValuesAt("text"), QList<double>({7, 2.5}));
    }

    void textFormIsWrittenInTheCLocale()
    {
        NumericTableCSV table;
        fillEveryFormat(table);
        const QString path = folder.filePath("every format.csv");
        QVERIFY(table.save(path, true));
        QCOMPARE(readFileBytes(path), QByteArray("double;int8;int16;int32;int64;one decimal;two decimals;three "
                                                 "decimals;text;\n"
                                                 "1234567.891;127;-32768;3;-3;1.3;-0.25;0.063;7;\n"
                                                 "1e+300;-128;32767;0;9223372036854775807;0.0;2.50;1.235;2.5;\n"));

        // A text load keeps fields as text, one more than the headers, and takes "1,5" for 1.5.
        QVERIFY(writeFileBytes(path, "a;b;\n1,5;2;\n\n  \n3;4;\n"));
        NumericTableCSV loaded;
        loaded.setCellFormat(1, NumericTableCSV::CellNumberFormat_Int8);
        QVERIFY(loaded.load(path));
        QCOMPARE(loaded.headerCount(), 2);
        QCOMPARE(loaded.valuesAt("a"), QList<QVariant>({"1.5", "3"}));
        QCOMPARE(loaded.doubleValueAt("a", 0), 1.5);
        QCOMPARE(loaded.valueAt(2, 0), QVariant(0));
        QCOMPARE(loaded.cellFormats().value(1), NumericTableCSV::CellNumberFormat_Int8);
        QVERIFY(writeFileBytes(path, "only a header line"));
        QVERIFY(!loaded.load(path));
        QVERIFY(!loaded.load(folder.filePath("missing.csv")));
    }

    void cellsAndColumns()
    {
        NumericTableCSV table;
        QVERIFY(!table.save(folder.filePath("empty.csv"), true));
        table.setHeaders({"a", "b"});
        table.setValue(5, "b", 7);
        table.setValue(-1, "a", 1);
        table.setValue(0, "c", 1);
        QCOMPARE(table.valuesAt("a"), QList<QVariant>(6, 0.0));
        QCOMPARE(table.doubleValuesAt("b", -3, 100), QList<double>({0, 0, 0, 0, 0, 7}));
        QCOMPARE(table.doubleValuesAt(1, 4, 6), QList<double>({0, 7}));
        QVERIFY(table.valuesAt("c").isEmpty());
        table.addHeader("a", NumericTableCSV::CellNumberFormat_Int8);
        QVERIFY(table.cellFormats().isEmpty());
        table.addHeader("c", NumericTableCSV::CellNumberFormat_Int8);
        QCOMPARE(table.valuesAt("c"), QList<QVariant>(6, 0.0));
        table.setColumnValue("c", 3);
        QCOMPARE(table.doubleValuesAt(2), QList<double>(6, 3));
        QCOMPARE(table.valueAt("a", 6), QVariant(0));
        table.resetValues();
        QCOMPARE(table.headerCount(), 3);
        QVERIFY(table.valuesAt("a").isEmpty());
        table.setColumnValue("a", 1);
        QVERIFY(table.valuesAt("a").isEmpty());
    }

    void continuousRecordAndDamagedFiles()
    {
        NumericTableCSV table;
        table.addHeader("time", NumericTableCSV::CellNumberFormat_Double);
        table.addHeader("value", NumericTableCSV::CellNumberFormat_Double_1precision);
        const QString path = folder.filePath("record/continuous.bin");
        QVERIFY(!table.writeLastLine());
        QVERIFY(table.startContinuousRecord(path, false));
        const qint64 header = QFileInfo(path).size();
        for (int row = 0; row < 3; ++row) {
            table.setValue(row, "time", row * 0.5);
            table.setValue(row, "value", row + 0.25);
            QVERIFY(table.writeLastLine());
            QCOMPARE(QFileInfo(path).size(), header + (row + 1) * 12);
        }
        QVERIFY(table.stopWriting());
        QVERIFY(!table.stopWriting());

        NumericTableCSV loaded;
        QVERIFY(loaded.load(path));
        QCOMPARE(loaded.doubleValuesAt("value"), QList<double>({0.25, 1.25, 2.25}));

        // A row cut short is left out and named; header lines that disagree refuse the file.
        GlobalConsole::ClearText();
        const QByteArray bytes = readFileBytes(path);
        QVERIFY(writeFileBytes(path, bytes.chopped(3)));
        QVERIFY(loaded.load(path));
        QCOMPARE(loaded.doubleValuesAt("time"), QList<double>({0, 0.5}));
        QVERIFY(GlobalConsole::currentText().contains("ends within a row"));
        for (const QByteArray& header :
             {QByteArray("[Binary]\na;b;\ndouble;\n8;8;\n"), QByteArray("[Binary]\na;\nquad;\n16;\n"),
              QByteArray("[Binary]\na;\nfloat;\n8;\n"), QByteArray("[Binary]\n\n\n\n")}) {
            QVERIFY(writeFileBytes(path, header + QByteArray(16, '\1')));
            QVERIFY2(!loaded.load(path), header);
            QCOMPARE(loaded.headerCount(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestNumericTableCSV)
#include "tst_numerictablecsv.moc"
