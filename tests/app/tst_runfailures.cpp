#include "ChamberRunFixture.h"
#include "ChildScenario.h"
#include "Experiment_Stats.h"
#include "ExperimentsTable.h"
#include "FinishGate.h"
#include "PageResults.h"
#include "RunChecks.h"
#include "TestFiles.h"
#include "TextHelper.h"
#include "TrackDataFile.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

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

// Runs that end otherwise than by their stop: killed, unable to write their files, or with
// their video failing after they ended.
class TestRunFailures : public QObject, public ChamberRunFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestCase(); }
    void init() { setUpTest(); }
    void cleanupTestCase() { tearDownTestCase(); }

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
    TestRunFailures test;
    const QStringList child = qEnvironmentVariable(ChildScenarioVariable).split(QLatin1Char('|'));
    if (child.size() == 2)
        return test.recordUntilKilled(child.at(0), child.at(1));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_runfailures.moc"
