#include "ZLogger.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <thread>
#include <vector>

// The first write of a process fixes the log file, so the whole test shares one file and
// every case reads back only the bytes it appended.
class TestZLogger : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString logFile;
    qint64 readOffset = 0;

    QByteArray appendedBytes()
    {
        QFile file(logFile);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        file.seek(readOffset);
        const QByteArray bytes = file.readAll();
        readOffset += bytes.size();
        return bytes;
    }

    // Splits appended bytes into lines and checks the time stamp and the line end of each.
    static QList<QByteArray> linesWithoutTime(const QByteArray& bytes)
    {
        static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\t"));
        QList<QByteArray> lines;
        if (!bytes.endsWith("\r\n") || bytes.count("\r\n") != bytes.count('\n'))
            return {"<a line does not end in CR LF>"};
        for (const QByteArray& line : bytes.chopped(2).split('\n')) {
            const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
            if (!time.match(QString::fromUtf8(text)).hasMatch())
                return {"<bad time stamp: " + text + ">"};
            lines.append(text.mid(13));
        }
        return lines;
    }

private slots:
    void firstPerDayWriteFixesTheFile()
    {
        QVERIFY(dir.isValid());
        ZLogger::LogTo("first", dir.filePath("app_"));
        logFile = dir.filePath("app_" + QDate::currentDate().toString("yyyy.MM.dd") + ".log");
        QVERIFY(QFile::exists(logFile));
        QCOMPARE(linesWithoutTime(appendedBytes()), QList<QByteArray>{"first"});
    }

    void typedAndUntypedLines()
    {
        ZLogger::LogToFile("W", "x", logFile);
        ZLogger::LogToFile("", "x", logFile);
        ZLogger::LogToFile("plain", logFile, false);
        QCOMPARE(linesWithoutTime(appendedBytes()), (QList<QByteArray>{"W\tx", "x", "plain"}));
    }

    void laterPathsStillWriteToTheFirstFile()
    {
        const QString other = dir.filePath("other.log");
        ZLogger::LogToFile("to other", other);
        ZLogger::LogTo("T", "daily", dir.filePath("elsewhere_"));
        ZLogger::setLoggerPath(dir.filePath("base_"));
        ZLogger::Log("via base");
        ZLogger::Log("E", "typed via base");
        QVERIFY(!QFile::exists(other));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(logFile).fileName()});
        QCOMPARE(linesWithoutTime(appendedBytes()),
                 (QList<QByteArray>{"to other", "T\tdaily", "via base", "E\ttyped via base"}));
    }

    void nonAsciiTextIsUtf8()
    {
        ZLogger::LogToFile("Ошибка", "мышь µ", logFile);
        QCOMPARE(linesWithoutTime(appendedBytes()), QList<QByteArray>{QStringLiteral("Ошибка\tмышь µ").toUtf8()});
    }

    // Unlike the static writers, an object writes to its own file, whatever the process wrote first.
    void objectFormWritesTypedLinesToItsOwnFile()
    {
        const QString ownFile = dir.filePath("own.log");
        ZLogger logger(ownFile);
        QCOMPARE(logger.getPath(), ownFile);
        QVERIFY(QMetaObject::invokeMethod(&logger, "log", Q_ARG(QString, "message"), Q_ARG(QString, "T")));
        logger.log("untyped");
        QFile own(ownFile);
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(linesWithoutTime(own.readAll()), (QList<QByteArray>{"T\tmessage", "untyped"}));
        QVERIFY(appendedBytes().isEmpty());

        ZLogger::LogToFile("static", dir.filePath("own.log"));
        QCOMPARE(linesWithoutTime(appendedBytes()), QList<QByteArray>{"static"});
    }

    void standardPathIsInDocumentsAndStamped()
    {
        QCoreApplication::setApplicationName("Kestrum");
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QRegularExpression form("^" + QRegularExpression::escape(documents + "/Kestrum_")
                                      + "\\d{4}\\.\\d\\d\\.\\d\\d-\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d{3}\\.log$");
        QVERIFY2(form.match(ZLogger::standardLogFilePath()).hasMatch(), qPrintable(ZLogger::standardLogFilePath()));
        QVERIFY(form.match(ZLogger().getPath()).hasMatch());
    }

    void concurrentWritersNeitherLoseNorInterleave()
    {
        const int threadCount = 8;
        const int perThread = 1000;
        std::vector<std::thread> writers;
        for (int t = 0; t < threadCount; ++t) {
            writers.emplace_back([this, t] {
                const QString type = QStringLiteral("T%1").arg(t);
                for (int i = 0; i < perThread; ++i)
                    ZLogger::LogToFile(type, QStringLiteral("line %1 of thread %2 · ü").arg(i).arg(t), logFile);
            });
        }
        for (std::thread& writer : writers)
            writer.join();

        const QList<QByteArray> lines = linesWithoutTime(appendedBytes());
        QCOMPARE(lines.size(), threadCount * perThread);
        QList<int> nextLine(threadCount, 0);
        for (const QByteArray& line : lines) {
            const int t = line.mid(1, line.indexOf('\t') - 1).toInt();
            QVERIFY(t >= 0 && t < threadCount);
            const QByteArray expected =
                QStringLiteral("T%1\tline %2 of thread %1 · ü").arg(t).arg(nextLine[t]).toUtf8();
            QCOMPARE(line, expected);
            ++nextLine[t];
        }
        QCOMPARE(nextLine, QList<int>(threadCount, perThread));
    }
};

QTEST_GUILESS_MAIN(TestZLogger)
#include "tst_zlogger.moc"
