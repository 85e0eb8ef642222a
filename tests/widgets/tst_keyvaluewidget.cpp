#include "KeyValueFile.h"
#include "KeyValueWidget.h"
#include "TextEditAdapter.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

TextEditAdapter* editorAt(QTableWidget* table, int row, int column)
{
    return qobject_cast<TextEditAdapter*>(table->cellWidget(row, column));
}

QPushButton* buttonAt(QTableWidget* table, int row, int column)
{
    QWidget* container = table->cellWidget(row, column);
    return container ? container->findChild<QPushButton*>() : nullptr;
}

// The pairs as a new reader finds them in the file on disk.
QMap<QString, QString> filePairs(const QString& path)
{
    const KeyValueFile reader(path, true, false);
    QMap<QString, QString> pairs;
    for (const QString& key : reader.keys())
        pairs.insert(key, reader.getValue(key));
    return pairs;
}

} // namespace

class TestKeyValueWidget : public QObject
{
    Q_OBJECT

private slots:
    void newKeyLineAddsTrimmedKeys()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("pairs.xml"));
        KeyValueFile file(path, false, true);
        KeyValueWidget widget(&file);
        auto* table = widget.findChild<QTableWidget*>();
        QCOMPARE(table->rowCount(), 1);
        TextEditAdapter* newKey = editorAt(table, 0, 0);
        QPushButton* add = buttonAt(table, 0, 1);
        QVERIFY(newKey && add);
        QVERIFY(add->isHidden());

        newKey->setPlainText(QStringLiteral("   "));
        QVERIFY(add->isHidden());
        newKey->setPlainText(QStringLiteral(" fresh "));
        QVERIFY(!add->isHidden());
        add->click();
        // The key checked was the trimmed one; the key added is that one too.
        QCOMPARE(filePairs(path), (QMap<QString, QString>{{"fresh", ""}}));
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(editorAt(table, 0, 0)->toPlainText(), QStringLiteral("fresh"));
        newKey = editorAt(table, 1, 0);
        QCOMPARE(newKey->toPlainText(), QString());

        newKey->setPlainText(QStringLiteral("fresh"));
        QCOMPARE(newKey->styleSheet(), QStringLiteral("color: red"));
        QVERIFY(buttonAt(table, 1, 1)->isHidden());
    }

    void rowsActOnTheirOwnPairs()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("pairs.xml"));
        KeyValueFile file(path, false, true);
        file.setMap({{"a", "1"}, {"b", "2"}, {"c", "3"}});
        KeyValueWidget widget(&file);
        auto* table = widget.findChild<QTableWidget*>();
        QSignalSpy rebuilt(&file, &KeyValueFile::itemsChanged);
        TextEditAdapter* bKey = editorAt(table, 1, 0);
        TextEditAdapter* bValue = editorAt(table, 1, 1);
        TextEditAdapter* cKey = editorAt(table, 2, 0);

        // Each keystroke of a value reaches the file at once, without a rebuild.
        bValue->setPlainText(QStringLiteral("two\n<lines> & more"));
        QCOMPARE(filePairs(path).value("b"), QStringLiteral("two\n<lines> & more"));
        QCOMPARE(editorAt(table, 1, 1), bValue);

        // Renamed to another row's key: red, and the file keeps both pairs.
        cKey->setPlainText(QStringLiteral("a"));
        QCOMPARE(cKey->styleSheet(), QStringLiteral("color: red"));
        QCOMPARE(filePairs(path), (QMap<QString, QString>{{"a", "1"}, {"b", "two\n<lines> & more"}, {"c", "3"}}));
        // Meanwhile the red row's value goes to its own pair, not the one its key names.
        editorAt(table, 2, 1)->setPlainText(QStringLiteral("33"));
        QCOMPARE(filePairs(path), (QMap<QString, QString>{{"a", "1"}, {"b", "two\n<lines> & more"}, {"c", "33"}}));
        // Another row's rename moves only that row's pair.
        bKey->setPlainText(QStringLiteral("x"));
        QCOMPARE(filePairs(path), (QMap<QString, QString>{{"a", "1"}, {"c", "33"}, {"x", "two\n<lines> & more"}}));
        // Typed back to its own key, the row is no duplicate.
        cKey->setPlainText(QStringLiteral("c"));
        QCOMPARE(cKey->styleSheet(), QString());
        QCOMPARE(rebuilt.count(), 0);

        cKey->setPlainText(QStringLiteral("a"));
        buttonAt(table, 2, 2)->click();
        QCOMPARE(filePairs(path), (QMap<QString, QString>{{"a", "1"}, {"x", "two\n<lines> & more"}}));
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(widget.getMapFromTable(), (QMap<QString, QString>{{"a", "1"}, {"x", "two\n<lines> & more"}}));

        // A value changed by other code shows in its row once the event loop has run.
        file.setValue(QStringLiteral("a"), QStringLiteral("from elsewhere"));
        TextEditAdapter* aValue = editorAt(table, 0, 1);
        QCOMPARE(aValue->toPlainText(), QStringLiteral("1"));
        QTRY_COMPARE(aValue->toPlainText(), QStringLiteral("from elsewhere"));

        // Rows grow with their text and are never lower than 30 pixels.
        const int oneLine = table->rowHeight(0);
        QVERIFY(oneLine >= 30);
        aValue->setPlainText(QStringLiteral("1\n2\n3\n4\n5\n6"));
        QVERIFY(table->rowHeight(0) > 3 * oneLine);
    }
};

QTEST_MAIN(TestKeyValueWidget)
#include "tst_keyvaluewidget.moc"
