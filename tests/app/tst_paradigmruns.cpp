#include "BaseScenarioExperiment.h"
#include "ChamberRunFixture.h"
#include "ExperimentScenario.h"
#include "Experiment_Stats.h"
#include "RunChecks.h"
#include "TestFiles.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"

#include <QDir>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

constexpr qint64 longestRunMs = 6000;

// Where the animal is, t ms after its first frame, on the arena's middle line: on the left
// half, across to the right, back across the whole arena to the far left, and to the middle.
int animalX(qint64 t)
{
    static const QList<QPoint> path{{0, 300},    {600, 300},  {900, 500},  {1600, 500},
                                    {2000, 140}, {2600, 140}, {3000, 300}, {int(longestRunMs), 300}};
    for (qsizetype i = 1; i < path.size(); ++i) {
        const QPoint from = path.at(i - 1);
        const QPoint to = path.at(i);
        if (t <= to.x())
            return from.y() + int((to.y() - from.y()) * (t - from.x()) / std::max(1, to.x() - from.x()));
    }
    return path.constLast().y();
}

// Times are met within a frame: where the animal crosses a border decides between two frames.
void compareStats(Experiment_Stats& stats, const QVariantMap& expected)
{
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant actual = stats.getValue(it.key());
        const double tolerance = it.key().endsWith(QLatin1String("Ms")) ? ChamberRunFixture::frameMs : 0.001;
        QVERIFY2(std::abs(actual.toDouble() - it.value().toDouble()) <= tolerance,
                 qPrintable(
                     QStringLiteral("%1 is %2, expected %3").arg(it.key(), actual.toString(), it.value().toString())));
    }
}

} // namespace

// A run of every paradigm from the chamber's connection to the files it leaves.
class TestParadigmRuns : public QObject, public ChamberRunFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestCase(); }
    void init() { setUpTest(); }
    void cleanupTestCase() { tearDownTestCase(); }

    // A run of each paradigm on the chamber and a camera, along one path of the animal, from
    // the background calibration to the stop: the run folder holds every file of a run with the
    // expected results, and the grid is off at the end.
    void everyParadigmLeavesACompleteRunFolder_data()
    {
        QTest::addColumn<QString>("typeKey");
        QTest::addColumn<QVariantMap>("settings");
        QTest::addColumn<QVariantMap>("results");
        QTest::addColumn<QString>("stimulus");
        QTest::addColumn<int>("stopAfterMs");
        const QVariantMap threeSeconds{{"MaxDuration", 3}};
        // The lit half is the left one: the dark side entered at 680 ms counts after eight
        // frames; the run ends once the animal is back on the lit side for sixteen frames.
        QTest::newRow("light/dark box") << "LightBox" << threeSeconds
                                        << QVariantMap{{"LatentTimeMs", 960},
                                                       {"DangerZoneTimeMs", 1440},
                                                       {"SafeZoneTimeMs", 960},
                                                       {"Cycles", 1},
                                                       {"DurationMs", 2400}}
                                        << "grid=2.0" << 3040;
        // The round platform in the middle is left at 800 ms and crossed again from 1720 to
        // 1920 ms; each stay off it is punished after 300 ms.
        QTest::newRow("step-down") << "StepDown" << threeSeconds
                                   << QVariantMap{{"LatentTimeMs", 1120},
                                                  {"DangerZoneTimeMs", 1200},
                                                  {"SafeZoneTimeMs", 1840},
                                                  {"Cycles", 2},
                                                  {"DurationMs", 3040}}
                                   << "grid=2.0" << 3040;
        // The dispenser strip on the left is reached at 1920 ms and left at 2880 ms.
        QTest::newRow("conflict test") << "ConflictTest" << threeSeconds
                                       << QVariantMap{{"LatentTimeMs", 2240},
                                                      {"DangerZoneTimeMs", 640},
                                                      {"SafeZoneTimeMs", 2400},
                                                      {"Cycles", 1},
                                                      {"DurationMs", 3040}}
                                       << "grid=2.0" << 3040;
        // The two frame-to-frame steps across the middle, one each way, count for neither side.
        QTest::newRow("place preference")
            << "PlacePreference" << threeSeconds
            << QVariantMap{{"LeftSideTimeMs", 1880}, {"RightSideTimeMs", 1080}, {"DurationMs", 3040}} << QString()
            << 3040;
        // The first cycle is avoided by crossing at 640 ms; in the second the animal stays on
        // the left and takes the whole electrocution.
        QTest::newRow("active avoidance")
            << "ActiveAvoidance"
            << QVariantMap{{"StartPhase", 0.0},
                           {"LightPhase", 1.0},
                           {"BreakPhase", 0.0},
                           {"ElectrocutionPhase", 1.0},
                           {"CyclesCount", 2}}
            << QVariantMap{{"ReactionTime", 2640}, {"LightTime", 1640}, {"ElectrocutionTime", 1000},
                           {"DenialCount", 1},     {"CyclesCount", 2},  {"DurationMs", 4000}}
            << "grid=2.0" << int(longestRunMs);
        // Two cycles of a second with a sound, a grid and a light step each: six stimuli. The
        // sensor's jolts 40 to 160 ms into each second answer the sound and grid steps of both
        // cycles and, late, the first light step; nothing follows the second.
        QTest::newRow("startle reflex") << "StartleReflex" << QVariantMap{}
                                        << QVariantMap{{"StimulusCount", 6},
                                                       {"ReactedStimulusCount", 5},
                                                       {"SoundReactedStimulusCount", 2},
                                                       {"CircuitReactedStimulusCount", 2},
                                                       {"LightReactedStimulusCount", 1},
                                                       {"ReactionToLight", 520}}
                                        << "grid=0.5" << int(longestRunMs);
    }

    void everyParadigmLeavesACompleteRunFolder()
    {
        QFETCH(QString, typeKey);
        QFETCH(QVariantMap, settings);
        QFETCH(QVariantMap, results);
        QFETCH(QString, stimulus);
        QFETCH(int, stopAfterMs);
        const QString base = dataFolder.filePath(typeKey);
        KestrumModel model(base);
        model.init();
        BaseExperiment* chosen = chooseParadigm(model, typeKey, settings);
        ExperimentScenario scenario;
        const bool startle = chosen->usesStartleSensor();
        if (startle) {
            scenario.cycleDurationMs = 1000;
            scenario.cyclesAmount = 2;
            scenario.setFilePath(dataFolder.filePath(QStringLiteral("pulses.scn")));
            scenario.addStep(KestrumBaseDevice::Sound, new ScenarioStep(300, 0, 1000));
            scenario.addStep(KestrumBaseDevice::Circuit, new ScenarioStep(300, 100, 0.5));
            scenario.addStep(KestrumBaseDevice::Light, new ScenarioStep(200, 500, 80));
            static_cast<BaseScenarioExperiment*>(chosen)->setScenario(&scenario);
        }
        ScriptedBoard chamberBoard(QStringLiteral("Chamber"));
        MetaKestrumDevice* panel = connectChamber(model, chamberBoard);
        QVERIFY(panel);
        std::optional<ScriptedBoard> sensorBoard;
        if (startle)
            QVERIFY(connectStartleSensor(model, sensorBoard.emplace(QStringLiteral("Startle sensor"))));
        BaseExperiment* copy = panel->experiment();
        camera->deliver(arenaFrame(std::nullopt));
        QVERIFY(backgroundCalibrated(*panel));
        QSignalSpy stopped(copy, &BaseExperiment::stopVideoRecord);
        panel->startExperiment(true);

        int frames = 0;
        qint64 t = 0;
        for (; t <= longestRunMs && copy->isTriggered(); t += frameMs, ++frames) {
            if (t > 0)
                clock.advance(frameMs);
            QVERIFY(camera->deliverAnalysed(arenaFrame(animalX(t))));
            // The sensor's samples: a jolt 40 to 160 ms into each second.
            const int force = t % 1000 >= 40 && t % 1000 < 160 ? 3000 : 100;
            if (sensorBoard)
                sensorBoard->send(QStringLiteral("{x:%1,y:0,z:0,t:%2}\r\n").arg(force).arg(100000 + t).toUtf8());
            if (t >= stopAfterMs)
                QTRY_VERIFY(!copy->isTriggered());
        }
        QVERIFY(t < longestRunMs);
        QTRY_VERIFY(stopped.count() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(camera->videoEnded(), 30000);
        QCOMPARE(camera->videosFailed, 0);

        const QStringList runs = QDir(chosen->folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(runs.size(), 1);
        const QString run = chosen->folder() + runs.constFirst() + QLatin1Char('/');
        QStringList expectedFiles{"Settings.xml", "Stats.xml", "Track.tdata", "background.jpg", "video.mp4"};
        if (!chosen->singleReferenceFrame())
            expectedFiles << "background2.jpg";
        if (startle)
            expectedFiles << "Startle.csv";
        expectedFiles.sort();
        QCOMPARE(QDir(run).entryList(QDir::Files, QDir::Name), expectedFiles);

        std::unique_ptr<Experiment_Stats> stats(chosen->createStats(run + "Stats.xml"));
        compareStats(*stats, results);
        QVERIFY(!stats->isUnfinished());
        QCOMPARE(stats->getKestrumSN(), QStringLiteral("S42612537"));
        TrackDataFile track;
        QVERIFY(track.open(run + "Track.tdata", true));
        QVERIFY2(std::abs(int(track.recordCount()) - frames) <= 2,
                 qPrintable(QStringLiteral("%1 track records of %2 frames").arg(track.recordCount()).arg(frames)));
        // The record notes when the video began: once the run had begun, on the track's clock.
        TrackFrame firstRecord;
        TrackFrame lastRecord;
        QVERIFY(track.readRecord(track.keys().constFirst(), firstRecord));
        QVERIFY(track.readRecord(track.keys().constLast(), lastRecord));
        QVERIFY2(stats->getVideoStartMs() >= firstRecord.timeMs && stats->getVideoStartMs() <= lastRecord.timeMs,
                 qPrintable(QString::number(stats->getVideoStartMs() - firstRecord.timeMs)));
        // The video covers the run at its rate, however late the recorder's thread came to it.
        const int expectedVideoFrames = int(t / frameMs);
        const int videoFrames = videoFrameCount(run + "video.mp4");
        QVERIFY2(std::abs(videoFrames - expectedVideoFrames) <= 2,
                 qPrintable(QStringLiteral("%1 video frames of %2").arg(videoFrames).arg(expectedVideoFrames)));

        // The run's settings are those it ran with, and so are the paradigm's own.
        std::unique_ptr<BaseExperiment> runSettings(chosen->createInstance());
        runSettings->setFilepath(run + "Settings.xml");
        QVERIFY(runSettings->reload());
        QVERIFY(QFile::exists(chosen->folder() + "Settings.xml"));
        for (auto it = settings.cbegin(); it != settings.cend(); ++it)
            QCOMPARE(runSettings->getValue(it.key()).toDouble(), it.value().toDouble());

        if (startle) {
            const QList<QByteArray> lines = readFileBytes(run + "Startle.csv").split('\n');
            QVERIFY2(lines.size() > frames - 3, qPrintable(QString::number(lines.size())));
            QVERIFY(lines.constFirst().startsWith("0;"));
        }
        if (!stimulus.isEmpty())
            QVERIFY(chamberBoard.receivedMessages().contains(stimulus));
        QTRY_VERIFY(chamberBoard.receivedMessages().contains(QStringLiteral("off")));
        QVERIFY(gridOffAtTheEnd(chamberBoard.receivedMessages()));
    }
};

QTEST_MAIN(TestParadigmRuns)
#include "tst_paradigmruns.moc"
