#include "GlobalConsole.h"
#include "ZLogger.h"

#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <thread>
#include <vector>

// Debug output of the console goes here instead of the terminal, so tests can read it back.
namespace {
QMutex debugMutex;
QStringList debugLines;

void collectDebugOutput(QtMsgType, const QMessageLogContext&, const QString& message)
{
    QMutexLocker locker(&debugMutex);
    debugLines.append(message);
}

QStringList takeDebugLines()
{
    QMutexLocker locker(&debugMutex);
    return std::exchange(debugLines, {});
}
} // namespace

// Lives in the test's thread, so signals from writer threads reach it queued.
class EntryCounter : public QObject
{
    Q_OBJECT
public:
    int entries = 0;
public slots:
    void onEntry(const QString&) { ++entries; }
};

class TestGlobalConsole : public QObject
{
    Q_OBJECT

    const QDateTime noon{QDate(2026, 3, 5), QTime(12, 34, 56, 789)};

private slots:
    void initTestCase() { qInstallMessageHandler(collectDebugOutput); }

    void init()
    {
        GlobalConsole::FullOptimization = false;
        GlobalConsole::freeData();
        takeDebugLines();
    }

    void cleanup() { GlobalConsole::FullOptimization = false; }

    void entryTextForm()
    {
        QCOMPARE(ConsoleEntry("text", "12:00:00.000", "").toString(), QStringLiteral("12:00:00.000 text"));
        QCOMPARE(ConsoleEntry("text", "12:00:00.000", "W").toString(), QStringLiteral("12:00:00.000 W text"));
    }

    void writeItemStoresAnnouncesAndMirrors()
    {
        QSignalSpy spy(GlobalConsole::Instance(), &GlobalConsole::newEntry);
        GlobalConsole::writeItem("started", "Info", noon);
        GlobalConsole::writeLine("plain", noon);

        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("12:34:56.789 Info started"));
        QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("12:34:56.789 plain"));
        QCOMPARE(takeDebugLines(), (QStringList{"12:34:56.789 Info started", "12:34:56.789 plain"}));
    }

    void currentTextListsNewestFirst()
    {
        GlobalConsole::writeItem("first", "", noon);
        GlobalConsole::writeItem("second", "T", noon);
        QCOMPARE(GlobalConsole::currentText(), QStringLiteral("12:34:56.789 T second\n12:34:56.789 first\n"));
        GlobalConsole::ClearText();
        QCOMPARE(GlobalConsole::currentText(), QString());
    }

    void richTextTagsStayInEntryButNotInDebugOutput()
    {
        QSignalSpy spy(GlobalConsole::Instance(), &GlobalConsole::newEntry);
        GlobalConsole::writeItem("<b>bold</b> text", "", noon);
        GlobalConsole::writeItem("a < b", "", noon);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("12:34:56.789 <b>bold</b> text"));
        QCOMPARE(takeDebugLines(), (QStringList{"12:34:56.789 bold text", "12:34:56.789 a < b"}));
    }

    void disabledTypesAreDroppedIgnoringCase()
    {
        GlobalConsole::disableType("Debug");
        GlobalConsole::writeItem("hidden", "debug", noon);
        GlobalConsole::writeItem("shown", "", noon);
        QCOMPARE(GlobalConsole::currentText(), QStringLiteral("12:34:56.789 shown\n"));

        GlobalConsole::disableType("debug", false); // not the same entry: "Debug" stays disabled
        GlobalConsole::writeItem("still hidden", "DEBUG", noon);
        QCOMPARE(GlobalConsole::Instance()->entryCount(), 1);

        GlobalConsole::disableType("Debug", false);
        GlobalConsole::writeItem("back", "debug", noon);
        QCOMPARE(GlobalConsole::Instance()->entryCount(), 2);
    }

    void statusesAnnounceNewNamesOnce()
    {
        GlobalConsole* console = GlobalConsole::Instance();
        QSignalSpy updated(console, &GlobalConsole::updatedStatus);
        QSignalSpy added(console, &GlobalConsole::newStatusName);
        GlobalConsole::setStatus("camera", "on");
        GlobalConsole::setStatus("camera", "off");
        GlobalConsole::setStatus("apparatus", "found");

        QCOMPARE(updated.count(), 3);
        QCOMPARE(updated.at(1), (QList<QVariant>{"camera", "off"}));
        QCOMPARE(added.count(), 2);
        QCOMPARE(GlobalConsole::getStatus("camera"), QStringLiteral("off"));
        QCOMPARE(GlobalConsole::getStatus("unknown"), QStringLiteral(""));
        QCOMPARE(GlobalConsole::getStatusNames(), (QList<QString>{"apparatus", "camera"}));
    }

    void clearStatus()
    {
        QSignalSpy cleared(GlobalConsole::Instance(), &GlobalConsole::statusCleared);
        GlobalConsole::setStatus("a", "1");
        GlobalConsole::setStatus("b", "2");
        GlobalConsole::clearStatus("a");
        GlobalConsole::clearStatus("never set");
        QCOMPARE(GlobalConsole::getStatusNames(), QList<QString>{"b"});

        GlobalConsole::clearStatus("");
        QVERIFY(GlobalConsole::getStatusNames().isEmpty());
        QCOMPARE(cleared.count(), 3);
        QCOMPARE(cleared.at(2).at(0).toString(), QString());
    }

    void runningAverages()
    {
        QSignalSpy added(GlobalConsole::Instance(), &GlobalConsole::newAverageName);
        QCOMPARE(GlobalConsole::countAverage("t", 10, 5), 10.0);
        QCOMPARE(GlobalConsole::countAverage("t", 20, 5), 15.0);
        QCOMPARE(GlobalConsole::countAverage("t", 30, 5), 20.0);
        QCOMPARE(GlobalConsole::countAverage("t", 40, 5), 25.0);
        QCOMPARE(GlobalConsole::countAverage("t", 50, 5), 30.0);
        // The window is full: every further sample moves the average by (x - a) / w.
        QCOMPARE(GlobalConsole::countAverage("t", 130, 5), 30.0 + (130.0 - 30.0) / 5);
        QCOMPARE(GlobalConsole::countAverage("t", 30, 5), 50.0 + (30.0 - 50.0) / 5);
        QCOMPARE(added.count(), 1);
        QCOMPARE(GlobalConsole::getAverage("t"), 46.0);
        QCOMPARE(GlobalConsole::getAverage("none"), 0.0);
    }

    void windowOfOneOrLessFollowsTheLastSample_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("one") << 1;
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -3;
    }

    void windowOfOneOrLessFollowsTheLastSample()
    {
        QFETCH(int, window);
        for (double value : {4.0, 9.0, -2.5})
            QCOMPARE(GlobalConsole::countAverage("w", value, window), value);
        QCOMPARE(GlobalConsole::getAverageNames(), QList<QString>{"w"});
    }

    void fullOptimizationSilencesEverything()
    {
        QSignalSpy entries(GlobalConsole::Instance(), &GlobalConsole::newEntry);
        QSignalSpy averages(GlobalConsole::Instance(), &GlobalConsole::updatedAverage);
        GlobalConsole::FullOptimization = true;
        GlobalConsole::writeItem("x", "", noon);
        GlobalConsole::setStatus("s", "x");
        QCOMPARE(GlobalConsole::countAverage("a", 5, 3), 0.0);
        GlobalConsole::FullOptimization = false;

        QCOMPARE(GlobalConsole::currentText(), QString());
        QVERIFY(GlobalConsole::getStatusNames().isEmpty());
        QVERIFY(GlobalConsole::getAverageNames().isEmpty());
        QCOMPARE(entries.count() + averages.count(), 0);
    }

    void writerStreamsOneItemPerValue()
    {
        ztDebug() << 'A' << short(-7) << 42 << 0.5f << 3.14159265 << "µs" << QStringLiteral("done");
        const QStringList lines = GlobalConsole::currentText().split('\n', Qt::SkipEmptyParts);
        QStringList texts;
        for (const QString& line : lines)
            texts.prepend(line.section(' ', 1));
        QCOMPARE(texts, (QStringList{"65", "-7", "42", "0.5", "3.14159", "µs", "done"}));
    }

    void keepsOnlyTheNewestEntries()
    {
        const int extra = 5;
        for (int i = 0; i < GlobalConsole::MaxEntries + extra; ++i)
            GlobalConsole::writeItem(QString::number(i), "", noon);
        QCOMPARE(GlobalConsole::Instance()->entryCount(), GlobalConsole::MaxEntries);
        const QString text = GlobalConsole::currentText();
        QVERIFY(text.startsWith(QStringLiteral("12:34:56.789 %1\n").arg(GlobalConsole::MaxEntries + extra - 1)));
        QVERIFY(text.endsWith(QStringLiteral("12:34:56.789 %1\n").arg(extra)));
    }

    void freeDataGivesAFreshConsole()
    {
        GlobalConsole::writeItem("x", "", noon);
        GlobalConsole::setStatus("s", "1");
        GlobalConsole::freeData();
        GlobalConsole::ClearText(); // no console exists: must not crash
        QCOMPARE(GlobalConsole::currentText(), QString());
        QVERIFY(GlobalConsole::getStatusNames().isEmpty());
    }

    void loggingMirrorsItemsToTheLogFile()
    {
        QVERIFY(!GlobalConsole::Instance()->isLoggingEnabled());
        GlobalConsole::enableLogging(true, "");
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(GlobalConsole::Instance()->logPath().startsWith(documents + "/"));
        QVERIFY(GlobalConsole::Instance()->logPath().endsWith(".log"));

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("console.log");
        GlobalConsole::enableLogging(true, path);
        GlobalConsole::writeItem("typed", "W", noon);
        GlobalConsole::writeItem("plain", "", noon);
        GlobalConsole::enableLogging(false, path);
        GlobalConsole::writeItem("not logged", "", noon);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(file.readAll());
        static const QRegularExpression expected(
            QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\tW\ttyped\r\n\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\tplain\r\n$"));
        QVERIFY2(expected.match(content).hasMatch(), qPrintable(content));
    }

    void concurrentWritersLoseNothing()
    {
        EntryCounter counter;
        connect(GlobalConsole::Instance(), &GlobalConsole::newEntry, &counter, &EntryCounter::onEntry);
        const int threadCount = 8;
        const int perThread = 500;
        std::vector<std::thread> writers;
        for (int t = 0; t < threadCount; ++t) {
            writers.emplace_back([t] {
                const QString own = QStringLiteral("thread %1").arg(t);
                for (int i = 0; i < perThread; ++i) {
                    GlobalConsole::writeItem(QString::number(i), own);
                    GlobalConsole::countAverage(own, t, 10);
                    GlobalConsole::countAverage("shared", 7, 50);
                    GlobalConsole::setStatus(own, QString::number(i));
                }
            });
        }
        for (int i = 0; i < 200; ++i) {
            GlobalConsole::currentText();
            GlobalConsole::getStatusNames();
            GlobalConsole::getAverage("shared");
        }
        for (std::thread& writer : writers)
            writer.join();

        QCOMPARE(GlobalConsole::Instance()->entryCount(), threadCount * perThread);
        QCOMPARE(GlobalConsole::getAverage("shared"), 7.0);
        for (int t = 0; t < threadCount; ++t) {
            QCOMPARE(GlobalConsole::getAverage(QStringLiteral("thread %1").arg(t)), double(t));
            QCOMPARE(GlobalConsole::getStatus(QStringLiteral("thread %1").arg(t)), QString::number(perThread - 1));
        }
        QTRY_COMPARE_WITH_TIMEOUT(counter.entries, threadCount * perThread, 60000);
    }
};

QTEST_GUILESS_MAIN(TestGlobalConsole)
#include "tst_globalconsole.moc"
