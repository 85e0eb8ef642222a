#include "SpreadsheetReader.h"
#include "TestFiles.h"
#include "TextHelper.h"
#include "XLSXHelper.h"
#include "XlsxDocument.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

namespace {
const QString comment = QStringLiteral("сбой; \"дверь\"\nоткрыта");
const QString longName = QStringLiteral("Очень длинное имя листа [опыт]: 1/2 * ? \\ и ещё");

QJsonArray cell(const QJsonValue& value, const QString& type)
{
    return QJsonArray{value, type};
}

// Titles, a decimal comma, a rodent named like a number that is not one, a comment with the
// CSV separator, quotes and a line break, and a cell without an item; in the last row, cells
// that say what they export: names that read as numbers, and a time shown rounded.
std::unique_ptr<QTableWidget> runsTable()
{
    auto table = std::make_unique<QTableWidget>(3, 3);
    table->setHorizontalHeaderLabels({"Название", "Время", "Комментарий"});
    table->horizontalHeaderItem(1)->setToolTip("Длительность, с");
    table->verticalHeader()->setEnabled(false);
    const QList<QStringList> cells = {{"Крыса 1", "1,5", comment}, {"Inf", "nan"}};
    for (int r = 0; r < cells.size(); ++r) {
        for (int c = 0; c < cells.at(r).size(); ++c)
            table->setItem(r, c, new QTableWidgetItem(cells.at(r).at(c)));
    }
    const QList<std::pair<QString, QVariant>> exported = {{"007", "007"}, {"12,35", 12.345}, {"1000000", "1000000"}};
    for (int c = 0; c < exported.size(); ++c) {
        auto* item = new QTableWidgetItem(exported.at(c).first);
        item->setData(XLSXHelper::exportRole, exported.at(c).second);
        table->setItem(2, c, item);
    }
    return table;
}
} // namespace

class TestTableExport : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

private slots:
    // The workbook as another program sees it: cleaned unique sheet names, numbers as numbers,
    // texts that only look like numbers as texts, no cell for a number that is not finite, the
    // header descriptions, and the first sheet active.
    void workbookReadBackIndependently()
    {
        const auto table = runsTable();
        XlsxDocument document;
        int rows = 0;
        XLSXHelper::tableToXLSX(&document, table.get(), longName, &rows);
        QCOMPARE(rows, 4);
        XLSXHelper::tableToXLSX(&document, table.get(), longName);
        XLSXHelper::tableHeaderTooltipsToXLSX(&document, "Value descriptions", table.get());
        const QStringList names = document.sheetNames();
        QCOMPARE(names.size(), 3);
        QCOMPARE(names.at(0), QString("Очень длинное имя листа _опыт__"));
        QCOMPARE(names.at(1), QString("Очень длинное имя листа _оп (2)"));
        document.selectSheet(names.at(0));
        const QString path = folder.filePath("runs.xlsx");
        QVERIFY(document.saveAs(path));

        const QJsonObject book = readWorkbookWithPython(path);
        QCOMPARE(book["names"].toArray(), QJsonArray::fromStringList(names));
        QCOMPARE(book["active"].toString(), names.at(0));
        const QJsonArray sheet = book["sheets"][names.at(0)].toArray();
        QCOMPARE(sheet.size(), 4);
        QCOMPARE(sheet[0].toArray(), QJsonArray({cell("Название", "s"), cell("Время", "s"), cell("Комментарий", "s")}));
        QCOMPARE(sheet[1].toArray(), QJsonArray({cell("Крыса 1", "s"), cell(1.5, "n"), cell(comment, "s")}));
        QCOMPARE(sheet[2].toArray(), QJsonArray({cell("Inf", "s"), cell("nan", "s"), cell(QJsonValue(), "n")}));
        QCOMPARE(sheet[3].toArray(), QJsonArray({cell("007", "s"), cell(12.345, "n"), cell("1000000", "s")}));
        QCOMPARE(book["sheets"]["Value descriptions"].toArray(),
                 QJsonArray({QJsonArray({cell("Время", "s"), cell("Длительность, с", "s")})}));

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double infinity = std::numeric_limits<double>::infinity();
        QVERIFY(XLSXHelper::dataToXLSX({{"A:B", {{1, nan, "x"}, {infinity, 2.5}}}, {"a_b", {{3}}}},
                                       folder.filePath("blocks.xlsx")));
        const QJsonObject blocks = readWorkbookWithPython(folder.filePath("blocks.xlsx"));
        QCOMPARE(blocks["names"].toArray(), QJsonArray({"A_B", "a_b (2)"}));
        QCOMPARE(blocks["sheets"]["A_B"].toArray(),
                 QJsonArray({QJsonArray({cell(1, "n"), cell(QJsonValue(), "n"), cell("x", "s")}),
                             QJsonArray({cell(QJsonValue(), "n"), cell(2.5, "n"), cell(QJsonValue(), "n")})}));
    }

    // The CSV forms: byte-order mark, the separators given, the system's decimal separator in the
    // workbook form, and fields with separators, quotes or line breaks quoted so that a CSV
    // reader gets every cell back whole.
    void csvReadBackIndependently()
    {
        const auto table = runsTable();
        XlsxDocument document;
        XLSXHelper::tableToXLSX(&document, table.get(), "Overall");
        const QString path = folder.filePath("runs.csv");
        QVERIFY(XLSXHelper::saveXLSXtoCSV(&document, path, ";", "\r\n"));
        const QByteArray bytes = readFileBytes(path);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFOverall\r\n\r\n"));
        const QString decimal = TextHelper::numDecimalSeparator();
        const QJsonArray rows = readCsvWithPython(path);
        QCOMPARE(rows.size(), 8);
        QCOMPARE(rows[2].toArray(), QJsonArray({"Название", "Время", "Комментарий", ""}));
        QCOMPARE(rows[3].toArray(), QJsonArray({"Крыса 1", "1" + decimal + "5", comment, ""}));
        QCOMPARE(rows[4].toArray(), QJsonArray({"Inf", "nan", "", ""}));
        QCOMPARE(rows[5].toArray(), QJsonArray({"007", "12" + decimal + "345", "1000000", ""}));

        XlsxDocument sparse;
        sparse.addSheet("Overall");
        sparse.write(2, 2, "x");
        sparse.write(2, 3, 2.5);
        QVERIFY(XLSXHelper::saveXLSXtoCSV(&sparse, path, ";", "\r\n"));
        QCOMPARE(QString::fromUtf8(readFileBytes(path)),
                 "\uFEFFOverall\r\n\r\n;;;\r\n;x;2" + decimal + "5;\r\n\r\n\r\n");

        QVERIFY(XLSXHelper::dataToCSV(XLSXHelper::Rows{{1, 2}, {3}}, path, "A", ";", "\n"));
        QCOMPARE(readFileBytes(path), QByteArray("\xEF\xBB\xBF"
                                                 "A\n1;2;\n3;\n\n\n"));
        QVERIFY(XLSXHelper::dataToCSV(QList<QList<QString>>{{"a;b", "c\"d"}}, path, "B", ";", "\n"));
        QCOMPARE(readFileBytes(path), QByteArray("\xEF\xBB\xBF"
                                                 "B\n\"a;b\";\"c\"\"d\";\n\n\n"));

        table->verticalHeader()->hide();
        table->setRowCount(1);
        table->show();
        QCOMPARE(
            XLSXHelper::tableToCSVString(table.get(), ";", "\n"),
            QString("Название;Время;Комментарий\nКрыса 1;1.5;\"%1\"\n").arg(QString(comment).replace("\"", "\"\"")));
        QCOMPARE(XLSXHelper::transpose({{1, 2, 3}, {4}}), XLSXHelper::Rows({{1, 4}, {2, ""}, {3, ""}}));
    }

    // A save that cannot happen says so and leaves what stood there.
    void failedSavesAreReported()
    {
        const QString kept = folder.filePath("kept.csv");
        QVERIFY(writeFileBytes(kept, "old"));
        QVERIFY(!XLSXHelper::dataToXLSX(QList<XLSXHelper::Block>(), kept));
        QCOMPARE(readFileBytes(kept), QByteArray("old"));
        const QString missingFolder = folder.filePath("missing/out.xlsx");
        QVERIFY(!XLSXHelper::dataToXLSX(XLSXHelper::Rows{{1}}, missingFolder, "A"));
        QVERIFY(!XLSXHelper::dataToCSV(XLSXHelper::Rows{{1}}, missingFolder, "A", ";", "\n"));
        QVERIFY(!XLSXHelper::saveTableToXLSX(runsTable().get(), folder.path(), "A"));
        QVERIFY(!QFileInfo::exists(missingFolder));
    }
};

QTEST_MAIN(TestTableExport)
#include "tst_tableexport.moc"
