#include "Experiment_Stats.h"
#include "GlobalConsole.h"
#include "TestFiles.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

class Record : public Experiment_Stats
{
public:
    using Experiment_Stats::Experiment_Stats;
    void start() override {}
    void finish() override {}
};

} // namespace

class ExperimentStatsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        runFolder = folder->filePath(QStringLiteral("2025.01.02-03.04.05.678"));
        statsPath = runFolder + QStringLiteral("/Stats.xml");
    }

    void defaultsAreThoseOfAFreshRecord()
    {
        Record record(statsPath, false);
        QCOMPARE(record.getVideoFrameWidth(), 1920);
        QCOMPARE(record.getVideoFrameHeight(), 1080);
        QCOMPARE(record.getRecognitionFrameWidth(), 480);
        QCOMPARE(record.getRecognitionFrameHeight(), 270);
        QCOMPARE(record.getCyclesCount(), 10);
        QCOMPARE(record.getTotalCyclesCount(), 10);
        QCOMPARE(record.getTimeStamp(), 0);
        // Runs recorded before a record kept whether its run finished lack the value: finished.
        QVERIFY(!record.isUnfinished());
        QCOMPARE(record.title(), QStringLiteral("2025.01.02-03.04.05.678"));
        QVERIFY(record.buildResult().isEmpty());
        QVERIFY(record.hasCycleStatistics());
    }

    void everyValueSurvivesStatsXml()
    {
        {
            Record record(statsPath, true);
            record.setTimeStamp(1'735'787'045'678);
            record.setDurationMs(123456);
            record.setComment(QStringLiteral("line one\nline <two> & \"three\""));
            record.setRodent(QStringLiteral("Крыса 12"));
            record.setCircuit(0.75);
            record.setSoundTone(440);
            record.setMaxDurationSeconds(300);
            record.setVideoFrameWidth(1280);
            record.setVideoFrameHeight(720);
            record.setRecognitionFrameWidth(640);
            record.setRecognitionFrameHeight(360);
            record.setCyclesCount(7);
            record.setTotalCyclesCount(12);
            record.setSoundToneLight(2000);
            record.setSoundToneElectrocution(3000);
            record.setKestrumSN(QStringLiteral("K-0042"));
            record.setFinished(false);
            record.addLog(1500, QStringLiteral("PhaseLight"));
            record.addLog(2500, QStringLiteral("Reaction"));
        }
        QFile file(statsPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray xml = file.readAll();
        QVERIFY2(xml.contains("<Circuit>0.75</Circuit>"), xml.constData());

        Record back(statsPath, false);
        QVERIFY(back.reload());
        QCOMPARE(back.getTimeStamp(), 1'735'787'045'678);
        QCOMPARE(back.getDurationMs(), 123456);
        QCOMPARE(back.getComment(), QStringLiteral("line one\nline <two> & \"three\""));
        QCOMPARE(back.getRodent(), QStringLiteral("Крыса 12"));
        QCOMPARE(back.getCircuit(), 0.75);
        QCOMPARE(back.getSoundTone(), 440);
        QCOMPARE(back.getMaxDurationSeconds(), 300);
        QCOMPARE(back.getVideoFrameWidth(), 1280);
        QCOMPARE(back.getVideoFrameHeight(), 720);
        QCOMPARE(back.getRecognitionFrameWidth(), 640);
        QCOMPARE(back.getRecognitionFrameHeight(), 360);
        QCOMPARE(back.getCyclesCount(), 7);
        QCOMPARE(back.getTotalCyclesCount(), 12);
        QCOMPARE(back.getSoundToneLight(), 2000);
        QCOMPARE(back.getSoundToneElectrocution(), 3000);
        QCOMPARE(back.getKestrumSN(), QStringLiteral("K-0042"));
        QVERIFY(back.isUnfinished());
        QCOMPARE(back.getLog(), QStringLiteral("1500|PhaseLight\r\n2500|Reaction\r\n"));
    }

    void rangedValuesAreClamped()
    {
        Record record(statsPath, false);
        record.setCyclesCount(5000);
        record.setTotalCyclesCount(-1);
        record.setSoundToneLight(20000);
        record.setSoundToneElectrocution(-10);
        QCOMPARE(record.getCyclesCount(), 3600);
        QCOMPARE(record.getTotalCyclesCount(), 0);
        QCOMPARE(record.getSoundToneLight(), 10000);
        QCOMPARE(record.getSoundToneElectrocution(), 0);
    }

    void logAnnouncesEveryLine()
    {
        Record record(statsPath, false);
        QSignalSpy log(&record, &Experiment_Stats::changedLog);
        QSignalSpy changed(&record, &AbstractSettings::propertyChanged);
        record.addLog(0, QString());
        QCOMPARE(log.count(), 1);
        QCOMPARE(record.getLog(), QStringLiteral("0|\r\n"));
        QCOMPARE(changed.takeFirst().at(0).toString(), QStringLiteral("Log"));
    }

    void recalculationRunsOnlyWhenAsked()
    {
        Record record(statsPath, false);
        QSignalSpy recalced(&record, &Experiment_Stats::reactionsRecalced);
        record.recalculate(false);
        QCOMPARE(recalced.count(), 0);
        record.recalculate(true);
        QCOMPARE(recalced.count(), 1);
    }

    void reviewingARecordTouchesNoTrack()
    {
        QVERIFY(QDir().mkpath(runFolder));
        const QString legacy = runFolder + QStringLiteral("/Track.data");
        QFile old(legacy);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray::fromHex("000001010000000000FFFFFFFF00000000").left(16));
        old.close();
        {
            Record record(statsPath, true);
            QVERIFY(record.reload());
            QVERIFY(!record.openTrackForReview());
            QVERIFY(record.trackFile());
            QVERIFY(!record.trackFile()->isOpen());
            record.closeTrackFile();
        }
        QCOMPARE(QDir(runFolder).entryList(QDir::Files), QStringList{QStringLiteral("Track.data")});
    }

    void aRunWritesItsTrackBesideTheRecord()
    {
        Record record(statsPath, true);
        QVERIFY(record.openTrackForWriting());
        QVERIFY(record.trackFile()->isWritable());
        QCOMPARE(QFileInfo(runFolder + QStringLiteral("/Track.tdata")).size(), 16);
        record.closeTrackFile();
        QVERIFY(!record.trackFile()->isOpen());
    }

    // Values the detector cannot have written, in records the container finds intact.
    void reviewLeavesOutRecordsThatCannotBe()
    {
        const auto detected = [](qint64 timeMs, QPoint center, int area = 1200) {
            TrackFrame frame;
            frame.detected = true;
            frame.timeMs = timeMs;
            frame.setCenter(center);
            frame.area = area;
            return frame;
        };
        const QList<TrackFrame> frames{
            detected(1000, QPoint(320, 240)),
            TrackFrame(),
            detected(1040, QPoint(640, 10)),               // centre right of the frame
            detected(1080, QPoint(10, 10), 640 * 480 + 1), // area larger than the frame
            detected(9'999'999'999'999, QPoint(10, 10)),   // far ahead of the frames after it
            detected(1120, QPoint(0, 479)),
            detected(5, QPoint(10, 10)), // before the frames before it
            detected(1160, QPoint(639, 0)),
        };
        Record record(statsPath, true);
        record.setRecognitionFrameWidth(640);
        record.setRecognitionFrameHeight(480);
        QVERIFY(record.openTrackForWriting());
        TrackDataFile* track = record.trackFile();
        for (const TrackFrame& frame : frames)
            QVERIFY(track->writeRecord(track->lastKey() + 1, frame, true));
        QVERIFY(track->writeRecordBytes(track->lastKey() + 1, QByteArray(1, '\1'), true)); // flag, nothing after
        QVERIFY(!record.openTrackForReview());
        QVERIFY(track->isWritable());
        record.closeTrackFile();
        const QString trackPath = runFolder + QStringLiteral("/Track.tdata");
        const QByteArray written = readFileBytes(trackPath);

        QSignalSpy console(GlobalConsole::Instance(), &GlobalConsole::newEntry);
        QVERIFY(record.openTrackForReview());
        QCOMPARE(console.count(), 1);
        QVERIFY2(console.at(0).at(0).toString().contains(QStringLiteral("5 of 9 track records")),
                 qPrintable(console.at(0).at(0).toString()));
        QList<quint32> readable;
        for (quint32 key = 1; key <= 9; ++key) {
            TrackFrame frame;
            if (record.readTrackFrame(key, frame))
                readable << key;
        }
        QCOMPARE(readable, (QList<quint32>{1, 2, 6, 8}));
        record.closeTrackFile();
        QCOMPARE(readFileBytes(trackPath), written);
        QCOMPARE(QDir(runFolder).entryList(QDir::Files),
                 (QStringList{QStringLiteral("Stats.xml"), QStringLiteral("Track.tdata")}));
    }

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString runFolder;
    QString statsPath;
};

QTEST_GUILESS_MAIN(ExperimentStatsTest)
#include "tst_experimentstats.moc"
