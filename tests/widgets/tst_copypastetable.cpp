#include "DialogSeam.h"
#include "QTableWidgetWithCopyPaste.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>

namespace {
QStringList cellTexts(const QTableWidget& table)
{
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c)
            texts << (table.item(r, c) ? table.item(r, c)->text() : QStringLiteral("<none>"));
    }
    return texts;
}
} // namespace

class TestCopyPasteTable : public QObject
{
    Q_OBJECT

private slots:
    // Copy gives text for editors and escaped HTML for spreadsheets; paste takes tab-separated
    // lines (an empty last cell too), refuses what does not fit with a message and keeps the
    // table, and ignores spreadsheet data (which carries HTML) and a paste that is not allowed.
    void copiesAndPastesThroughTheClipboard()
    {
        QStringList messages;
        DialogSeam::setHandler([&](const DialogSeam::Request& request) {
            messages << request.title + ": " + request.text;
            return DialogSeam::Answer{0, false, {}};
        });
        QTableWidgetWithCopyPaste table(2, 2);
        const QStringList cells = {"<5 ms", "A&B\nC", "e", "f"};
        for (int i = 0; i < cells.size(); ++i)
            table.setItem(i / 2, i % 2, new QTableWidgetItem(cells.at(i)));
        table.selectAll();
        QTest::keySequence(&table, QKeySequence::Copy);
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        QCOMPARE(copied->text(), QString("<5 ms\tA&B\nC\ne\tf"));
        QCOMPARE(copied->html(), QString("<html><style>br{mso-data-placement:same-cell;}</style><table><tr><td>"
                                         "&lt;5 ms</td><td>A&amp;B<br>C</td></tr><tr><td>e</td><td>f</td></tr>"));

        QApplication::clipboard()->setText("1\t\n3\t4\n");
        QTest::keySequence(&table, QKeySequence::Paste);
        QCOMPARE(cellTexts(table), cells);
        table.allowPaste(true);
        QTest::keySequence(&table, QKeySequence::Paste);
        QCOMPARE(cellTexts(table), QStringList({"1", "", "3", "4"}));

        // Rows of different lengths whose cells would add up to whole rows are refused too:
        // filling would move cells into other rows.
        for (const QString& refused : {"a\tb\nc\td", "a\tb\tc\n", "abc", "a\tb\nc\n", "a\tb\tc\nd\n", "a\nb\tc\td\n"}) {
            QApplication::clipboard()->setText(refused);
            QTest::keySequence(&table, QKeySequence::Paste);
        }
        QCOMPARE(messages, QStringList({"Error: Invalid clipboard data, incorrect number of columns.",
                                        "Error: Invalid clipboard data, incorrect number of columns.",
                                        "Error: Invalid clipboard data, unable to perform paste operation.",
                                        "Error: Invalid clipboard data, unable to perform paste operation.",
                                        "Error: Invalid clipboard data, unable to perform paste operation.",
                                        "Error: Invalid clipboard data, unable to perform paste operation."}));
        QCOMPARE(cellTexts(table), QStringList({"1", "", "3", "4"}));
        auto* spreadsheet = new QMimeData;
        spreadsheet->setHtml("<table><tr><td>x</td><td>y</td></tr></table>");
        spreadsheet->setText("x\ty\n");
        QApplication::clipboard()->setMimeData(spreadsheet);
        QTest::keySequence(&table, QKeySequence::Paste);
        QCOMPARE(cellTexts(table), QStringList({"1", "", "3", "4"}));
        DialogSeam::setHandler({});
    }
};

QTEST_MAIN(TestCopyPasteTable)
#include "tst_copypastetable.moc"
