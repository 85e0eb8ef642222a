#include "GlobalConsole.h"
#include "KeyValueFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using Pairs = QMap<QString, QString>;

class TestKeyValueFile : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

    static Pairs pairsOf(const KeyValueFile& file)
    {
        Pairs pairs;
        for (const QString& key : file.keys())
            pairs.insert(key, file.getValue(key));
        return pairs;
    }

    QStringList brokenCopies(const QString& name) const { return QDir(folder.path()).entryList({name + ".broken-*"}); }

private slots:
    void pairsRoundTripUnchanged()
    {
        const QString path = folder.filePath("simple.xml");
        KeyValueFile file(path);
        file.setValue("b", "2");
        file.setValue("a", "1");
        QCOMPARE(readFileBytes(path), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                                 "<items>\n"
                                                 "    <item>\n"
                                                 "        <key>a</key>\n"
                                                 "        <value>1</value>\n"
                                                 "    </item>\n"
                                                 "    <item>\n"
                                                 "        <key>b</key>\n"
                                                 "        <value>2</value>\n"
                                                 "    </item>\n"
                                                 "</items>\n"));

        const Pairs tricky{{"Кличка", "Белка & Стрелка"},
                           {"<tag attr=\"x\">", "'single' \"double\" </value> &amp;"},
                           {" padded key ", "  padded value\t"},
                           {"lines", "first\r\nsecond\rthird\n"},
                           {"", "empty key"},
                           {"empty value", ""}};
        const QString trickyPath = folder.filePath("tricky.xml");
        KeyValueFile written(trickyPath, false, false);
        written.setMap(tricky);
        QVERIFY(written.save());
        // Values are written without their outer white space; keys exactly as they are.
        Pairs trimmed = tricky;
        trimmed[" padded key "] = "padded value";
        trimmed["lines"] = "first\r\nsecond\rthird";
        QCOMPARE(pairsOf(KeyValueFile(trickyPath)), trimmed);
        QCOMPARE(written.getValue(" padded key "), "  padded value\t");
    }

    void damagedFilesStopAndKeepWhatWasRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Pairs>("pairs");
        QTest::addColumn<bool>("damaged");
        const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items>";
        QTest::newRow("cut inside an item") << head + "<item><key>a</key><value>1</value></item><item><key>b</key>"
                                            << Pairs{{"held", "x"}, {"a", "1"}} << true;
        QTest::newRow("cut inside a value") << head + "<item><key>a</key><value>1</va" << Pairs{{"held", "x"}} << true;
        QTest::newRow("garbage") << QByteArray("\x01\xff<<not xml") << Pairs{{"held", "x"}} << true;
        QTest::newRow("other names") << QByteArray("<root><other>x</other><item><key>k</key><value>v</value>"
                                                   "</item><key>lost</key></root>")
                                     << Pairs{{"held", "x"}, {"k", "v"}} << false;
        QTest::newRow("value without key")
            << head + "<item><value>v</value></item></items>" << Pairs{{"held", "x"}, {"", "v"}} << false;
        QTest::newRow("two values") << head + "<item><key>held</key><value>1</value><value>y</value></item></items>"
                                    << Pairs{{"held", "y"}} << false;
    }

    // Pairs read are added to those held. A reader that loops at the end of a truncated file
    // would never finish: it runs in a thread of its own, given five seconds.
    void damagedFilesStopAndKeepWhatWasRead()
    {
        QFETCH(QByteArray, content);
        QFETCH(Pairs, pairs);
        QFETCH(bool, damaged);
        const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_') + ".xml";
        const QString path = folder.filePath(name);
        QVERIFY(writeFileBytes(path, content));
        GlobalConsole::ClearText();
        Pairs read;
        int loadedSignals = 0;
        // Qt's wait for the thread is invisible to ThreadSanitizer; the results cross under a lock.
        std::mutex handOver;
        QThread* reader = QThread::create([&] {
            int signalled = 0;
            KeyValueFile file(path, false, false);
            file.setMap({{"held", "x"}});
            connect(&file, &KeyValueFile::loaded, [&] { ++signalled; });
            file.reload();
            std::lock_guard lock(handOver);
            read = pairsOf(file);
            loadedSignals = signalled;
        });
        reader->start();
        // A thread caught in a loop cannot be stopped, so the whole test ends.
        if (!reader->wait(5000))
            qFatal("Reading a damaged key-value file did not end");
        delete reader;
        std::lock_guard lock(handOver);
        QCOMPARE(read, pairs);
        QCOMPARE(loadedSignals, 1);
        QCOMPARE(readFileBytes(path), content);
        QCOMPARE(brokenCopies(name).size(), damaged ? 1 : 0);
        if (damaged) {
            QCOMPARE(readFileBytes(folder.filePath(brokenCopies(name).first())), content);
            QVERIFY(GlobalConsole::currentText().contains("Key-value file \"" + path + "\" is damaged"));
        }
    }

    void changesAreAnnouncedAndSaved()
    {
        const QString path = folder.filePath("changes.xml");
        KeyValueFile file(path, true, false);
        QSignalSpy values(&file, &KeyValueFile::valueChanged);
        QSignalSpy items(&file, &KeyValueFile::itemsChanged);
        file.setValue("b", "1");
        file.setValue("Key", "1");
        file.setValue("key", "2");
        QCOMPARE(file.keys(), QList<QString>({"Key", "b", "key"}));
        QCOMPARE(file.indexOfKey("b"), 1);
        QCOMPARE(file.indexOfKey("B"), -1);
        QCOMPARE(items.size(), 3);
        QVERIFY(!QFile::exists(path));

        // The same value again is still announced, but adds no item.
        file.setValue("b", "1");
        QCOMPARE(values.size(), 4);
        QCOMPARE(items.size(), 3);
        file.setValueCaseInsensitive("KEY", "3");
        QCOMPARE(file.getValue("Key"), "3");
        QCOMPARE(file.getValueCaseInsensitive("kEy"), "3");
        QVERIFY(file.containsKeyCaseInsensitive("B"));
        QVERIFY(!file.containsKey("B"));
        bool found = true;
        QVERIFY(file.getValue("absent", &found).isNull());
        QVERIFY(!found);

        // Removing writes the file even without automatic saving; a missing key changes nothing.
        file.removeKey("absent");
        QVERIFY(!QFile::exists(path));
        file.removeKey("b");
        QCOMPARE(items.size(), 4);
        QCOMPARE(pairsOf(KeyValueFile(path)), Pairs({{"Key", "3"}, {"key", "2"}}));

        const QString other = folder.filePath("other.xml");
        file.setFilename(path, true);
        file.setFilename(other, false);
        QVERIFY(!QFile::exists(other));
        file.setFilename(path, true);
        file.setFilename(path, true);
        QVERIFY(file.saveAs(other));
        QCOMPARE(readFileBytes(other), readFileBytes(path));

        // The empty key is a key like any other, found or not found exactly as the others are.
        QVERIFY(!file.containsKeyCaseInsensitive(""));
        file.setValue("", "empty key");
        QVERIFY(file.containsKey("") && file.containsKeyCaseInsensitive(""));
        QCOMPARE(file.getValueCaseInsensitive("", &found), "empty key");
        QVERIFY(found);
        QVERIFY(file.getValueCaseInsensitive("absent", &found).isNull());
        QVERIFY(!found);
        // Read back from a file, the empty key is the same key.
        QVERIFY(file.save());
        KeyValueFile reread(path);
        QVERIFY(reread.containsKeyCaseInsensitive(""));
        QVERIFY(reread.getValueCaseInsensitive("absent", &found).isNull());
        QVERIFY(!found);
    }

    void failedSavesAreReportedAndLeaveTheOldFile()
    {
        const QString path = folder.filePath("kept.xml");
        KeyValueFile file(path);
        file.setValue("a", "1");
        const QByteArray before = readFileBytes(path);
        GlobalConsole::ClearText();
        // XML cannot carry a control character: saving it would write a file that does not load.
        file.setValue("b", QStringLiteral("bell\x07"));
        QCOMPARE(file.getValue("b"), QStringLiteral("bell\x07"));
        QVERIFY(!file.save());
        QCOMPARE(readFileBytes(path), before);
        QVERIFY(GlobalConsole::currentText().contains("\"" + path + "\" was not saved"));

        file.removeKey("b");
        QVERIFY(!file.saveAs(folder.filePath("missing/folder/file.xml")));
        QVERIFY(!file.saveAs(folder.path()));
        QVERIFY(!KeyValueFile(QString(), false).save());
    }
};

QTEST_GUILESS_MAIN(TestKeyValueFile)
#include "tst_keyvaluefile.moc"

#include <mutex>
