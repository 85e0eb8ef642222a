#include "Clock.h"
#include "Experiment_ConflictTest.h"
#include "Experiment_ConflictTest_Stats.h"
#include "Experiment_LightBox_Stats.h"
#include "Experiment_Lightbox.h"
#include "Experiment_PlacePreference.h"
#include "Experiment_PlacePreference_Stats.h"
#include "Experiment_StepDown.h"
#include "Experiment_StepDown_Stats.h"
#include "RecordingDevice.h"
#include "TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

namespace {

constexpr int frameMs = 30;
const QSize frameSize(640, 480);

// One frame of the detector; true when the paradigm marks the animal as in its danger zone.
bool frame(BaseExperiment& experiment, QPoint center, bool detected = true, QRect blob = QRect(),
           QSize size = frameSize)
{
    bool inDanger = false;
    experiment.processFrame(detected, size, center,
                            blob.isNull() ? QRect(center - QPoint(20, 20), QSize(40, 40)) : blob, inDanger);
    return inDanger;
}

QStringList texts(const QSignalSpy& spy)
{
    QStringList all;
    for (const QList<QVariant>& emitted : spy)
        all << emitted.at(0).toString();
    return all;
}

bool anyContains(const QStringList& list, const QString& text)
{
    return std::any_of(list.cbegin(), list.cend(), [&](const QString& item) { return item.contains(text); });
}

QStringList runFolders(const BaseExperiment& experiment)
{
    return QDir(experiment.folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class ZoneParadigmsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        clock = std::make_unique<ManualClock>();
        device = std::make_unique<RecordingDevice>(clock.get());
    }

    void zoneRecordMeasuresStaysAndBuildsTheTable()
    {
        QDir(folder->path()).mkdir(QStringLiteral("run"));
        const QString path = folder->filePath(QStringLiteral("run/Stats.xml"));
        {
            Experiment_LightBox_Stats record(path, true, nullptr, clock.get());
            record.start();
            record.finish();
            QCOMPARE(record.getSafeZoneTimeMs(), 0);
            QVERIFY(record.getRejected());
            QVERIFY(record.buildResult().isEmpty());
        }
        Experiment_LightBox_Stats record(path, true, nullptr, clock.get());
        record.start();
        // The first call opens a stay though the record starts out "in the safe zone"; a second
        // call in the same zone neither splits nor ends the stay.
        record.startSafeZone();
        clock->advance(300);
        record.startSafeZone();
        clock->advance(100);
        record.startDangerZone();
        clock->advance(60);
        record.startDangerZone();
        clock->advance(40);
        record.startSafeZone();
        clock->advance(500);
        record.startDangerZone();
        clock->advance(200);
        record.startSafeZone();
        clock->advance(100);
        QCOMPARE(record.zoneElapsedMs(), 100);
        QVERIFY(record.openTrackForWriting());
        record.finish();
        QVERIFY(QFile::exists(folder->filePath(QStringLiteral("run/Track.tdata"))));
        QCOMPARE(record.getDurationMs(), 1300);
        QCOMPARE(record.getLatentTimeMs(), 400);
        QCOMPARE(record.getSafeZoneTimeMs(), 400 + 500 + 100);
        QCOMPARE(record.getDangerZoneTimeMs(), 100 + 200);
        QCOMPARE(record.getSafeZoneTimes(), QStringLiteral("400;\r\n500;\r\n100;\r\n"));
        QCOMPARE(record.getDangerZoneTimes(), QStringLiteral("100;\r\n200;\r\n"));
        QVERIFY(!record.getRejected());
        QVERIFY(!record.hasCycleStatistics());

        Experiment_ConflictTest experiment(folder->path());
        std::unique_ptr<Experiment_Stats> stored(experiment.createStats(path));
        const QList<Experiment_Stats*> rows = stored->buildResult();
        QCOMPARE(rows.size(), 5);
        const QList<int> durations{400, 100, 500, 200, 100};
        for (int i = 0; i < rows.size(); ++i) {
            auto* row = static_cast<Experiment_LightBox_Stats*>(rows.at(i));
            const bool safe = i % 2 == 0;
            QCOMPARE(row->title(), safe ? QStringLiteral("Safe zone") : QStringLiteral("Dispenser zone"));
            QCOMPARE(row->getDurationMs(), durations.at(i));
            QCOMPARE(row->getLatentTimeMs(), Experiment_LightBox_Stats::noValue);
            QCOMPARE(row->getSafeZoneTimeMs(), safe ? durations.at(i) : Experiment_LightBox_Stats::noValue);
            QCOMPARE(row->getDangerZoneTimeMs(), safe ? Experiment_LightBox_Stats::noValue : durations.at(i));
            QCOMPARE(row->getCyclesCount(), 1);
        }
        qDeleteAll(rows);

        // Danger stays beyond the safe ones are not shown; what is no number reads as 0.
        Experiment_StepDown_Stats edited(QString(), false, nullptr, clock.get());
        edited.setSafeZoneTimes(QStringLiteral("x;\r\n7;"));
        edited.setDangerZoneTimes(QStringLiteral("1;2;3;4;"));
        const QList<Experiment_Stats*> editedRows = edited.buildResult();
        QCOMPARE(editedRows.size(), 4);
        QCOMPARE(editedRows.at(0)->getDurationMs(), 0);
        QCOMPARE(editedRows.at(0)->title(), QStringLiteral("On platform"));
        QCOMPARE(editedRows.at(3)->title(), QStringLiteral("Off platform"));
        QCOMPARE(editedRows.at(3)->getDurationMs(), 2);
        qDeleteAll(editedRows);
    }

    // Margins at 640 x 480: 76 and 86 pixels, an inner arena of 488 x 308.
    void zoneMasksFollowTheirGeometry()
    {
        struct Case
        {
            const char* name;
            std::function<void(BasePassiveAvoidance&)> configure;
            QList<QPoint> danger;
            QList<QPoint> safe;
        };
        const auto conflict = [](KestrumSideness side, int area, BasePassiveAvoidance::ElectrocutionBehavior how) {
            return [=](BasePassiveAvoidance& experiment) {
                auto& test = static_cast<Experiment_ConflictTest&>(experiment);
                test.setDispenserSide(side);
                test.setDispenserArea(area);
                test.setElectrocutionBehavior(how);
            };
        };
        const auto stepDown = [](Experiment_StepDown::PlatformType platform, KestrumSideness side, int sensitivity) {
            return [=](BasePassiveAvoidance& experiment) {
                auto& test = static_cast<Experiment_StepDown&>(experiment);
                test.setPlatform(platform);
                test.setRectPlatformSide(side);
                test.setSensitivity(sensitivity);
            };
        };
        const QList<Case> cases{
            // A strip of 170 pixels, then 2 pixels of gap that belong to the danger zone.
            {"conflict left 35 %",
             conflict(leftSide, 35, BasePassiveAvoidance::Peep),
             {{76, 240}, {247, 240}, {100, 86}, {100, 393}},
             {{75, 240}, {248, 240}, {563, 240}, {564, 240}, {100, 85}, {100, 394}, {0, 0}}},
            // AllIn punishes 45 % (219 pixels) of the arena's width.
            {"conflict right 50 % all in",
             conflict(rightSide, 50, BasePassiveAvoidance::AllIn),
             {{343, 240}, {563, 240}},
             {{342, 240}, {564, 240}, {76, 240}}},
            // Radius 308 x 0.3 x 1.035 = 95 pixels, around the frame's centre.
            {"round platform",
             stepDown(Experiment_StepDown::Platform_Round, leftSide, 50),
             {{417, 240}, {223, 240}, {320, 143}, {320, 337}},
             {{320, 240}, {413, 240}, {227, 240}, {320, 147}, {320, 333}}},
            {"round platform at sensitivity 0",
             stepDown(Experiment_StepDown::Platform_Round, leftSide, 0),
             {{420, 240}},
             {{416, 240}}},
            {"small platform right",
             stepDown(Experiment_StepDown::Platform_SmallRect, rightSide, 100),
             {{514, 240}, {563, 240}, {540, 185}, {540, 293}},
             {{515, 186}, {562, 292}}},
            {"big platform left",
             stepDown(Experiment_StepDown::Platform_BigRect, leftSide, 50),
             {{146, 240}, {100, 159}, {100, 319}},
             {{76, 160}, {145, 318}}},
        };
        Experiment_ConflictTest conflictTest(folder->path());
        Experiment_StepDown stepDownTest(folder->path());
        for (const Case& test : cases) {
            BasePassiveAvoidance& experiment = QByteArray(test.name).startsWith("conflict")
                                                   ? static_cast<BasePassiveAvoidance&>(conflictTest)
                                                   : static_cast<BasePassiveAvoidance&>(stepDownTest);
            frame(experiment, QPoint(1, 1));
            // The settings change after the frame size: each change repaints at once.
            test.configure(experiment);
            QStringList misjudged;
            for (QPoint point : test.danger + test.safe)
                if (frame(experiment, point, false) != test.danger.contains(point))
                    misjudged << QStringLiteral("%1,%2").arg(point.x()).arg(point.y());
            QVERIFY2(misjudged.isEmpty(), qPrintable(test.name + QStringLiteral(": ") + misjudged.join(' ')));
        }
        // A new frame size repaints too: at 320 x 240 the arena ends at x = 281.
        QVERIFY(frame(conflictTest, QPoint(281, 120), false, QRect(), QSize(320, 240)));
        QVERIFY(!frame(conflictTest, QPoint(282, 120), false, QRect(), QSize(320, 240)));

        // The overlay draws the nominal strip of 50 %: its edge at x = 320, not at the punished 345.
        frame(conflictTest, QPoint(1, 1));
        conflictTest.setBackground(QImage(8, 8, QImage::Format_RGB32));
        const QImage overlay = conflictTest.drawOverlay(frameSize);
        const auto redInColumns = [&overlay](int from, int to) {
            for (int x = from; x <= to; ++x)
                for (int y = 300; y < 700; ++y)
                    if (overlay.pixelColor(x, y).red() > 150 && overlay.pixelColor(x, y).green() < 100)
                        return true;
            return false;
        };
        QVERIFY(redInColumns(636, 644));
        QVERIFY(!redInColumns(680, 700));
    }

    void passiveAvoidanceStartsSafeAndPunishesAfterItsGraceTime()
    {
        Experiment_ConflictTest experiment(folder->path());
        prepare(experiment);
        experiment.setSoundToneForElectro(440);
        QSignalSpy lines(&experiment, &BaseExperiment::cyclesTextChanged);
        const QPoint dispenser(100, 240);
        const QPoint safe(400, 240);
        experiment.start(true);
        frame(experiment, dispenser);
        QVERIFY(!experiment.isRunning());
        frame(experiment, safe);
        QVERIFY(experiment.isRunning());
        const QString run = experiment.runFolder();
        QCOMPARE(device->takeTexts(), QStringList());

        clock->advance(1000);
        frame(experiment, safe);
        QCOMPARE(device->takeTexts(), (QStringList{"sound Both 0 -1", "grid 0.0 -1"}));
        clock->advance(30);
        frame(experiment, dispenser);
        clock->advance(300);
        frame(experiment, dispenser);
        QCOMPARE(device->takeTexts(), QStringList());
        QVERIFY(texts(lines).constLast().contains(QStringLiteral("#FC0")));
        clock->advance(1);
        frame(experiment, dispenser);
        QCOMPARE(device->takeTexts(), (QStringList{"sound Both 440 1000", "grid 2.0 1000"}));
        QVERIFY(texts(lines).constLast().contains(QStringLiteral("Электростимуляция (2.0 mA)")));
        clock->advance(500);
        frame(experiment, dispenser);
        clock->advance(30);
        frame(experiment, safe);
        QCOMPARE(device->takeTexts(),
                 (QStringList{"sound Both 440 1000", "grid 2.0 1000", "sound Both 0 -1", "grid 0.0 -1"}));
        clock->advance(100);
        // Stopped in the middle of a stay in the danger zone.
        frame(experiment, dispenser);
        experiment.stop();
        QCOMPARE(device->texts().constLast(), QStringLiteral("off"));

        std::unique_ptr<Experiment_Stats> stored(experiment.createStats(run + QStringLiteral("Stats.xml")));
        auto* record = static_cast<Experiment_LightBox_Stats*>(stored.get());
        // The grace time counts as safe: the latent time ends when it has passed.
        QCOMPARE(record->getLatentTimeMs(), 1331);
        QCOMPARE(record->getDangerZoneTimeMs(), 530);
        QCOMPARE(record->getSafeZoneTimeMs(), 1331 + 100);
        QCOMPARE(record->getCycles(), 1);
        QCOMPARE(record->getSoundTone(), 440);
        QCOMPARE(record->getCircuit(), 2.0);
        QCOMPARE(record->getMaxDurationSeconds(), 300);
        QFile file(run + QStringLiteral("Stats.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("<Experiment_LightBox_Stats"));

        // A new run grants the grace time again, whatever the last one left; with no grace
        // time the frame after the entry is punished.
        clock->advance(1000);
        experiment.start(true);
        frame(experiment, safe);
        frame(experiment, dispenser);
        clock->advance(30);
        frame(experiment, dispenser);
        QVERIFY(!anyContains(device->takeTexts(), QStringLiteral("grid 2.0")));
        experiment.stop();
        experiment.setSafeIntervalMs(0);
        experiment.start(true);
        frame(experiment, safe);
        frame(experiment, dispenser);
        QVERIFY(!anyContains(device->takeTexts(), QStringLiteral("grid 2.0")));
        clock->advance(1);
        frame(experiment, dispenser);
        QVERIFY(anyContains(device->takeTexts(), QStringLiteral("grid 2.0 1000")));
        experiment.stop();
        QVERIFY(!anyContains(device->texts(), QStringLiteral("light")));
    }

    // Without manual control, or while the panel holds the device, a run sends nothing; the
    // stop's switching off still goes out.
    void paradigmsDriveTheDeviceOnlyWhenAllowed()
    {
        struct Paradigm
        {
            std::function<BaseExperiment*()> create;
            QPoint safe;
            QPoint danger;
        };
        const QList<Paradigm> paradigms{
            {[this] { return new Experiment_ConflictTest(folder->path()); }, {400, 240}, {100, 240}},
            {[this] { return new Experiment_Lightbox(folder->path()); }, {100, 240}, {500, 240}},
            {[this] { return new Experiment_PlacePreference(folder->path()); }, {100, 240}, {500, 240}},
        };
        for (const Paradigm& paradigm : paradigms) {
            for (int gate = 0; gate < 3; ++gate) {
                std::unique_ptr<BaseExperiment> experiment(paradigm.create());
                prepare(*experiment);
                experiment->setManualControl(gate != 1);
                experiment->deviceControlEnabled = gate != 2;
                device->takeTexts();
                experiment->start(true);
                frame(*experiment, paradigm.safe);
                for (int i = 0; i < 40; ++i) {
                    clock->advance(frameMs);
                    frame(*experiment, paradigm.danger);
                }
                QVERIFY2(experiment->isRunning(), experiment->metaObject()->className());
                experiment->stop();
                const QStringList sent = device->takeTexts();
                const bool expected = gate == 0 ? sent.size() > 1 && sent.constLast() == QStringLiteral("off")
                                                : sent == QStringList{QStringLiteral("off")};
                QVERIFY2(expected, qPrintable(QStringLiteral("%1, gate %2: %3")
                                                  .arg(experiment->metaObject()->className())
                                                  .arg(gate)
                                                  .arg(sent.join(QLatin1Char('|')))));
            }
        }
    }

    // While manual control holds the device, a run in the middle of its punishment sends nothing
    // and counts none of the held time as stimulated; its log tells when the device was taken
    // and given back, and the punishment goes on after it.
    void manualControlHoldsTheStimulusTime()
    {
        Experiment_ConflictTest experiment(folder->path());
        prepare(experiment);
        experiment.setSafeIntervalMs(0);
        const QPoint dispenser(100, 240);
        experiment.start(true);
        frame(experiment, QPoint(400, 240));
        const QString run = experiment.runFolder();
        clock->advance(1000);
        frame(experiment, dispenser);
        clock->advance(1);
        frame(experiment, dispenser);
        clock->advance(499);
        frame(experiment, dispenser);
        QVERIFY(anyContains(device->takeTexts(), QStringLiteral("grid 2.0")));

        experiment.setHeldByManualControl(true);
        // What the run switched on goes off as the device is taken, and then nothing is sent.
        QCOMPARE(device->takeTexts(), QStringList({"light 0,0 -1", "sound Both 0 -1", "grid 0.0 -1"}));
        pace(experiment, dispenser, 100);
        QCOMPARE(device->takeTexts(), QStringList());
        experiment.setHeldByManualControl(false);
        clock->advance(200);
        frame(experiment, dispenser);
        QVERIFY(anyContains(device->takeTexts(), QStringLiteral("grid 2.0")));
        experiment.stop();

        std::unique_ptr<Experiment_Stats> stored(experiment.createStats(run + QStringLiteral("Stats.xml")));
        auto* record = static_cast<Experiment_LightBox_Stats*>(stored.get());
        QCOMPARE(record->getDangerZoneTimeMs(), 499 + 200);
        QCOMPARE(record->getDurationMs(), 1700 + 100 * frameMs);
        QVERIFY2(record->getLog().contains(QStringLiteral("1500|ManualControl_Taken\r\n4500|ManualControl_Returned")),
                 qPrintable(record->getLog()));
    }

    void lightBoxSmoothsTheZoneAndCountsCycles()
    {
        Experiment_Lightbox experiment(folder->path());
        prepare(experiment);
        // The centre decides (346 is the last lit position on the left), or the blob with AllIn.
        QVERIFY(!frame(experiment, QPoint(346, 240)));
        QVERIFY(frame(experiment, QPoint(347, 240)));
        experiment.setLightBoxSide(rightSide);
        QVERIFY(frame(experiment, QPoint(293, 240)));
        QVERIFY(!frame(experiment, QPoint(294, 240)));
        // Sides are stored by name, and a panel's copy reads them back.
        QFile settings(experiment.getFilepath());
        QVERIFY(settings.open(QIODevice::ReadOnly) && settings.readAll().contains("<LightBoxSide>RightSide<"));
        std::unique_ptr<BaseExperiment> copy(experiment.createInstance());
        QCOMPARE(static_cast<Experiment_Lightbox*>(copy.get())->getLightBoxSide(), rightSide);
        experiment.setLightBoxSide(leftSide);
        experiment.setDoorlessElectrocutionBehavior(Experiment_Lightbox::AllIn);
        QVERIFY(frame(experiment, QPoint(380, 240), true, QRect(360, 220, 40, 40)));
        QVERIFY(!frame(experiment, QPoint(380, 240), true, QRect(340, 220, 80, 40)));
        experiment.setDoorlessElectrocutionBehavior(Experiment_Lightbox::Peep);

        QSignalSpy lines(&experiment, &BaseExperiment::cyclesTextChanged);
        experiment.setMaxCycles(2);
        experiment.start(true);
        pace(experiment, QPoint(100, 240), 1);
        const QString run = experiment.runFolder();
        device->takeTexts();
        // SafeDelay 500 ms: 16 frames of 30 ms, and the state turns at half of them.
        pace(experiment, QPoint(500, 240), 7);
        QVERIFY(!anyContains(device->takeTexts(), QStringLiteral("grid 2.0")));
        pace(experiment, QPoint(500, 240), 1);
        QVERIFY(anyContains(device->takeTexts(), QStringLiteral("grid 2.0 1000")));
        QVERIFY(texts(lines).constLast().contains(QStringLiteral("Цикл 1/2")));
        pace(experiment, QPoint(500, 240), 20);
        pace(experiment, QPoint(100, 240), 15);
        QVERIFY(anyContains(device->takeTexts(), QStringLiteral("grid 2.0 1000")));
        pace(experiment, QPoint(100, 240), 1);
        QCOMPARE(device->takeTexts(), (QStringList{"sound Both 0 -1", "grid 0.0 -1", "light 100,0 1000"}));
        // The second cycle ends the run on the frame the state turns safe again.
        pace(experiment, QPoint(500, 240), 28);
        pace(experiment, QPoint(100, 240), 15);
        QVERIFY(experiment.isRunning());
        pace(experiment, QPoint(100, 240), 1);
        QVERIFY(!experiment.isRunning());
        QCOMPARE(device->texts().constLast(), QStringLiteral("off"));

        std::unique_ptr<Experiment_Stats> stored(experiment.createStats(run + QStringLiteral("Stats.xml")));
        auto* record = static_cast<Experiment_LightBox_Stats*>(stored.get());
        QCOMPARE(record->getCycles(), 2);
        QCOMPARE(record->getMaxCycles(), 2);
        // Each danger stay lasts from the 8th danger frame to the 16th safe one.
        QCOMPARE(record->getDangerZoneTimes(), QStringLiteral("1080;\r\n1080;\r\n"));
        QCOMPARE(record->getLatentTimeMs(), 8 * frameMs);
        QCOMPARE(record->getDurationMs(), (8 + 20 + 16 + 28 + 16) * frameMs);
    }

    void lightBoxDoorClosesForTheShockAndOpensForTheSafePhase()
    {
        Experiment_Lightbox experiment(folder->path());
        prepare(experiment);
        experiment.setUseDoor(true);
        experiment.setLightBrightness(0);
        experiment.setSafeDelay(100);
        experiment.setElectrocutionWithDoorDuration(2);
        experiment.setSafeTimeWithDoorDuration(1);
        experiment.setMaxCycles(2);
        QSignalSpy lines(&experiment, &BaseExperiment::cyclesTextChanged);
        const QRect dark(400, 220, 40, 40);
        experiment.start(true);
        pace(experiment, QPoint(100, 240), 1);
        const QString run = experiment.runFolder();
        QCOMPARE(device->takeTexts(), QStringList());
        pace(experiment, dark.center(), 1, dark);
        QCOMPARE(device->takeTexts(), (QStringList{"sound Both 0 1000", "grid 2.0 1000", "door closed"}));
        // The door stays closed for the shock phase even when the animal goes back.
        pace(experiment, QPoint(100, 240), 30);
        QVERIFY(texts(lines).constLast().contains(QStringLiteral("До окончания 1.1 s")));
        QVERIFY(!anyContains(device->takeTexts(), QStringLiteral("door open")));
        pace(experiment, dark.center(), 36, dark);
        QVERIFY(!anyContains(device->takeTexts(), QStringLiteral("door open")));
        // The shock phase ends on the frame that reaches 2 s; the safe phase opens the door.
        pace(experiment, dark.center(), 1, dark);
        QCOMPARE(device->takeTexts(), QStringList());
        pace(experiment, dark.center(), 1, dark);
        QCOMPARE(device->takeTexts(), (QStringList{"sound Both 0 -1", "grid 0.0 -1", "door open"}));
        QVERIFY(texts(lines).constLast().contains(QStringLiteral("Безопасное время 1.0 s")));
        // The animal stays in the dark: when the safe phase runs out, the next frame begins the
        // next cycle and closes the door again.
        pace(experiment, dark.center(), 32, dark);
        device->takeTexts();
        pace(experiment, dark.center(), 1, dark);
        QCOMPARE(device->takeTexts(), QStringList());
        pace(experiment, dark.center(), 1, dark);
        QCOMPARE(device->takeTexts(), (QStringList{"sound Both 0 1000", "grid 2.0 1000", "door closed"}));
        // The second shock phase is the last one.
        pace(experiment, dark.center(), 67, dark);
        QVERIFY(!experiment.isRunning());
        QCOMPARE(device->texts().constLast(), QStringLiteral("off"));
        std::unique_ptr<Experiment_Stats> stored(experiment.createStats(run + QStringLiteral("Stats.xml")));
        QCOMPARE(static_cast<Experiment_LightBox_Stats*>(stored.get())->getCycles(), 2);
    }

    void placePreferenceTotalsTheTimeOnEachSide()
    {
        Experiment_PlacePreference experiment(folder->path());
        prepare(experiment);
        experiment.setLightBrightnessLeft(30);
        experiment.setLightBrightnessRight(70);
        experiment.start(true);
        frame(experiment, QPoint(347, 240), false);
        experiment.stop();
        QVERIFY(runFolders(experiment).isEmpty());
        QCOMPARE(device->takeTexts(), (QStringList{"light 30,70 1000", "off"}));

        experiment.start(true);
        const QPoint left(346, 240);
        const QPoint right(347, 240);
        // Left 0, 40, 80; right 120, 160; left 200, 240; unseen from 280 to 440; right 480.
        QByteArray afterStart;
        for (int ms = 0; ms <= 480; ms += 40) {
            const bool seen = ms < 280 || ms == 480;
            frame(experiment, (ms < 120 || ms == 200 || ms == 240) ? left : right, seen);
            if (ms == 0)
                afterStart = statsBytes(experiment);
            clock->advance(40);
        }
        // Kept in memory while the run goes on: the file is as the start left it.
        QVERIFY(!afterStart.isEmpty());
        QCOMPARE(statsBytes(experiment), afterStart);
        const QString run = experiment.runFolder();
        experiment.stop();

        Experiment_PlacePreference_Stats stored(run + QStringLiteral("Stats.xml"), false);
        QVERIFY(stored.reload());
        QCOMPARE(stored.getLeftSideTimes(), QStringLiteral("0;\r\n40;\r\n80;\r\n40;\r\n80;\r\n"));
        QCOMPARE(stored.getRightSideTimes(), QStringLiteral("40;\r\n80;\r\n240;\r\n"));
        // Only the time between two frames with the animal on one side counts for that side:
        // 0-80 and 200-240 left, 120-160 right; the changes of side and the time unseen count
        // for neither.
        QCOMPARE(stored.getLeftSideTimeMs(), 120);
        QCOMPARE(stored.getRightSideTimeMs(), 40);
        QCOMPARE(stored.getDurationMs(), 520);
        QCOMPARE(stored.getMaxDurationSeconds(), 300);
        QVERIFY(QFile::exists(run + QStringLiteral("Track.tdata")));
        const QStringList sent = device->texts();
        QCOMPARE(sent.count(QStringLiteral("light 30,70 1000")), sent.size() - 2);
    }

    // The files of a place-preference run as a crash would leave them, before its first save
    // while running and two seconds after it: the run lasted as long as its track says, and its
    // side times are those of the same stretch, from the track, while the saved ones stay as they
    // were. Zone records miss the stay under way and their rejection. Reading them changes no file.
    void aCutOffRunKnowsOnlyWhatItsFilesHold()
    {
        Experiment_PlacePreference experiment(folder->path());
        prepare(experiment);
        experiment.start(true);
        const auto run = [&](int ms, QPoint where) {
            for (int t = 0; t < ms; t += 50) {
                clock->advance(50);
                frame(experiment, where);
                experiment.saveTrack(true, QImage(), where, QRect(where - QPoint(20, 20), QSize(40, 40)), 1600);
                if ((t + 50) % 250 == 0)
                    QMetaObject::invokeMethod(&experiment, "onTick");
            }
        };
        const auto cutOff = [&](const QString& name) {
            const QString copy = folder->filePath(name) + QLatin1Char('/');
            QDir().mkpath(copy);
            for (const char* file : {"Stats.xml", "Track.tdata"})
                QFile::copy(experiment.runFolder() + QLatin1String(file), copy + QLatin1String(file));
            return copy + QStringLiteral("Stats.xml");
        };
        const QPoint left(100, 240);
        frame(experiment, left);
        experiment.saveTrack(true, QImage(), left, QRect(80, 220, 40, 40), 1600);
        run(6000, left);
        const QString early = cutOff(QStringLiteral("early"));
        run(6000, left);
        // The save at ten seconds is made in a thread of its own.
        QTRY_VERIFY(statsBytes(experiment).contains("<DurationMs>10000</DurationMs>"));
        const QString late = cutOff(QStringLiteral("late"));
        const QString finished = experiment.runFolder() + QStringLiteral("Stats.xml");
        experiment.stop();
        const QByteArray lateBytes = readFileBytes(late);

        Experiment_PlacePreference_Stats beforeSave(early, true);
        QVERIFY(beforeSave.reload() && beforeSave.isUnfinished());
        QCOMPARE(beforeSave.resultValue(QStringLiteral("DurationMs")), QVariant(6000));
        QCOMPARE(beforeSave.resultValue(QStringLiteral("LeftSideTimeMs")).toLongLong(), 6000);
        QCOMPARE(beforeSave.resultValue(QStringLiteral("RightSideTimeMs")).toLongLong(), 0);
        Experiment_PlacePreference_Stats afterSave(late, true);
        QVERIFY(afterSave.reload() && afterSave.isUnfinished());
        QCOMPARE(afterSave.getDurationMs(), 10000);
        QCOMPARE(afterSave.resultValue(QStringLiteral("DurationMs")), QVariant(12000));
        QCOMPARE(afterSave.resultValue(QStringLiteral("LeftSideTimeMs")).toLongLong(), 12000);
        QCOMPARE(afterSave.resultValue(QStringLiteral("RightSideTimeMs")).toLongLong(), 0);
        QCOMPARE(afterSave.getLeftSideTimeMs(), 10000);
        QCOMPARE(readFileBytes(late), lateBytes);
        QCOMPARE(QDir(QFileInfo(late).path()).entryList(QDir::Files), (QStringList{"Stats.xml", "Track.tdata"}));
        Experiment_PlacePreference_Stats stopped(finished, true);
        QVERIFY(stopped.reload() && !stopped.isUnfinished());
        QCOMPARE(stopped.resultValue(QStringLiteral("DurationMs")), QVariant(stopped.getDurationMs()));

        Experiment_LightBox_Stats zones(folder->filePath(QStringLiteral("zones.xml")), false, nullptr, clock.get());
        zones.setFinished(false);
        zones.setSafeZoneTimeMs(400);
        zones.setDangerZoneTimeMs(300);
        QCOMPARE(zones.resultValue(QStringLiteral("LatentTimeMs")), QVariant());
        zones.setSafeZoneTimes(QStringLiteral("400;\r\n"));
        zones.setLatentTimeMs(400);
        QCOMPARE(zones.resultValue(QStringLiteral("LatentTimeMs")), QVariant(400));
        for (const char* name : {"SafeZoneTimeMs", "DangerZoneTimeMs", "Rejected"})
            QCOMPARE(zones.resultValue(QLatin1String(name)), QVariant());
    }

    // The user-interface thread repaints the zones (settings) and draws the overlay while the
    // detector thread steps the run on them.
    void zoneGeometryIsSharedBetweenThreads()
    {
        Experiment_ConflictTest experiment(folder->path());
        prepare(experiment);
        experiment.setAutoSave(false);
        frame(experiment, QPoint(1, 1));
        experiment.start(true);
        std::atomic<bool> running = true;
        QThread* detector = QThread::create([&] {
            for (int i = 0; running; ++i)
                frame(experiment, QPoint(i % 2 ? 100 : 500, 240));
        });
        detector->start();
        for (int i = 0; i < 50; ++i) {
            experiment.setDispenserArea(15 + i % 36);
            experiment.setDispenserSide(i % 2 ? leftSide : rightSide);
            QVERIFY(!experiment.drawOverlay(frameSize).isNull());
        }
        running = false;
        QVERIFY(detector->wait(10000));
        delete detector;
        experiment.setDispenserArea(35);
        experiment.setDispenserSide(leftSide);
        QVERIFY(frame(experiment, QPoint(247, 240), false));
        QVERIFY(!frame(experiment, QPoint(248, 240), false));
        experiment.stop();
    }

private:
    static constexpr KestrumSideness leftSide = KestrumBaseDevice::LeftSide;
    static constexpr KestrumSideness rightSide = KestrumBaseDevice::RightSide;

    void prepare(BaseExperiment& experiment)
    {
        experiment.setClock(clock.get());
        experiment.initSettingsFile(false);
        experiment.setDevice(device.get());
        experiment.setBackground(QImage(64, 48, QImage::Format_RGB32));
    }

    // Frames at the pace SafeDelay assumes, the clock moving 30 ms before each.
    void pace(BaseExperiment& experiment, QPoint center, int count, QRect blob = QRect())
    {
        for (int i = 0; i < count; ++i) {
            clock->advance(frameMs);
            frame(experiment, center, true, blob);
        }
    }

    static QByteArray statsBytes(const BaseExperiment& experiment)
    {
        QFile file(experiment.runFolder() + QStringLiteral("Stats.xml"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<ManualClock> clock;
    std::unique_ptr<RecordingDevice> device;
};

QTEST_MAIN(ZoneParadigmsTest)
#include "tst_zoneparadigms.moc"
