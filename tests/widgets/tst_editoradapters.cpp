#include "BasicWindow.h"
#include "DialogSeam.h"
#include "GlobalConsole.h"
#include "KeyValueTableWidget.h"
#include "LineEditAdapter.h"
#include "MultilineKeyValueTable.h"
#include "TestFiles.h"
#include "TextEditAdapter.h"
#include "TimeEdit.h"
#include "VerticalTabWidget.h"

#include <QApplication>
#include <QFileInfo>
#include <QFocusEvent>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

void sendFocus(QWidget* widget, QEvent::Type type)
{
    QFocusEvent event(type);
    QApplication::sendEvent(widget, &event);
}

QTableWidget* tableOf(QWidget& widget)
{
    return widget.findChild<QTableWidget*>();
}

// What the table shows, row by row, as "key=value".
QStringList shownRows(QTableWidget* table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* key = table->item(row, 0);
        const QTableWidgetItem* value = table->item(row, 1);
        rows << (key ? key->text() : QString()) + QLatin1Char('=') + (value ? value->text() : QString());
    }
    return rows;
}

void pressDelete(QWidget& widget, QTableWidget* table, int row, int column)
{
    table->setCurrentCell(row, column);
    QTest::keyClick(&widget, Qt::Key_Delete);
}

} // namespace

class TestEditorAdapters : public QObject
{
    Q_OBJECT

private slots:
    void timeEditFormatFollowsMaximum_data()
    {
        QTest::addColumn<int>("maxMs");
        QTest::addColumn<bool>("withMs");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QTime>("maximum");
        QTest::newRow("seconds") << 5000 << false << "mm:ss" << QTime(0, 0, 5);
        QTest::newRow("an hour, with ms") << 3600000 << true << "mm:ss.zzz" << QTime(1, 0);
        QTest::newRow("past an hour") << 3600001 << false << "hh:mm:ss" << QTime(1, 0, 0, 1);
        QTest::newRow("none") << 0 << false << "ss" << QTime(0, 0);
        // Neither wraps round the day to a maximum near midnight or a small one.
        QTest::newRow("negative") << -5 << false << "ss" << QTime(0, 0);
        QTest::newRow("beyond a day") << 90000000 << false << "hh:mm:ss" << QTime(23, 59, 59, 999);
    }

    void timeEditFormatFollowsMaximum()
    {
        QFETCH(int, maxMs);
        QFETCH(bool, withMs);
        QFETCH(QString, format);
        QFETCH(QTime, maximum);
        TimeEdit edit;
        edit.setMaxMsAndAutoFormat(maxMs, withMs);
        QCOMPARE(edit.displayFormat(), format);
        QCOMPARE(edit.maximumTime(), maximum);
    }

    void timeEditStepsBySection()
    {
        TimeEdit edit;
        edit.setMaxTimeAndAutoFormat(QTime(0, 5), true);
        edit.setTime(QTime(0, 0, 30));
        edit.setCurrentSection(QDateTimeEdit::MinuteSection);
        edit.stepBy(-1);
        QCOMPARE(edit.time(), QTime(0, 0));
        edit.stepBy(7);
        QCOMPARE(edit.time(), QTime(0, 5));
        edit.setTime(QTime(0, 1));
        edit.setCurrentSection(QDateTimeEdit::MSecSection);
        edit.stepBy(1);
        QCOMPARE(edit.time(), QTime(0, 1, 0, 100));
        edit.setCurrentSection(QDateTimeEdit::SecondSection);
        edit.stepBy(-2);
        QCOMPARE(edit.time(), QTime(0, 0, 58, 100));
    }

    void adaptersAndWindowsAnnounce()
    {
        LineEditAdapter line;
        QSignalSpy lineGained(&line, &LineEditAdapter::focusGained);
        QSignalSpy lineLost(&line, &LineEditAdapter::focusLost);
        sendFocus(&line, QEvent::FocusIn);
        sendFocus(&line, QEvent::FocusOut);
        QCOMPARE(lineGained.count(), 1);
        QCOMPARE(lineLost.count(), 1);

        TextEditAdapter text(QStringLiteral("x"));
        QSignalSpy resized(&text, &TextEditAdapter::resized);
        QSignalSpy textLost(&text, &TextEditAdapter::focusLost);
        text.show();
        text.resize(200, 80);
        QTRY_VERIFY(resized.count() >= 1);
        sendFocus(&text, QEvent::FocusOut);
        QCOMPARE(textLost.count(), 1);

        // A listener cannot keep the window open.
        BasicWindow window;
        int closing = 0;
        connect(&window, &BasicWindow::closing, &window, [&closing](BasicWindow*, QCloseEvent* event) {
            ++closing;
            event->ignore();
        });
        window.show();
        QVERIFY(window.close());
        QCOMPARE(closing, 1);
        QVERIFY(!window.isVisible());

        // Tabs on the left read level: wider than tall, as a tab on top would be.
        VerticalTabWidget tabs;
        tabs.addTab(new QWidget(), QStringLiteral("A long tab label"));
        tabs.addTab(new QWidget(), QStringLiteral("B"));
        tabs.resize(400, 200);
        tabs.show();
        QCOMPARE(tabs.tabPosition(), QTabWidget::West);
        const QSize tab = tabs.tabBar()->tabRect(0).size();
        QVERIFY2(tab.width() > tab.height(), qPrintable(QStringLiteral("%1x%2").arg(tab.width()).arg(tab.height())));
    }

    void keyValueTableKeepsItsFile()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("pairs.txt"));
        QVERIFY(writeFileBytes(path, "b\n2\na\n1\nlast"));
        {
            KeyValueTableWidget widget(path, false);
            QTableWidget* table = tableOf(widget);
            QCOMPARE(shownRows(table), (QStringList{"a=1", "b=2", "last=", "="}));
            QSignalSpy changed(&widget, &KeyValueTableWidget::dataChanged);

            // A key typed into the empty row is a new pair, with a new empty row below.
            table->setItem(3, 0, new QTableWidgetItem(QStringLiteral("new")));
            QCOMPARE(table->rowCount(), 5);
            QCOMPARE(readFileBytes(path), QByteArray("a\n1\nb\n2\nlast\n\nnew\n\n"));

            // A renamed key moves its pair; the old key does not stay behind.
            table->item(0, 0)->setText(QStringLiteral("c"));
            QCOMPARE(readFileBytes(path), QByteArray("b\n2\nc\n1\nlast\n\nnew\n\n"));

            // A key another row holds would overwrite that row's pair: refused.
            table->item(1, 0)->setText(QStringLiteral("c"));
            QCOMPARE(table->item(1, 0)->text(), QStringLiteral("b"));
            QCOMPARE(readFileBytes(path), QByteArray("b\n2\nc\n1\nlast\n\nnew\n\n"));

            // A line break would split the pair over the lines of other pairs.
            table->item(1, 1)->setText(QStringLiteral("two\nlines"));
            QCOMPARE(readFileBytes(path), QByteArray("b\ntwo lines\nc\n1\nlast\n\nnew\n\n"));

            pressDelete(widget, table, 0, 1);
            QCOMPARE(table->item(0, 1)->text(), QString());
            // Deleting a key takes its pair out of the file at once.
            pressDelete(widget, table, 3, 0);
            QCOMPARE(readFileBytes(path), QByteArray("b\ntwo lines\nc\n\nlast\n\n"));
            QCOMPARE(shownRows(table), (QStringList{"c=", "b=two lines", "last=", "="}));
            // The empty row holds no pair: nothing to delete.
            pressDelete(widget, table, 3, 0);
            QCOMPARE(table->rowCount(), 4);
            QCOMPARE(changed.count(), 7);
        }
        // Without saving on destruction, closing leaves the last edit's file.
        QCOMPARE(readFileBytes(path), QByteArray("b\ntwo lines\nc\n\nlast\n\n"));

        // A file that cannot be read, or written, is named on the console; the table goes on
        // working and never writes over a file it could not read.
        QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("folder"))));
        for (const QString& failing :
             {folder.filePath(QStringLiteral("folder")), folder.filePath("missing/pairs.txt")}) {
            GlobalConsole::ClearText();
            KeyValueTableWidget table(failing, true);
            tableOf(table)->setItem(0, 0, new QTableWidgetItem(QStringLiteral("k")));
            QVERIFY(GlobalConsole::currentText().contains(failing));
            QCOMPARE(tableOf(table)->rowCount(), 2);
        }
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("folder"))).isDir());
    }

    void keyValueTableFileRoundTrips_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("rows");
        const QString mark(QChar::ByteOrderMark);
        const QString bomKey = mark + QStringLiteral("k");
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBFk\nv\n") << QStringList{"k=v", "="};
        QTest::newRow("utf-16 le mark") << QByteArray("\xFF\xFEk\0\n\0v\0\n\0", 10) << QStringList{"k=v", "="};
        QTest::newRow("utf-16 be mark") << QByteArray("\xFE\xFF\0k\0\n\0v\0\n", 10) << QStringList{"k=v", "="};
        // A mark behind the encoding's mark is text, the first character of the first key.
        QTest::newRow("utf-8 mark twice")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFk\nv\n") << QStringList{bomKey + "=v", "="};
        QTest::newRow("utf-16 le mark twice") << QByteArray("\xFF\xFE\xFF\xFEk\0", 6) << QStringList{bomKey + "=", "="};
        QTest::newRow("utf-16 be mark twice")
            << QByteArray("\xFE\xFF\xFE\xFF\xFF\x47") << QStringList{mark + QChar(0xFF47) + "=", "="};
        // Halves of surrogate pairs, which UTF-8 cannot hold, are shown as what a save writes for
        // them: the keys D800 (value 1) and D801 (value 2) become the same, and the later pair is kept.
        QTest::newRow("utf-16 lone surrogates")
            << QByteArray::fromHex("fffe00d80a0031000a0001d80a0032000a00") << QStringList{"?=2", "="};
    }

    // What a save writes loads back to the table it came from, whatever encoding the file had.
    void keyValueTableFileRoundTrips()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rows);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("pairs.txt"));
        const auto loadAndSave = [&path] {
            KeyValueTableWidget table(path, true);
            return shownRows(tableOf(table));
        };
        QVERIFY(writeFileBytes(path, file));
        QCOMPARE(loadAndSave(), rows);
        const QByteArray saved = readFileBytes(path);
        QCOMPARE(loadAndSave(), rows);
        QCOMPARE(readFileBytes(path), saved);
    }

    void multilineTableRefusesTakenKeys()
    {
        int warnings = 0;
        DialogSeam::setHandler([&](const DialogSeam::Request& request) {
            warnings += request.title == QStringLiteral("Key already exists!");
            return DialogSeam::Answer{0, false, {}};
        });
        MultilineKeyValueTable table;
        QSignalSpy changed(&table, &MultilineKeyValueTable::changed);
        QVERIFY(table.addPair(QStringLiteral("x"), QStringLiteral("1")));
        QVERIFY(table.addPair(QStringLiteral("y"), QStringLiteral("<b>2</b>\nline")));
        // A second row with a key taken would share, and on removal lose, the other's value.
        QVERIFY(!table.insertMultilineRow(0, QStringLiteral("x"), QStringLiteral("3")));
        QCOMPARE(table.rowCount(), 2);

        auto* yKey = qobject_cast<LineEditAdapter*>(table.cellWidget(1, 0));
        auto* yValue = qobject_cast<TextEditAdapter*>(table.cellWidget(1, 1));
        QVERIFY(yKey && yValue);
        yKey->setText(QStringLiteral("x"));
        sendFocus(yKey, QEvent::FocusOut);
        QCOMPARE(warnings, 1);
        QCOMPARE(table.getKeys(), (QStringList{"x", "y"}));
        QCOMPARE(yKey->text(), QStringLiteral("x"));
        QCOMPARE(changed.count(), 0);

        yKey->setText(QStringLiteral("z"));
        sendFocus(yKey, QEvent::FocusOut);
        QCOMPARE(table.getKeys(), (QStringList{"x", "z"}));
        QCOMPARE(changed.count(), 1);
        // The value is text: markup and line breaks come back as they went in.
        sendFocus(yValue, QEvent::FocusOut);
        QCOMPARE(table.valueByKey(QStringLiteral("z")), QStringLiteral("<b>2</b>\nline"));
        QCOMPARE(table.valueByKey(QStringLiteral("y")), QString());
        QCOMPARE(changed.count(), 2);

        table.removeMultilineRow(0);
        QCOMPARE(table.getKeys(), QStringList{"z"});
        QCOMPARE(table.valueByKey(QStringLiteral("x")), QString());
        QCOMPARE(changed.count(), 2);
        DialogSeam::setHandler(nullptr);
    }
};

QTEST_MAIN(TestEditorAdapters)
#include "tst_editoradapters.moc"
