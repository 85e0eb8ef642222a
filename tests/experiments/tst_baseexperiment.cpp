#include "BaseExperiment.h"
#include "BaseScenarioExperiment.h"
#include "BaseTimedExperiment.h"
#include "Clock.h"
#include "DashedPens.h"
#include "Experiment_ActiveAvoidance.h"
#include "Experiment_ConflictTest.h"
#include "Experiment_Lightbox.h"
#include "Experiment_PlacePreference.h"
#include "Experiment_StartleReflex.h"
#include "Experiment_Stats.h"
#include "Experiment_StepDown.h"
#include "GlobalConsole.h"
#include "RecordingDevice.h"
#include "SettingsFileHelper.h"
#include "TestFiles.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"
#include "VirtualKestrumDevice.h"

#include <QDir>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <memory>

namespace {

// A result record as a paradigm's would be: its start stamps the run, its finish its length.
class RunRecord : public Experiment_Stats
{
public:
    RunRecord(const QString& path, Clock* clock)
        : Experiment_Stats(path, true)
        , clock(clock)
    {
    }

    void start() override
    {
        startedAt = clock->monotonicMs();
        setTimeStamp(clock->wallMs());
    }

    void finish() override { setDurationMs(int(clock->monotonicMs() - startedAt)); }

private:
    Clock* clock;
    qint64 startedAt = 0;
};

// The smallest paradigm on each base: its run starts on the first frame with the animal.
template <typename Base>
class Paradigm : public Base
{
public:
    explicit Paradigm(const QString& folder)
        : Base(folder)
    {
    }

    QString typeKey() const override { return QStringLiteral("TestParadigm"); }
    Experiment_Stats* createStats(const QString& statsPath) override
    {
        auto* record = new RunRecord(statsPath, this->clock());
        record->reload();
        return record;
    }
    QList<ResultColumn> resultColumns() override { return {}; }
    QString iconPath() override { return {}; }
    BaseExperiment* createInstance() override
    {
        auto* copy = new Paradigm(this->folder());
        copy->loadSettingsReadOnly();
        return copy;
    }

    Experiment_Stats* record() const { return this->m_stats.get(); }
    QList<bool> hooks;
    int framesWhileRunning = 0;

protected:
    void processDetection(bool detected, QSize, QPoint, const QRect&, bool& inDangerZone) override
    {
        inDangerZone = false;
        if (!this->isTriggered())
            return;
        if (this->isRunning()) {
            ++framesWhileRunning;
            return;
        }
        if (detected && this->openRun()) {
            this->m_stats->setCircuit(0.4);
            this->beginRun();
        }
    }

    void onStartStop(bool start) override { hooks << start; }
};

using PlainParadigm = Paradigm<BaseExperiment>;
using TimedParadigm = Paradigm<BaseTimedExperiment>;
using ScenarioParadigm = Paradigm<BaseScenarioExperiment>;

class CountingDevice : public VirtualKestrumDevice
{
public:
    CountingDevice() { m_serialNumber = QStringLiteral("SN-42"); }
    int allOffCount = 0;

protected:
    void applyAllOff() override { ++allOffCount; }
};

QImage greyFrame()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(90, 90, 90));
    return image;
}

struct Flags
{
    bool init = false;
    bool triggered = false;
    bool started = false;
    bool operator==(const Flags&) const = default;
};

Flags flagsOf(const BaseExperiment& experiment)
{
    Flags flags;
    experiment.initTriggeredStarted(flags.init, flags.triggered, flags.started);
    return flags;
}

char* toString(const Flags& flags)
{
    return qstrdup(QStringLiteral("init %1 triggered %2 started %3")
                       .arg(flags.init)
                       .arg(flags.triggered)
                       .arg(flags.started)
                       .toUtf8()
                       .constData());
}

void frame(BaseExperiment& experiment, bool detected)
{
    bool inDanger = true;
    experiment.processFrame(detected, QSize(640, 480), QPoint(320, 240), QRect(300, 220, 40, 40), inDanger);
}

QStringList runFolders(const QString& typeFolder)
{
    return QDir(typeFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

// A real paradigm whose start finds the place of its track taken by a folder.
template <typename P>
class TrackTaken : public P
{
public:
    using P::P;

protected:
    Experiment_Stats* createRunStats(const QString& statsPath) override
    {
        QDir().mkpath(QFileInfo(statsPath).dir().filePath(QStringLiteral("Track.tdata/taken")));
        return P::createRunStats(statsPath);
    }
};

template <typename P>
std::unique_ptr<BaseExperiment> makeParadigm(const QString& folder, bool trackTaken)
{
    if (trackTaken)
        return std::make_unique<TrackTaken<P>>(folder);
    return std::make_unique<P>(folder);
}

// Each paradigm with a place where the animal starts its run.
struct ParadigmStart
{
    const char* name;
    std::unique_ptr<BaseExperiment> (*make)(const QString& folder, bool trackTaken);
    QPoint animal;
};

const ParadigmStart paradigmStarts[] = {
    {"active avoidance", &makeParadigm<Experiment_ActiveAvoidance>, {100, 240}},
    {"place preference", &makeParadigm<Experiment_PlacePreference>, {100, 240}},
    {"light box", &makeParadigm<Experiment_Lightbox>, {100, 240}},
    {"step down", &makeParadigm<Experiment_StepDown>, {320, 240}},
    {"conflict test", &makeParadigm<Experiment_ConflictTest>, {400, 240}},
    {"startle reflex", &makeParadigm<Experiment_StartleReflex>, {320, 240}},
};

} // namespace

class BaseExperimentTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        clock = std::make_unique<ManualClock>(QDateTime(QDate(2025, 3, 4), QTime(10, 20, 30, 456)).toMSecsSinceEpoch());
    }

    void flagsFollowTheLifeCycle()
    {
        PlainParadigm experiment(folder->path());
        experiment.setClock(clock.get());
        experiment.initSettingsFile(false);
        CountingDevice device;
        experiment.setDevice(&device);
        QSignalSpy changed(&experiment, &BaseExperiment::changedExperimentInitTriggeredStarted);
        QSignalSpy recordStarted(&experiment, &BaseExperiment::recordStarted);
        QSignalSpy videoStarted(&experiment, &BaseExperiment::startVideoRecord);
        QSignalSpy videoStopped(&experiment, &BaseExperiment::stopVideoRecord);
        QCOMPARE(flagsOf(experiment), (Flags{false, false, false}));

        experiment.setBackgroundPair(greyFrame(), greyFrame());
        QCOMPARE(flagsOf(experiment), (Flags{true, false, false}));
        QCOMPARE(changed.count(), 1);

        experiment.start(true);
        QCOMPARE(flagsOf(experiment), (Flags{true, true, false}));
        QCOMPARE(experiment.hooks, QList<bool>{true});
        QCOMPARE(changed.count(), 2);

        frame(experiment, false);
        QCOMPARE(flagsOf(experiment), (Flags{true, true, false}));
        QVERIFY(runFolders(experiment.folder()).isEmpty());

        frame(experiment, true);
        QCOMPARE(flagsOf(experiment), (Flags{true, true, true}));
        QCOMPARE(changed.count(), 3);
        QCOMPARE(runFolders(experiment.folder()), QStringList{QStringLiteral("2025.03.04-10.20.30.456")});
        const QString run = experiment.runFolder();
        QCOMPARE(run, experiment.folder() + QStringLiteral("2025.03.04-10.20.30.456/"));
        QCOMPARE(recordStarted.takeFirst().at(0).toString(), run);
        QCOMPARE(videoStarted.takeFirst().at(0).toString(), run + QStringLiteral("video.mp4"));
        QVERIFY(QFile::exists(run + QStringLiteral("background.jpg")));
        QCOMPARE(QFileInfo(run + QStringLiteral("Track.tdata")).size(), 16);
        QCOMPARE(experiment.record()->getKestrumSN(), QStringLiteral("SN-42"));

        frame(experiment, true);
        QCOMPARE(experiment.framesWhileRunning, 1);

        clock->advance(1500);
        experiment.start(false);
        QCOMPARE(flagsOf(experiment), (Flags{true, false, false}));
        QCOMPARE(experiment.hooks, (QList<bool>{true, false}));
        QCOMPARE(videoStopped.count(), 1);
        QVERIFY(!experiment.record());
        QCOMPARE(device.allOffCount, 0);

        experiment.start(true);
        experiment.stop();
        QCOMPARE(flagsOf(experiment), (Flags{true, false, false}));
        QCOMPARE(device.allOffCount, 1);
        QCOMPARE(videoStopped.count(), 2);

        RunRecord stored(run + QStringLiteral("Stats.xml"), clock.get());
        QVERIFY(stored.reload());
        QCOMPARE(stored.getDurationMs(), 1500);
        QCOMPARE(stored.getCircuit(), 0.4);
        QCOMPARE(stored.getKestrumSN(), QStringLiteral("SN-42"));
        QCOMPARE(stored.title(), QStringLiteral("2025.03.04-10.20.30.456"));
        QFile xml(run + QStringLiteral("Stats.xml"));
        QVERIFY(xml.open(QIODevice::ReadOnly));
        const QByteArray text = xml.readAll();
        QVERIFY2(text.contains("<Circuit>0.4</Circuit>"), text.constData());
        QVERIFY(text.contains("<KestrumSN>SN-42</KestrumSN>"));
    }

    void stopBeforeTheAnimalWasSeenLeavesNoRunFolder()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        QSignalSpy changed(&experiment, &BaseExperiment::changedExperimentInitTriggeredStarted);
        QSignalSpy videoStopped(&experiment, &BaseExperiment::stopVideoRecord);
        experiment.start(true);
        for (int i = 0; i < 5; ++i)
            frame(experiment, false);
        experiment.stop();
        QVERIFY(runFolders(experiment.folder()).isEmpty());
        QVERIFY(QDir(experiment.folder()).entryList(QDir::Files).isEmpty());
        QCOMPARE(videoStopped.count(), 1);
        QCOMPARE(changed.count(), 2);
    }

    void panelValuesReachTheRecordAtStop()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        startRun(experiment);
        const QString run = experiment.runFolder();
        experiment.setRodent(QStringLiteral("Мышь №7"));
        experiment.setComment(QStringLiteral("after <feeding> & \"rest\""));
        experiment.setVideoFrameSize(1280, 720);
        experiment.setRecognitionFrameSize(640, 360);
        clock->advance(1500);
        experiment.addLog(QStringLiteral("First"));
        clock->advance(1000);
        experiment.addLog(QStringLiteral("Second"));
        experiment.addLog(QStringLiteral("Given"), 7);
        experiment.stop();
        experiment.addLog(QStringLiteral("After stop"));

        RunRecord stored(run + QStringLiteral("Stats.xml"), clock.get());
        QVERIFY(stored.reload());
        QCOMPARE(stored.getRodent(), QStringLiteral("Мышь №7"));
        QCOMPARE(stored.getComment(), QStringLiteral("after <feeding> & \"rest\""));
        QCOMPARE(stored.getVideoFrameWidth(), 1280);
        QCOMPARE(stored.getVideoFrameHeight(), 720);
        QCOMPARE(stored.getRecognitionFrameWidth(), 640);
        QCOMPARE(stored.getRecognitionFrameHeight(), 360);
        QCOMPARE(stored.getTimeStamp(), QDateTime(QDate(2025, 3, 4), QTime(10, 20, 30, 456)).toMSecsSinceEpoch());
        QCOMPARE(stored.getLog(), QStringLiteral("1500|First\r\n2500|Second\r\n7|Given\r\n"));
        QCOMPARE(stored.getDurationMs(), 2500);
    }

    void retriggeringARunningExperimentSavesTheOpenRun()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        startRun(experiment);
        const QString first = experiment.runFolder();
        clock->advance(800);
        experiment.start(true);
        QCOMPARE(experiment.hooks, (QList<bool>{true, false, true}));
        QVERIFY(!experiment.record());
        RunRecord stored(first + QStringLiteral("Stats.xml"), clock.get());
        QVERIFY(stored.reload());
        QCOMPARE(stored.getDurationMs(), 800);

        frame(experiment, true);
        QVERIFY(experiment.runFolder() != first);
        QCOMPARE(runFolders(experiment.folder()).size(), 2);
        experiment.stop();
    }

    void runsStartedInTheSameMillisecondGetTheirOwnFolders()
    {
        PlainParadigm one(folder->path());
        PlainParadigm two(folder->path());
        for (PlainParadigm* experiment : {&one, &two}) {
            experiment->setClock(clock.get());
            experiment->initSettingsFile(false);
            experiment->setBackground(greyFrame());
            experiment->start(true);
            frame(*experiment, true);
        }
        QVERIFY(one.runFolder() != two.runFolder());
        QCOMPARE(runFolders(one.folder()).size(), 2);
    }

    void aLateStopDoesNotEndANewerRun()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        startRun(experiment);
        // The paradigm stops its run from the detector thread; the stop handling is queued.
        QThread* detector = QThread::create([&experiment] { experiment.stop(); });
        detector->start();
        QVERIFY(detector->wait(10000));
        delete detector;
        QVERIFY(!experiment.isTriggered());
        experiment.start(true);
        QCoreApplication::processEvents();
        QVERIFY(experiment.isTriggered());
        QCOMPARE(experiment.hooks, (QList<bool>{true, false, true}));
        experiment.stop();
    }

    void trackHoldsOneRecordPerFrame()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        experiment.saveTrack(true, QImage(), QPoint(1, 1), QRect(), 1);
        startRun(experiment);
        const QString track = experiment.runFolder() + QStringLiteral("Track.tdata");

        experiment.saveTrack(false, QImage(), QPoint(-1, -1), QRect(), 0);
        QCOMPARE(QFileInfo(track).size(), 25);

        QImage blob(640, 480, QImage::Format_ARGB32);
        blob.fill(Qt::transparent);
        for (int y = 220; y < 261; ++y)
            for (int x = 300 + (y % 3); x < 340; ++x)
                blob.setPixelColor(x, y, QColor(30, 255, 0, 100));
        QImage threeColours = blob.copy();
        threeColours.setPixelColor(0, 479, QColor(255, 50, 0, 100));
        clock->advance(40);
        experiment.saveTrack(true, blob, QPoint(320, 240), QRect(300, 220, 40, 41), 1234);
        experiment.saveTrack(true, QImage(), QPoint(5, 6), QRect(1, 2, 3, 4), 9);
        experiment.saveTrack(true, threeColours, QPoint(5, 6), QRect(1, 2, 3, 4), 9);
        experiment.stop();
        experiment.saveTrack(false, QImage(), QPoint(), QRect(), 0);

        TrackDataFile reader;
        QVERIFY(reader.open(track, true));
        QCOMPARE(reader.keys(), (QList<quint32>{1, 2, 3, 4}));
        TrackFrame second;
        QVERIFY(reader.readRecord(2, second));
        QVERIFY(second.detected);
        QCOMPARE(second.timeMs, clock->wallMs());
        QCOMPARE(second.center(), QPoint(320, 240));
        QCOMPARE(second.rect(), QRect(300, 220, 40, 41));
        QCOMPARE(second.area, 1234);
        // However compactly the overlay is stored, it decodes to the very same pixels.
        QVERIFY(second.image.startsWith("\x89PNG"));
        QCOMPARE(QImage::fromData(second.image, "PNG").convertToFormat(QImage::Format_ARGB32), blob);
        TrackFrame fourth;
        QVERIFY(reader.readRecord(4, fourth));
        QCOMPARE(QImage::fromData(fourth.image, "PNG").convertToFormat(QImage::Format_ARGB32), threeColours);
        TrackFrame third;
        QVERIFY(reader.readRecord(3, third));
        QVERIFY(third.image.isNull());
    }

    // The first frame that cannot be written to the track (the disk filled in the middle of
    // it) stops the run as a stop does, with the apparatus all off; the failure is told once,
    // after the stop, with the system's reason, and the frames before it stay readable.
    void aTrackThatCannotBeWrittenStopsTheRun()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        CountingDevice device;
        experiment.setDevice(&device);
        startRun(experiment);
        for (int i = 0; i < 5; ++i)
            experiment.saveTrack(false, QImage(), QPoint(), QRect(), 0);
        const QString run = experiment.runFolder();
        const QString track = run + QStringLiteral("Track.tdata");
        QSignalSpy console(GlobalConsole::Instance(), &GlobalConsole::newEntry);
        QSignalSpy failed(&experiment, &BaseExperiment::runFailed);
        const int allOffBefore = device.allOffCount;
        {
            const FileSizeLimit full(rlim_t(QFileInfo(track).size()) + 4);
            experiment.saveTrack(false, QImage(), QPoint(), QRect(), 0);
            QCOMPARE(flagsOf(experiment), (Flags{true, false, false}));
            experiment.saveTrack(false, QImage(), QPoint(), QRect(), 0);
        }
        QStringList reports;
        for (const QList<QVariant>& entry : console)
            if (entry.at(0).toString().contains(QStringLiteral("The track of the run")))
                reports << entry.at(0).toString();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.at(0).contains(run) && reports.at(0).contains(systemReason(EFBIG)), qPrintable(reports.at(0)));
        QTRY_VERIFY(device.allOffCount > allOffBefore);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.constFirst(), (QList<QVariant>{track, systemReason(EFBIG), true}));

        TrackDataFile reader;
        QVERIFY(reader.open(track, true));
        QCOMPARE(reader.keys(), (QList<quint32>{1, 2, 3, 4, 5}));
        experiment.setDevice(nullptr);
    }

    // While the run goes on, its record reaches the disk every ten seconds of the run with what
    // it holds so far, its length included, marked unfinished; the stop's save marks it finished.
    void aRunningRecordIsSavedEveryTenSeconds()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        startRun(experiment);
        const QString path = experiment.runFolder() + QStringLiteral("Stats.xml");
        const auto stored = [&] {
            auto record = std::make_unique<RunRecord>(path, clock.get());
            record->setAutoSave(false);
            record->reload();
            return record;
        };
        const auto tick = [&](qint64 ms) {
            clock->advance(ms);
            QMetaObject::invokeMethod(&experiment, "onTick");
        };
        QVERIFY(stored()->isUnfinished());
        experiment.addLog(QStringLiteral("Early"));
        tick(9'999);
        QCOMPARE(stored()->getDurationMs(), 0);
        tick(1);
        QTRY_COMPARE(stored()->getDurationMs(), 10'000);
        QCOMPARE(stored()->getLog(), QStringLiteral("0|Early\r\n"));
        QCOMPARE(stored()->getCircuit(), 0.4);
        tick(12'345);
        QTRY_COMPARE(stored()->getDurationMs(), 22'345);
        tick(7'000);
        QCOMPARE(stored()->getDurationMs(), 22'345);
        QVERIFY(stored()->isUnfinished());
        experiment.stop();
        QVERIFY(!stored()->isUnfinished());
        QCOMPARE(stored()->getDurationMs(), 29'345);
    }

    // A record that the run's save cannot write stops the run as a full track does.
    void aRecordThatCannotBeSavedStopsTheRun()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        CountingDevice device;
        experiment.setDevice(&device);
        startRun(experiment);
        const QString path = experiment.runFolder() + QStringLiteral("Stats.xml");
        QSignalSpy failed(&experiment, &BaseExperiment::runFailed);
        // No new file can take the place of a folder.
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        const int allOffBefore = device.allOffCount;
        clock->advance(10'000);
        QMetaObject::invokeMethod(&experiment, "onTick");
        QTRY_COMPARE(flagsOf(experiment), (Flags{true, false, false}));
        QTRY_VERIFY(device.allOffCount > allOffBefore);
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed.constFirst().at(0).toString(), path);
        QVERIFY(failed.constFirst().at(1).toString().contains(QStringLiteral("not a regular file")));
        experiment.setDevice(nullptr);
    }

    // The save every ten seconds waits for the disk in a thread of its own: while a slow disk
    // holds it, the interface thread goes on with its ticks and frames, and the save lands once
    // the disk takes it.
    void aSlowDiskHoldsUpNoFrame()
    {
        PlainParadigm experiment(folder->path());
        prepare(experiment);
        QSemaphore atTheDisk;
        QSemaphore diskFree;
        std::atomic<bool> heldUntilFreed = false;
        experiment.setRecordCommit([&](const QString& path, const QByteArray& bytes, QString* reason) {
            atTheDisk.release();
            heldUntilFreed = diskFree.tryAcquire(1, 5000);
            return SettingsFileHelper::commit(path, bytes, true, reason);
        });
        startRun(experiment);
        const QString path = experiment.runFolder() + QStringLiteral("Stats.xml");
        const auto stored = [&] {
            RunRecord record(path, clock.get());
            record.setAutoSave(false);
            record.reload();
            return std::pair(record.getDurationMs(), record.isUnfinished());
        };
        clock->advance(10'000);
        // The tick timer's own tick makes the save.
        QTRY_COMPARE(atTheDisk.available(), 1);
        QMetaObject::invokeMethod(
            &experiment, [&] { frame(experiment, true); }, Qt::QueuedConnection);
        QTRY_COMPARE(experiment.framesWhileRunning, 1);
        QCOMPARE(stored(), std::pair(0, true));
        diskFree.release();
        QTRY_COMPARE(stored(), std::pair(10'000, true));
        QVERIFY(heldUntilFreed);
        experiment.stop();
        QCOMPARE(stored(), std::pair(10'000, false));
    }

    void everyParadigmStartsItsRunWholeOrNotAtAll_data()
    {
        QTest::addColumn<int>("paradigm");
        QTest::addColumn<bool>("trackTaken");
        for (const bool trackTaken : {false, true}) {
            for (int i = 0; i < int(std::size(paradigmStarts)); ++i)
                QTest::addRow("%s%s", paradigmStarts[i].name, trackTaken ? ", track taken" : "") << i << trackTaken;
        }
    }

    // Every paradigm stamps its record with the start of its run. A start that cannot make its
    // track stops the run as a failed one: after its "off" the chamber gets only what frames
    // without a run get, and its record, kept, says that the run did not finish.
    void everyParadigmStartsItsRunWholeOrNotAtAll()
    {
        QFETCH(int, paradigm);
        QFETCH(bool, trackTaken);
        const ParadigmStart& start = paradigmStarts[paradigm];
        const std::unique_ptr<BaseExperiment> experiment = start.make(folder->path(), trackTaken);
        RecordingDevice device(clock.get());
        prepare(*experiment);
        experiment->setDevice(&device);
        experiment->setValue(QStringLiteral("LightBrightness"), 80);
        // Active avoidance lights its chamber and sounds its tone from the first frame, for ten minutes.
        if (auto* avoidance = qobject_cast<Experiment_ActiveAvoidance*>(experiment.get())) {
            avoidance->setStartPhase(0);
            avoidance->setLightPhase(600);
            avoidance->setSoundToneLight(500);
        }
        ExperimentScenario scenario;
        scenario.addStep(KestrumBaseDevice::Light, new ScenarioStep(5000, 0, 50));
        if (auto* scenarioParadigm = qobject_cast<BaseScenarioExperiment*>(experiment.get()))
            scenarioParadigm->setScenario(&scenario);
        QSignalSpy failed(experiment.get(), &BaseExperiment::runFailed);
        const auto step = [&] {
            bool inDanger = false;
            experiment->processFrame(true, QSize(640, 480), start.animal,
                                     QRect(start.animal - QPoint(20, 20), QSize(40, 40)), inDanger);
            clock->advance(30);
        };
        step();
        const QStringList idle = device.takeTexts();

        experiment->start(true);
        const qint64 startWallMs = clock->wallMs();
        for (int i = 0; i < 3; ++i)
            step();
        QCOMPARE(experiment->isRunning(), !trackTaken);
        int framesAfterOff = 3;
        if (!trackTaken) {
            experiment->stop();
            framesAfterOff = 2;
            step();
            step();
        }
        QVERIFY(!experiment->isTriggered());
        const QStringList sent = device.texts();
        QStringList afterOff;
        for (int i = 0; i < framesAfterOff; ++i)
            afterOff << idle;
        const qsizetype lastOff = sent.lastIndexOf(QStringLiteral("off"));
        QVERIFY2(lastOff >= 0 && sent.mid(lastOff + 1) == afterOff, qPrintable(sent.join(QStringLiteral(" | "))));

        const QStringList runs = runFolders(experiment->folder());
        QCOMPARE(runs.size(), 1);
        const QString run = experiment->folder() + runs.constFirst() + QLatin1Char('/');
        QVERIFY(QFile::exists(run + QStringLiteral("Stats.xml")));
        const std::unique_ptr<Experiment_Stats> stored(experiment->createStats(run + QStringLiteral("Stats.xml")));
        QCOMPARE(stored->isUnfinished(), trackTaken);
        QCOMPARE(stored->getTimeStamp(), startWallMs);
        QCOMPARE(failed.size(), trackTaken ? 1 : 0);
        if (trackTaken)
            QCOMPARE(failed.constFirst().at(0).toString(), run + QStringLiteral("Track.tdata"));
        experiment->setDevice(nullptr);
    }

    void clockTicksOnlyWhileStarted()
    {
        PlainParadigm experiment(folder->path());
        experiment.setClock(clock.get());
        experiment.setBackground(greyFrame());
        QSignalSpy seconds(&experiment, &BaseExperiment::secondsChanged);
        QSignalSpy texts(&experiment, &BaseExperiment::timeTextChanged);
        experiment.start(true);
        clock->advance(5000);
        QMetaObject::invokeMethod(&experiment, "onTick");
        QCOMPARE(seconds.count(), 0);

        frame(experiment, true);
        clock->advance(61'500);
        // Setting the wall clock back does not shorten the run.
        clock->setWallMs(clock->wallMs() - 3'600'000);
        QMetaObject::invokeMethod(&experiment, "onTick");
        QCOMPARE(seconds.count(), 1);
        QCOMPARE(seconds.takeFirst().at(0).toDouble(), 61.5);
        QCOMPARE(texts.takeFirst().at(0).toString(), QStringLiteral("01:01"));
        QCOMPARE(experiment.elapsedMs(), 61'500);
        experiment.stop();
    }

    void theRealTickTimerDrivesTheClock()
    {
        PlainParadigm experiment(folder->path());
        experiment.setBackground(greyFrame());
        QSignalSpy seconds(&experiment, &BaseExperiment::secondsChanged);
        startRun(experiment);
        QVERIFY(seconds.wait(10000));
        experiment.stop();
    }

    void timedRunStopsAtTheFirstTickAfterItsLimit()
    {
        TimedParadigm experiment(folder->path());
        experiment.setClock(clock.get());
        experiment.initSettingsFile(false);
        QCOMPARE(experiment.getMaxDuration(), 300);
        experiment.setBackground(greyFrame());
        startRun(experiment);
        for (int tick = 0; tick < 1200; ++tick) {
            clock->advance(250);
            QMetaObject::invokeMethod(&experiment, "onTick");
        }
        QCOMPARE(experiment.elapsedMs(), 300'000);
        QVERIFY(experiment.isRunning());
        clock->advance(1);
        QMetaObject::invokeMethod(&experiment, "onTick");
        QVERIFY(!experiment.isRunning());
        QVERIFY(!experiment.isTriggered());
        QVERIFY(!experiment.record());
        QCOMPARE(experiment.hooks, (QList<bool>{true, false}));
    }

    void timedRunWithoutLimitGoesOn()
    {
        TimedParadigm experiment(folder->path());
        experiment.setClock(clock.get());
        experiment.setMaxDuration(0);
        experiment.setBackground(greyFrame());
        startRun(experiment);
        clock->advance(10'000'000);
        QMetaObject::invokeMethod(&experiment, "onTick");
        QVERIFY(experiment.isRunning());
        experiment.stop();
    }

    void settingsAreClampedAndSaved()
    {
        {
            TimedParadigm timed(folder->path());
            timed.initSettingsFile(false);
            timed.setMaxDuration(5000);
            QCOMPARE(timed.getMaxDuration(), 3600);
            ScenarioParadigm scenario(folder->path());
            scenario.setPreambulePhase(-3);
            QCOMPARE(scenario.getPreambulePhase(), 0);
            scenario.setPostambulePhase(40000);
            QCOMPARE(scenario.getPostambulePhase(), 36000);
        }
        TimedParadigm again(folder->path());
        again.initSettingsFile(false);
        QCOMPARE(again.getMaxDuration(), 3600);
        QCOMPARE(again.getFilepath(), again.folder() + QStringLiteral("Settings.xml"));
        QVERIFY(again.folder().endsWith(QStringLiteral("/TestParadigm/")));

        // A panel's copy reads the type's settings and never writes them.
        const QByteArray stored =
            QFile(again.getFilepath()).open(QIODevice::ReadOnly) ? QByteArray("ok") : QByteArray();
        QCOMPARE(stored, QByteArray("ok"));
        std::unique_ptr<BaseExperiment> copy(again.createInstance());
        auto* timedCopy = static_cast<TimedParadigm*>(copy.get());
        QCOMPARE(timedCopy->getMaxDuration(), 3600);
        QVERIFY(!timedCopy->getAutoSave());
        timedCopy->setMaxDuration(10);
        TimedParadigm reread(folder->path());
        reread.initSettingsFile(false);
        QCOMPARE(reread.getMaxDuration(), 3600);
    }

    void scenarioIsFollowedAndCopiedForTheRun()
    {
        ScenarioParadigm experiment(folder->path());
        experiment.setClock(clock.get());
        QSignalSpy changed(&experiment, &BaseScenarioExperiment::changedScenario);
        auto* scenario = new ExperimentScenario;
        scenario->setFilePath(folder->filePath(QStringLiteral("sub/test.scn")));
        QDir(folder->path()).mkdir(QStringLiteral("sub"));
        scenario->addStep(KestrumBaseDevice::Light, new ScenarioStep(100, 0, 50));
        experiment.setScenario(scenario);
        QCOMPARE(experiment.getLastScript(), QStringLiteral("test"));
        QCOMPARE(changed.count(), 1);
        QVERIFY(scenario->save());
        QCOMPARE(changed.count(), 2);

        scenario->stepsLight.at(0)->done = true;
        experiment.setBackground(greyFrame());
        experiment.start(true);
        ExperimentScenario* run = experiment.runScenario();
        QVERIFY(run && run != scenario);
        QVERIFY(!run->stepsLight.at(0)->done);

        scenario->stepsLight.at(0)->durationMs = 999;
        delete scenario;
        QVERIFY(!experiment.scenario());
        QCOMPARE(run->stepsLight.at(0)->durationMs, 100);
        frame(experiment, true);
        QVERIFY(experiment.isRunning());
        experiment.stop();

        experiment.setScenario(nullptr);
        QCOMPARE(experiment.getLastScript(), QString());
        QCOMPARE(changed.count(), 3);
    }

    // The panels reach the experiment by these names; their order is that of the meta-object.
    void declarationsAreThoseThePanelsUse()
    {
        const QMetaObject& meta = BaseExperiment::staticMetaObject;
        const QList<QByteArray> hooks{"typeKey",           "manualActionBeforeBackground",
                                      "createStats",       "resultColumns",
                                      "iconPath",          "createInstance",
                                      "usesStartleSensor", "processDetection",
                                      "manualAction",      "drawOverlay",
                                      "onStartStop"};
        QList<QByteArray> slotOrder;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
            if (meta.method(i).methodType() == QMetaMethod::Slot && hooks.contains(meta.method(i).name()))
                slotOrder << meta.method(i).name();
        QCOMPARE(slotOrder, hooks);
        const QList<QByteArray> signalSignatures{"secondsChanged(double)",
                                                 "timeTextChanged(QString)",
                                                 "cyclesTextChanged(QString)",
                                                 "recordStarted(QString)",
                                                 "startVideoRecord(QString)",
                                                 "stopVideoRecord()",
                                                 "changedExperimentInitTriggeredStarted()",
                                                 "frameSizeChanged()",
                                                 "hasManualControlChanged()"};
        int previous = -1;
        for (const QByteArray& signature : signalSignatures) {
            const int index = meta.indexOfSignal(signature);
            QVERIFY2(index > previous, signature.constData());
            previous = index;
        }

        ScenarioParadigm experiment(folder->path());
        QVERIFY(experiment.deviceControlEnabled);
        QVERIFY(experiment.singleReferenceFrame());
        experiment.prepareBackgroundLight();
        experiment.initSettingsFile(false);
        QCOMPARE(experiment.name(), QDir(folder->path()).filePath(QStringLiteral("TestParadigm/")));
        QCOMPARE(experiment.name(), experiment.folder());

        QSignalSpy changed(&experiment, &BaseScenarioExperiment::changedScenario);
        ExperimentScenario scenario;
        scenario.setName(folder->filePath(QStringLiteral("startle.scn")));
        experiment.loadScenario(&scenario);
        QCOMPARE(experiment.scenario(), &scenario);
        QCOMPARE(experiment.getLastScript(), QStringLiteral("startle"));
        QCOMPARE(changed.count(), 1);
        experiment.loadScenario(nullptr);
    }

    void frameSizeIsAnnouncedOnlyWhenItChanges()
    {
        PlainParadigm experiment(folder->path());
        QSignalSpy sizes(&experiment, &BaseExperiment::frameSizeChanged);
        experiment.setFrameSize(QSize(640, 480));
        experiment.setFrameSize(QSize(640, 480));
        QCOMPARE(sizes.count(), 1);
        frame(experiment, false);
        QCOMPARE(sizes.count(), 1);
        experiment.setFrameSize(QSize(640, 360));
        QCOMPARE(sizes.count(), 2);
    }

    void manualControlNeedsADevice()
    {
        PlainParadigm experiment(folder->path());
        QSignalSpy manual(&experiment, &BaseExperiment::hasManualControlChanged);
        QVERIFY(!experiment.hasManualControl());
        QVERIFY(!experiment.mayDriveDevice());
        CountingDevice device;
        experiment.setDevice(&device);
        QVERIFY(experiment.hasManualControl());
        QVERIFY(experiment.mayDriveDevice());
        // The panel takes the device over (calibration, manual control): no paradigm may drive it.
        experiment.deviceControlEnabled = false;
        QVERIFY(experiment.hasManualControl());
        QVERIFY(!experiment.mayDriveDevice());
        experiment.deviceControlEnabled = true;
        experiment.setManualControl(false);
        experiment.setManualControl(false);
        QVERIFY(!experiment.hasManualControl());
        QVERIFY(!experiment.mayDriveDevice());
        QCOMPARE(manual.count(), 1);
        QVERIFY(experiment.manualActionBeforeBackground());
        QVERIFY(!experiment.usesStartleSensor());
    }

    void overlayAsksForTheBackground()
    {
        PlainParadigm experiment(folder->path());
        QVERIFY(experiment.drawOverlay(QSize(99, 200)).isNull());
        const QImage overlay = experiment.drawOverlay(QSize(100, 100));
        QCOMPARE(overlay.size(), QSize(200, 200));
        QCOMPARE(overlay.format(), QImage::Format_RGBA8888);
        QCOMPARE(overlay.pixelColor(100, 20).alpha(), 0);
        bool labelled = false;
        for (int y = 0; y < 200 && !labelled; ++y)
            for (int x = 0; x < 200 && !labelled; ++x)
                labelled = overlay.pixelColor(x, y) == QColor(0, 0, 0, 208);
        QVERIFY(labelled);
        bool framed = false;
        for (int x = 0; x < 200 && !framed; ++x)
            framed = overlay.pixelColor(x, 2).red() > 200 && overlay.pixelColor(x, 2).blue() < 100;
        QVERIFY(framed);
        experiment.setBackground(greyFrame());
        QVERIFY(experiment.drawOverlay(QSize(100, 100)).isNull());
        QVERIFY(BaseExperiment::makeMaskCanvas(QSize(0, 10)).isNull());
        BaseExperiment::drawCenteredLabel(nullptr, QStringLiteral("x"), QRect(), Qt::black);
    }

    void zoneOverlaysShareTheTimeLinePens()
    {
        const QList<QPen> pens{DashedPens::blue(), DashedPens::green(), DashedPens::red(), DashedPens::yellow()};
        const QList<QColor> colours{QColor(0x33, 0x77, 0xBB), QColor(0x66, 0xCC, 0x00), QColor(0xCC, 0x33, 0x00),
                                    QColor(0xF1, 0xE3, 0x08)};
        for (int i = 0; i < pens.size(); ++i) {
            QCOMPARE(pens.at(i).color(), colours.at(i));
            QCOMPARE(pens.at(i).widthF(), 2.0);
            QCOMPARE(pens.at(i).style(), Qt::CustomDashLine);
            QCOMPARE(pens.at(i).dashPattern(), (QList<qreal>{3, 3}));
        }
        QPen changed = DashedPens::blue();
        changed.setColor(Qt::white);
        QCOMPARE(DashedPens::blue().color(), colours.at(0));
    }

    void detectorAndUserInterfaceThreadsShareARun()
    {
        PlainParadigm experiment(folder->path());
        experiment.setClock(clock.get());
        experiment.setBackground(greyFrame());
        std::atomic<bool> running = true;
        QImage blob(64, 48, QImage::Format_ARGB32);
        blob.fill(QColor(30, 255, 0, 100));
        QThread* detector = QThread::create([&] {
            while (running) {
                frame(experiment, true);
                experiment.saveTrack(true, blob, QPoint(3, 3), QRect(0, 0, 5, 5), 25);
            }
        });
        detector->start();
        // Each run's record is also saved once while it runs, between frames.
        for (int run = 0; run < 20; ++run) {
            experiment.start(true);
            QTRY_VERIFY_WITH_TIMEOUT(experiment.isRunning(), 10000);
            clock->advance(10'000);
            QMetaObject::invokeMethod(&experiment, "onTick");
            experiment.stop();
        }
        running = false;
        QVERIFY(detector->wait(10000));
        delete detector;
        const QStringList runs = runFolders(experiment.folder());
        QCOMPARE(runs.size(), 20);
        const QDir typeFolder(experiment.folder());
        for (const QString& run : runs) {
            TrackDataFile track;
            QVERIFY2(track.open(typeFolder.filePath(run + QStringLiteral("/Track.tdata")), true),
                     qPrintable(track.message()));
            QVERIFY2(track.message().isEmpty(), qPrintable(track.message()));
            QVERIFY(QFile::exists(typeFolder.filePath(run + QStringLiteral("/Stats.xml"))));
            RunRecord stored(typeFolder.filePath(run + QStringLiteral("/Stats.xml")), clock.get());
            stored.setAutoSave(false);
            QVERIFY(stored.reload());
            QVERIFY(!stored.isUnfinished());
        }
    }

private:
    // A paradigm on the test's clock and folder, with its background calibrated.
    template <typename P>
    void prepare(P& experiment)
    {
        experiment.setClock(clock.get());
        experiment.initSettingsFile(false);
        experiment.setBackground(greyFrame());
    }

    static void startRun(BaseExperiment& experiment)
    {
        experiment.start(true);
        frame(experiment, true);
    }

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<ManualClock> clock;
};

QTEST_MAIN(BaseExperimentTest)
#include "tst_baseexperiment.moc"
