#include "ApparatusFixtures.h"
#include "BaseScenarioExperiment.h"
#include "ChildScenario.h"
#include "Clock.h"
#include "DialogSeam.h"
#include "ExperimentScenario.h"
#include "Experiment_Stats.h"
#include "ExperimentsTable.h"
#include "FinishGate.h"
#include "KestrumDetectorThread.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "MetaKestrumDevice.h"
#include "PageResults.h"
#include "RunChecks.h"
#include "ScriptedBoard.h"
#include "ScriptedCameraView.h"
#include "SerialPortEnumerator.h"
#include "TestFiles.h"
#include "TextHelper.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"
#include "VideoCameraView.h"
#include "VideoWidget.h"
#include "VirtualCameraDevice.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

constexpr int frameMs = 40;
constexpr double videoFramesPerSecond = 1000.0 / frameMs;
constexpr qint64 longestRunMs = 6000;
const QByteArray serialNumberReply = "{sn=S42612537}\r\n";

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

// The run that a child records until it is killed: its length, when it last saves its record
// before, when the animal is last seen, and the mark it then writes.
constexpr qint64 killedRunMs = 22000;
constexpr qint64 lastSaveBeforeKillMs = 20000;
constexpr qint64 lastSeenBeforeKillMs = 20400;
constexpr int killedRunFrameMs = 200;
const QByteArray recordedMark = "The run has been recorded; kill me now.";

// Lit (left) side, then across to the dark right side for ten seconds, back, and out of sight.
std::optional<int> killedRunAnimalX(qint64 t)
{
    if (t > lastSeenBeforeKillMs)
        return std::nullopt;
    return t >= 5000 && t < 15000 ? 480 : 160;
}

// Whether both translation files give the records page's text a translation of its own.
bool translatedInBothLanguages(const char* source)
{
    for (const QString& language : {QStringLiteral("en_US"), QStringLiteral("ru_RU")}) {
        QTranslator file;
        if (!file.load(QStringLiteral(":/translations/Kestrum_%1.qm").arg(language))
            || file.translate("PageResults", source).isEmpty())
            return false;
    }
    return true;
}

// Times are met within a frame: where the animal crosses a border decides between two frames.
void compareStats(Experiment_Stats& stats, const QVariantMap& expected)
{
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant actual = stats.getValue(it.key());
        const double tolerance = it.key().endsWith(QLatin1String("Ms")) ? frameMs : 0.001;
        QVERIFY2(std::abs(actual.toDouble() - it.value().toDouble()) <= tolerance,
                 qPrintable(
                     QStringLiteral("%1 is %2, expected %3").arg(it.key(), actual.toString(), it.value().toString())));
    }
}

// From now on the file this process has open at `path` refuses every write with "No space left
// on device", as on a full disk: its descriptor is pointed at /dev/full.
bool fillTheDiskUnder(const QString& path)
{
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& entry : descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::symLinkTarget(descriptors.filePath(entry)) != QFileInfo(path).absoluteFilePath())
            continue;
        const int full = ::open("/dev/full", O_RDWR | O_CLOEXEC);
        const bool pointed = full >= 0 && ::dup2(full, entry.toInt()) >= 0;
        ::close(full);
        return pointed;
    }
    return false;
}

QString statusOf(const MetaKestrumDevice& panel)
{
    return panel.findChild<QLabel*>("statusLabel")->text();
}

// Ready for a start: the start button is offered and the stop button is not.
bool readyToStart(const MetaKestrumDevice& panel)
{
    const auto* start = panel.findChild<QPushButton*>("startButton");
    return start->isVisibleTo(&panel) && start->isEnabled()
           && !panel.findChild<QPushButton*>("stopButton")->isVisibleTo(&panel);
}

} // namespace

class TestExperimentRuns : public QObject
{
    Q_OBJECT

    QTemporaryDir dataFolder;
    ManualClock clock;
    ScriptedCameraView* camera = nullptr;
    QList<DialogSeam::Request> warnings;

    BaseExperiment* chooseParadigm(KestrumModel& model, const QString& typeKey, const QVariantMap& settings)
    {
        BaseExperiment* chosen = nullptr;
        for (BaseExperiment* experiment : model.experiments()) {
            experiment->setClock(&clock);
            if (experiment->typeKey() == typeKey)
                chosen = experiment;
        }
        for (auto it = settings.cbegin(); it != settings.cend(); ++it)
            chosen->setValue(it.key(), it.value());
        model.selectExperimentType(typeKey);
        return chosen;
    }

    // The chamber on a pseudo-terminal, found as the port prober hands it over.
    static MetaKestrumDevice* connectChamber(KestrumModel& model, ScriptedBoard& board)
    {
        board.replyToFrame("sn", serialNumberReply);
        board.replyToFrame("version", "{version=4.2}\r\n");
        QSignalSpy added(&model, &KestrumModel::kestrumAdded);
        if (!board.takePort(QStringLiteral("KestrumV4")))
            return nullptr;
        model.onPortFound(QStringLiteral("KestrumV4"), board.portName());
        if (!added.wait(10000))
            return nullptr;
        return static_cast<MetaKestrumDevice*>(model.metaDevices().constFirst());
    }

    static bool connectStartleSensor(KestrumModel& model, ScriptedBoard& board)
    {
        board.replyToFrame("initT", serialNumberReply);
        QSignalSpy changed(&model, &KestrumModel::startledChanged);
        if (!board.takePort(QStringLiteral("Startle"), 19200))
            return false;
        model.onPortFound(QStringLiteral("Startle"), board.portName());
        return QTest::qWaitFor([&] { return changed.count() == 2; }, 10000);
    }

    // A model on its own folder with place preference chosen, and the chamber's panel with its
    // background calibrated on an empty arena (null when either failed).
    struct PlacePreferenceChamber
    {
        PlacePreferenceChamber(TestExperimentRuns& test, const QString& folder, const QVariantMap& settings)
            : model(test.dataFolder.filePath(folder))
        {
            model.init();
            chosen = test.chooseParadigm(model, QStringLiteral("PlacePreference"), settings);
            panel = connectChamber(model, board);
            if (!panel)
                return;
            test.camera->deliver(arenaFrame(std::nullopt));
            if (!backgroundCalibrated(*panel))
                panel = nullptr;
        }

        KestrumModel model;
        ScriptedBoard board{QStringLiteral("Chamber")};
        BaseExperiment* chosen = nullptr;
        MetaKestrumDevice* panel = nullptr;
    };

    // The background calibrated on the last frame delivered.
    static bool backgroundCalibrated(MetaKestrumDevice& panel)
    {
        panel.calibrateBackground();
        bool init = false;
        bool triggered = false;
        bool started = false;
        return QTest::qWaitFor(
            [&] {
                panel.experiment()->initTriggeredStarted(init, triggered, started);
                return init;
            },
            5000);
    }

private slots:
    void init()
    {
        warnings.clear();
        KestrumModel::setPanelFactory([this](KestrumBaseDevice* device) {
            camera = new ScriptedCameraView(&clock, videoFramesPerSecond);
            return new MetaKestrumDevice(device, camera);
        });
    }

    void initTestCase()
    {
        // The file-backed camera's sink starts a multimedia back end; GStreamer's device monitors
        // keep allocations the leak checker cannot place.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        QVERIFY(dataFolder.isValid());
        SerialPortEnumerator::setSystemPortsIncluded(false);
        DialogSeam::setHandler([this](const DialogSeam::Request& request) {
            if (request.icon == QMessageBox::Warning)
                warnings << request;
            return DialogSeam::Answer{0, false, {}};
        });
    }

    void cleanupTestCase() { KestrumModel::setPanelFactory(nullptr); }

    // A run killed (a crash, a power cut) 22 s after it began, two seconds after its record was
    // last saved and after the animal was last seen: the records page lists it as interrupted,
    // 22 s long as its track tells, shows for the whole of it what it knows (the side times from
    // the track, which goes on past the save) and the values its stop would have settled as
    // missing, replays its track, and writes nothing.
    void aRunKilledMidwayIsReviewedAsInterrupted_data()
    {
        QTest::addColumn<QString>("typeKey");
        QTest::addColumn<QStringList>("known");
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("place preference")
            << "PlacePreference" << QStringList{"LeftSideTimeMs", "RightSideTimeMs"} << QStringList{};
        QTest::newRow("light/dark box") << "LightBox" << QStringList{"LatentTimeMs"}
                                        << QStringList{"DangerZoneTimeMs", "SafeZoneTimeMs", "Rejected"};
    }

    void aRunKilledMidwayIsReviewedAsInterrupted()
    {
        QFETCH(QString, typeKey);
        QFETCH(QStringList, known);
        QFETCH(QStringList, missing);
        const QString base = dataFolder.filePath(QStringLiteral("killed-") + typeKey);
        const ChildOutcome outcome = runChildScenario(QStringLiteral("%1|%2").arg(typeKey, base), 300000, recordedMark);
        QVERIFY2(outcome.crashed && outcome.errorOutput.contains(QString::fromLatin1(recordedMark)),
                 qPrintable(outcome.errorOutput.right(3000)));

        KestrumModel model(base);
        model.init();
        model.selectExperimentType(typeKey);
        const QStringList runs = QDir(base + QLatin1Char('/') + typeKey).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(runs.size(), 1);
        const QString run = base + QLatin1Char('/') + typeKey + QLatin1Char('/') + runs.constFirst() + QLatin1Char('/');
        const auto before = filesUnder(run);
        PageResults page;
        page.resize(1200, 800);
        page.show();
        QTableWidget* list = page.folderTable();
        QCOMPARE(list->rowCount(), 1);
        QVERIFY(translatedInBothLanguages("%1 (interrupted)"));
        QCOMPARE(list->item(0, 1)->text(),
                 QCoreApplication::translate("PageResults", "%1 (interrupted)").arg(runs.constFirst()));
        QVERIFY(!list->item(0, 1)->toolTip().isEmpty());

        list->selectRow(0);
        QVERIFY(page.currentRecord());
        const QTableWidget* table = page.statisticsTable()->table();
        QVERIFY(table);
        // The statistics, and so the export, carry the list's mark.
        QCOMPARE(table->item(0, 0)->text(), list->item(0, 1)->text());
        const QList<ResultColumn> columns = model.currentExperiment()->resultColumns();
        const auto cell = [&](const QString& key) {
            for (int column = 0; column < columns.size(); ++column) {
                if (columns.at(column).key == key)
                    return table->item(0, column)->text();
            }
            return QStringLiteral("no column %1").arg(key);
        };
        const QVariant duration = page.currentRecord()->resultValue(QStringLiteral("DurationMs"));
        QVERIFY2(std::abs(duration.toInt() - killedRunMs) <= 2 * killedRunFrameMs, qPrintable(duration.toString()));
        QCOMPARE(cell(QStringLiteral("DurationMs")), TextHelper::numToStr(duration.toInt() / 1000.0, 2, false));
        for (const QString& key : known)
            QVERIFY2(cell(key) != QLatin1String("-"), qPrintable(key));
        for (const QString& key : missing)
            QCOMPARE(cell(key), QStringLiteral("-"));
        // What the record saved two seconds before the kill: each side's time up to then. The
        // row shows the sides up to the last frame with the animal, each step across the middle
        // counting for neither.
        if (typeKey == QLatin1String("PlacePreference")) {
            const double sides = page.currentRecord()->getValue(QStringLiteral("LeftSideTimeMs")).toDouble()
                                 + page.currentRecord()->getValue(QStringLiteral("RightSideTimeMs")).toDouble();
            QVERIFY2(sides > lastSaveBeforeKillMs - 4 * killedRunFrameMs && sides <= lastSaveBeforeKillMs + 1000,
                     qPrintable(QString::number(sides)));
            const int rightMs = 10000 - killedRunFrameMs;
            const int leftMs = int(lastSeenBeforeKillMs) - rightMs - 2 * killedRunFrameMs;
            QCOMPARE(cell(QStringLiteral("LeftSideTimeMs")), TextHelper::numToStr(leftMs / 1000.0, 2, false));
            QCOMPARE(cell(QStringLiteral("RightSideTimeMs")), TextHelper::numToStr(rightMs / 1000.0, 2, false));
        }

        QCOMPARE(page.replayedTrackPath(), run + QStringLiteral("Track.tdata"));
        TrackDataFile track;
        QVERIFY(track.open(run + QStringLiteral("Track.tdata"), true));
        QVERIFY2(track.keys().size() >= killedRunMs / killedRunFrameMs - 2, qPrintable(track.message()));
        page.close();
        QCOMPARE(filesUnder(run), before);
    }

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

    // A run whose files cannot be written stops at once, as Stop stops it, with the apparatus all
    // off, and a message box names what could not be written and the system's reason; the panel
    // does not call it finished. A run whose folder cannot be made does not start, and the panel
    // is ready for the next start.
    void aRunThatCannotBeWrittenStopsAndSaysWhy_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("failedFile");
        QTest::addColumn<int>("error");
        QTest::newRow("disk full under the track") << "full disk"
                                                   << "Track.tdata" << ENOSPC;
        // Named as the file it grows in, which is what a recording cut short leaves.
        QTest::newRow("disk full under the video") << "video disk full"
                                                   << "video.part.mp4" << ENOSPC;
        QTest::newRow("run folder gone under the video") << "folder gone"
                                                         << "video.part.mp4" << ENOENT;
        QTest::newRow("run folder under a file") << "no folder" << QString() << ENOTDIR;
    }

    void aRunThatCannotBeWrittenStopsAndSaysWhy()
    {
        QFETCH(QString, fault);
        QFETCH(QString, failedFile);
        QFETCH(int, error);
        PlacePreferenceChamber chamber(*this, QStringLiteral("faults-") + QTest::currentDataTag(),
                                       {{"MaxDuration", 20}});
        QVERIFY(chamber.panel);
        BaseExperiment* chosen = chamber.chosen;
        MetaKestrumDevice* panel = chamber.panel;
        ScriptedBoard& chamberBoard = chamber.board;
        BaseExperiment* copy = panel->experiment();
        QSignalSpy failed(copy, &BaseExperiment::runFailed);
        if (fault == "no folder") {
            QVERIFY(QDir(chosen->folder()).removeRecursively());
            QVERIFY(writeFileBytes(QDir::cleanPath(chosen->folder()), "not a folder"));
        }
        panel->startExperiment(true);
        QVERIFY(copy->isTriggered());
        for (int frame = 0; frame < 10 && fault != "no folder"; ++frame) {
            clock.advance(frameMs);
            QVERIFY(camera->deliverAnalysed(arenaFrame(200)));
        }
        QTRY_VERIFY(!camera->recorder.getTempFilePath().isEmpty() || fault == "no folder");
        const QString run = copy->runFolder();
        const qsizetype messagesBefore = chamberBoard.receivedMessages().size();
        if (fault == "full disk")
            QVERIFY(fillTheDiskUnder(run + "Track.tdata"));
        if (fault == "folder gone")
            QVERIFY(QDir(run).removeRecursively());
        if (fault == "video disk full")
            camera->recorder.setSpaceReader([](const QString&) { return StorageSpace::Reading{0, quint64(0)}; });
        // The first frame that cannot be written ends the run.
        for (int frame = 0; frame < 50 && copy->isTriggered(); ++frame) {
            clock.advance(frameMs);
            QVERIFY(camera->deliverAnalysed(arenaFrame(200)));
            if (fault == "full disk")
                QVERIFY(!copy->isTriggered());
        }
        QVERIFY(!copy->isTriggered());
        // The paradigm's lights follow every frame, as after any stop; the rest is off.
        QTRY_VERIFY(chamberBoard.receivedMessages().mid(messagesBefore).contains(QStringLiteral("off")));
        QVERIFY(gridOffAtTheEnd(chamberBoard.receivedMessages()));
        QTRY_COMPARE(warnings.size(), 1);
        QCOMPARE(failed.size(), 1);
        const QString path = failed.constFirst().at(0).toString();
        const QString reason = systemReason(error);
        QCOMPARE(failed.constFirst().at(1).toString(), reason);
        const QString shownPath = QDir::toNativeSeparators(path);
        if (failedFile.isEmpty()) {
            QVERIFY2(path.startsWith(chosen->folder()), qPrintable(path));
            QCOMPARE(warnings.constFirst().text,
                     MetaKestrumDevice::tr("The run was not started: its folder %1 cannot be created (%2).")
                         .arg(shownPath, reason));
            QTRY_COMPARE(statusOf(*panel), MetaKestrumDevice::tr("Начните эксперимент"));
            QVERIFY(copy->runFolder().isEmpty());
        } else {
            QCOMPARE(path, run + failedFile);
            QCOMPARE(warnings.constFirst().text,
                     MetaKestrumDevice::tr("The run was stopped: %1 cannot be written (%2).").arg(shownPath, reason));
            QTRY_COMPARE(statusOf(*panel), MetaKestrumDevice::tr("Stopped: the run's files cannot be written"));
        }
        QTRY_VERIFY(readyToStart(*panel));
        QTRY_VERIFY_WITH_TIMEOUT(camera->videoEnded() || failedFile.isEmpty(), 30000);
        QCOMPARE(warnings.size(), 1);
    }

    // The records page read a run's record while the run went on. An edit then is refused with a
    // word, as the stop writes the panel's animal and comment; one made after the stop goes into
    // the final record the stop wrote, every other value of which stays.
    void anEditOnTheRecordsPageKeepsTheFinalRecord()
    {
        constexpr char refusal[] = "Этот эксперимент ещё идёт: грызуна и комментарий можно исправить после его "
                                   "остановки.";
        PlacePreferenceChamber chamber(*this, QStringLiteral("edited"), {{"MaxDuration", 20}});
        QVERIFY(chamber.panel);
        MetaKestrumDevice* panel = chamber.panel;
        BaseExperiment* copy = panel->experiment();
        QSignalSpy stopped(copy, &BaseExperiment::stopVideoRecord);
        panel->startExperiment(true);
        const auto runFor = [&](int frames) {
            for (int frame = 0; frame < frames; ++frame) {
                clock.advance(frameMs);
                if (!camera->deliverAnalysed(arenaFrame(frame % 4 < 2 ? 200 : 500)))
                    return false;
            }
            return true;
        };
        QVERIFY(runFor(4));
        const QString path = copy->runFolder() + QStringLiteral("Stats.xml");

        PageResults page;
        page.show();
        QCOMPARE(page.folderTable()->rowCount(), 1);
        page.folderTable()->selectRow(0);
        QVERIFY(page.currentRecord() && page.currentRecord()->isUnfinished());
        auto* rodent = page.findChild<QLineEdit*>("rodentEdit");
        auto* comment = page.findChild<QLineEdit*>("commentEdit");
        const QByteArray live = readFileBytes(path);
        rodent->setText(QStringLiteral("Крыса 9"));
        emit rodent->editingFinished();
        QCOMPARE(warnings.size(), 1);
        QVERIFY(translatedInBothLanguages(refusal));
        QCOMPARE(warnings.constFirst().text, PageResults::tr(refusal));
        QCOMPARE(rodent->text(), QString());
        QCOMPARE(readFileBytes(path), live);

        QVERIFY(runFor(6));
        panel->startExperiment(false);
        QTRY_COMPARE(stopped.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(camera->videosFinished, 1, 30000);
        std::unique_ptr<Experiment_Stats> stopRecord(chamber.chosen->createStats(path));
        QVERIFY(!stopRecord->isUnfinished() && stopRecord->getDurationMs() >= 9 * frameMs);
        comment->setText(QStringLiteral("после остановки"));
        emit comment->editingFinished();
        QCOMPARE(warnings.size(), 1);
        std::unique_ptr<Experiment_Stats> edited(chamber.chosen->createStats(path));
        QVariantMap expected = stopRecord->getQVariantMap();
        expected.insert(QStringLiteral("Comment"), QStringLiteral("после остановки"));
        QCOMPARE(edited->getQVariantMap(), expected);
        QCOMPARE(page.folderTable()->item(0, 3)->text(), QStringLiteral("после остановки"));
        QCOMPARE(page.statisticsTable()->table()->item(0, 1)->text(),
                 TextHelper::numToStr(stopRecord->getDurationMs() / 1000.0, 2, false));
    }

    // A setting changed while a run goes on is not that run's (the panel's copy keeps what it
    // started with), but the panel's next run takes it: its settings file and the chamber's
    // lights follow what the editor shows, and the copy, its background with it, is kept.
    void aSettingChangedDuringARunIsTheNextRuns()
    {
        PlacePreferenceChamber chamber(*this, QStringLiteral("changed-mid-run"),
                                       {{"MaxDuration", 20}, {"LightBrightnessLeft", 70}});
        QVERIFY(chamber.panel);
        BaseExperiment* chosen = chamber.chosen;
        MetaKestrumDevice* panel = chamber.panel;
        BaseExperiment* copy = panel->experiment();
        QSignalSpy stopped(copy, &BaseExperiment::stopVideoRecord);
        QStringList runs;
        qsizetype messagesBefore = 0;
        for (int run = 0; run < 2; ++run) {
            panel->startExperiment(true);
            messagesBefore = chamber.board.receivedMessages().size();
            for (int frame = 0; frame < 5; ++frame) {
                clock.advance(frameMs);
                QVERIFY(camera->deliverAnalysed(arenaFrame(200)));
            }
            QVERIFY(copy->isRunning());
            runs << copy->runFolder();
            if (run == 0) {
                chosen->setValue(QStringLiteral("LightBrightnessLeft"), 30);
                chosen->setValue(QStringLiteral("MaxDuration"), 9);
                QCOMPARE(copy->getValue(QStringLiteral("LightBrightnessLeft")).toInt(), 70);
            }
            panel->startExperiment(false);
            QTRY_COMPARE(stopped.count(), run + 1);
            QTRY_COMPARE_WITH_TIMEOUT(camera->videosFinished, run + 1, 30000);
        }
        QCOMPARE(panel->experiment(), copy);
        const QList<QVariantMap> used{{{"LightBrightnessLeft", 70}, {"MaxDuration", 20}},
                                      {{"LightBrightnessLeft", 30}, {"MaxDuration", 9}}};
        for (int run = 0; run < 2; ++run) {
            std::unique_ptr<BaseExperiment> runSettings(chosen->createInstance());
            runSettings->setFilepath(runs.at(run) + "Settings.xml");
            QVERIFY(runSettings->reload());
            for (auto it = used.at(run).cbegin(); it != used.at(run).cend(); ++it)
                QCOMPARE(runSettings->getValue(it.key()).toInt(), it.value().toInt());
        }
        const QStringList secondRun = chamber.board.receivedMessages().mid(messagesBefore);
        QVERIFY2(secondRun.contains(QStringLiteral("lightSide=30,100")), qPrintable(secondRun.join(' ')));
        QVERIFY(!secondRun.contains(QStringLiteral("lightSide=70,100")));
    }

    // A video's finish may outlast its run and the start of the next one on its panel: when it
    // then fails, it is its own run's failure, and the next run goes on to its end, with its
    // video.
    void aLateVideoFailureStopsOnlyItsOwnRun()
    {
        FinishGate gate;
        PlacePreferenceChamber chamber(*this, QStringLiteral("late-video"), {{"MaxDuration", 600}});
        QVERIFY(chamber.panel);
        MetaKestrumDevice* panel = chamber.panel;
        camera->recorder.setSpaceReader(gate.reader());
        BaseExperiment* copy = panel->experiment();
        QSignalSpy failed(copy, &BaseExperiment::runFailed);
        const auto runFor = [&](int frames) {
            for (int frame = 0; frame < frames; ++frame) {
                clock.advance(frameMs);
                if (!camera->deliverAnalysed(arenaFrame(200)))
                    return false;
            }
            return copy->isRunning();
        };
        panel->startExperiment(true);
        QVERIFY(runFor(10));
        QTRY_VERIFY(!camera->recorder.getTempFilePath().isEmpty());
        const QString first = copy->runFolder();
        gate.close();
        panel->startExperiment(false);
        QTRY_VERIFY(gate.holds());

        panel->startExperiment(true);
        QVERIFY(runFor(10));
        QVERIFY(copy->runFolder() != first);
        // The first video can no longer be placed once its finish goes on.
        QVERIFY(QDir(first).removeRecursively());
        gate.open();
        QTRY_COMPARE(camera->videosFailed, 1);
        QVERIFY(runFor(10));
        panel->startExperiment(false);
        QTRY_VERIFY_WITH_TIMEOUT(camera->videosFinished == 1 && !camera->recorder.isSavingFile(), 30000);
        QVERIFY(!gate.timedOut());
        QCOMPARE(failed.size(), 0);
        QCOMPARE(warnings.size(), 0);
        QVERIFY(videoFrameCount(copy->runFolder() + "video.mp4") > 0);
    }

    // The virtual chamber's camera view plays the open-field clip bundled with the program, its
    // frames handed in one by one as fast as the panel analyses them: a background calibrated on
    // the empty arena it begins with, then a run in which the detection as it comes without any
    // setting changed finds the mouse on nearly every frame.
    void openFieldClipIsTrackedAlongTheSameRoad()
    {
        constexpr int emptyArenaFrames = 150;
        constexpr int runFrames = 90;
        MetaKestrumDevice::installAsModelPanels();
        KestrumModel model(dataFolder.filePath(QStringLiteral("openfield")));
        model.init();
        BaseExperiment* chosen = chooseParadigm(model, QStringLiteral("PlacePreference"), {});
        model.settings()->setDebugKestrumDevice(true);
        QCOMPARE(model.metaDevices().size(), 1);
        auto* panel = static_cast<MetaKestrumDevice*>(model.metaDevices().constFirst());
        auto* view = qobject_cast<VideoCameraView*>(panel->cameraView());
        QVERIFY(view && VideoWidget::allowsVirtual());
        QCOMPARE(view->widget()->getCameraName(), VideoWidget::virtualClipName);
        view->widget()->setClock(&clock);
        view->widget()->setWatchdogInterval(std::numeric_limits<int>::max());
        view->widget()->selectCam();
        VirtualMediaPlayer* player = view->widget()->virtualPlayer();
        QVERIFY(player);
        player->stop();
        panel->show();
        int analysed = 0;
        connect(panel->detector(), &KestrumDetectorThread::overlayGenerated, this, [&] { ++analysed; });
        const auto nextFrame = [&] {
            return ScriptedCameraView::untilAnalysed(
                [&] {
                    clock.advance(player->intervalMs());
                    player->pushNextFrame();
                },
                analysed);
        };

        // The first frame, shown when the camera was chosen, has reached the panel.
        int delivered = 0;
        connect(
            view, &PanelCameraView::fetchFrame, this, [&] { ++delivered; }, Qt::QueuedConnection);
        QVERIFY(QTest::qWaitFor([&] { return delivered > 0; }, 5000));
        QVERIFY(backgroundCalibrated(*panel));
        auto* clip = qobject_cast<VirtualCameraDevice*>(player);
        QVERIFY(clip);
        while (clip->position() < emptyArenaFrames)
            QVERIFY(nextFrame());
        BaseExperiment* copy = panel->experiment();
        QSignalSpy stopped(copy, &BaseExperiment::stopVideoRecord);
        panel->startExperiment(true);
        const int before = analysed;
        while (analysed < before + runFrames)
            QVERIFY(nextFrame());
        const QString run = copy->runFolder();
        QSignalSpy videoSaved(view->widget(), &VideoWidget::recordStopped);
        panel->startExperiment(false);
        QTRY_VERIFY(stopped.count() > 0);
        // The video is finished after the stop has returned.
        QTRY_VERIFY_WITH_TIMEOUT(videoSaved.count() > 0, 30000);

        TrackDataFile track;
        QVERIFY(track.open(run + "Track.tdata", true));
        int detected = 0;
        for (const quint32 key : track.keys()) {
            TrackFrame record;
            QVERIFY(track.readRecord(key, record));
            detected += record.detected ? 1 : 0;
        }
        QVERIFY2(track.recordCount() >= runFrames - 2 && detected >= int(track.recordCount()) * 19 / 20,
                 qPrintable(QStringLiteral("found on %1 of %2 frames").arg(detected).arg(track.recordCount())));
        const int expectedVideoFrames = int(runFrames * player->intervalMs() * 24 / 1000);
        const int videoFrames = videoFrameCount(run + "video.mp4");
        QVERIFY2(std::abs(videoFrames - expectedVideoFrames) <= 2,
                 qPrintable(QStringLiteral("%1 video frames of %2").arg(videoFrames).arg(expectedVideoFrames)));
        std::unique_ptr<Experiment_Stats> stats(chosen->createStats(run + "Stats.xml"));
        QCOMPARE(stats->getKestrumSN(), QStringLiteral("VirtualKestrum"));
        QCOMPARE(stats->getVideoFrameWidth(), 640);
        QVERIFY(std::abs(stats->getDurationMs() - runFrames * player->intervalMs()) <= 2 * player->intervalMs());
        model.settings()->setDebugKestrumDevice(false);
        QTRY_VERIFY(model.metaDevices().isEmpty());
        QVERIFY(!VideoWidget::allowsVirtual());
    }

public:
    // The child's part: a run recorded on the chamber and a camera for 22 s of the test's clock,
    // its record saved by the run's own clock tick at 20 s; then the mark, and a wait for the kill.
    int recordUntilKilled(const QString& typeKey, const QString& base)
    {
        KestrumModel::setPanelFactory([this](KestrumBaseDevice* device) {
            camera = new ScriptedCameraView(&clock, 1000.0 / killedRunFrameMs);
            return new MetaKestrumDevice(device, camera);
        });
        SerialPortEnumerator::setSystemPortsIncluded(false);
        DialogSeam::setHandler([](const DialogSeam::Request&) { return DialogSeam::Answer{0, false, {}}; });
        KestrumModel model(base);
        model.init();
        QVariantMap settings{{"MaxDuration", 1200}};
        if (typeKey == QLatin1String("LightBox"))
            settings.insert(QStringLiteral("MaxCycles"), 10);
        chooseParadigm(model, typeKey, settings);
        ScriptedBoard chamberBoard(QStringLiteral("Chamber"));
        MetaKestrumDevice* panel = connectChamber(model, chamberBoard);
        if (!panel)
            return 2;
        camera->deliver(arenaFrame(std::nullopt));
        if (!backgroundCalibrated(*panel))
            return 3;
        BaseExperiment* copy = panel->experiment();
        panel->startExperiment(true);
        for (qint64 t = 0; t <= killedRunMs; t += killedRunFrameMs) {
            if (t > 0)
                clock.advance(killedRunFrameMs);
            if (!camera->deliverAnalysed(arenaFrame(killedRunAnimalX(t))) || !copy->isRunning())
                return 4;
            if (t == lastSaveBeforeKillMs && !savedAtLeast(copy->runFolder(), lastSaveBeforeKillMs))
                return 5;
        }
        std::fputs(recordedMark.constData(), stderr);
        std::fflush(stderr);
        QSemaphore().acquire();
        return 0;
    }

private:
    // The record on the disk has been saved that far into the run.
    bool savedAtLeast(const QString& runFolder, qint64 ms)
    {
        return QTest::qWaitFor(
            [&] {
                const std::unique_ptr<Experiment_Stats> stored(
                    KestrumModel::instance()->currentExperiment()->createStats(runFolder
                                                                               + QStringLiteral("Stats.xml")));
                return stored->getDurationMs() >= ms;
            },
            30000);
    }
};

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    TestExperimentRuns test;
    const QStringList child = qEnvironmentVariable(ChildScenarioVariable).split(QLatin1Char('|'));
    if (child.size() == 2)
        return test.recordUntilKilled(child.at(0), child.at(1));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_experimentruns.moc"
