#include "CSVWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestCSVWriter : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

private slots:
    void linesAndCellsAreWrittenByteExactly()
    {
        const QString path = dir.filePath("values.csv");
        {
            CSVWriter writer(path, false, nullptr);
            QVERIFY(writer.isOpen());
            QVERIFY(writer.write(QList<float>{1.5f, 2.25f}, 2));
            QVERIFY(writer.write(std::vector<float>{-0.125f}, 3));
            QVERIFY(writer.write(QList<int>{1, -2, 3}));
            QVERIFY(writer.write(std::vector<int>{40}));
            QVERIFY(writer.writeInts(3, 4, 5, 6));
            QVERIFY(writer.write(QList<float>{}, 2));
            QVERIFY(writer.write(7));
            QVERIFY(writer.write(8, true));
            QVERIFY(writer.write(1.26f, 1));
            QVERIFY(writer.write(2.4f, 0, true));
            QVERIFY(writer.write(QStringLiteral("Время µs")));
            QVERIFY(writer.writeLineEnd());
        }
        // Numbers never follow the user's locale: "1.50", not "1,50".
        QCOMPARE(contentOf(path),
                 QStringLiteral("1.50;2.25;\n-0.125;\n1;-2;3;\n40;\n4;5;6;\n\n7;8;\n1.3;2;\nВремя µs\n").toUtf8());
    }

    void writersOnTheSamePathAppend()
    {
        const QString path = dir.filePath("shared.csv");
        CSVWriter first(path, false, nullptr);
        CSVWriter second(path, false, nullptr);
        QVERIFY(first.write(1, true));
        QVERIFY(second.write(2, true));
        QCOMPARE(contentOf(path), QByteArray("1;\n2;\n"));
    }

    void overwriteStartsAnEmptyFile()
    {
        const QString path = dir.filePath("again.csv");
        {
            CSVWriter writer(path, false, nullptr);
            QVERIFY(writer.write(1, true));
        }
        CSVWriter writer(path, true, nullptr);
        QVERIFY(writer.write(2, true));
        QCOMPARE(contentOf(path), QByteArray("2;\n"));
    }

    void missingFoldersAreCreated()
    {
        const QString path = dir.filePath("run/2026/startle.csv");
        CSVWriter writer(path, false, nullptr);
        QVERIFY(writer.write(QList<int>{9}));
        QCOMPARE(contentOf(path), QByteArray("9;\n"));
        QCOMPARE(writer.getPath(), path);
    }

    void unopenableFileMakesAnInertWriterThatReportsFailure()
    {
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        CSVWriter writer(dir.filePath("blocker/sub/values.csv"), false, nullptr);
        QVERIFY(!writer.isOpen());
        QVERIFY(!writer.write(QList<float>{1.0f}, 1));
        QVERIFY(!writer.write(1, true));
        QVERIFY(!writer.writeInts(1, 2));
        QVERIFY(!writer.writeLineEnd());
    }

    void fullDiskIsReportedAsFailure()
    {
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full on this system");
        CSVWriter writer("/dev/full", false, nullptr);
        QVERIFY(writer.isOpen());
        QVERIFY(!writer.write(QList<int>{1, 2, 3}));
    }
};

QTEST_GUILESS_MAIN(TestCSVWriter)
#include "tst_csvwriter.moc"
