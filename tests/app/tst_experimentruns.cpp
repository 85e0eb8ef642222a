#include "ChamberRunFixture.h"
#include "Experiment_Stats.h"
#include "ExperimentsTable.h"
#include "KestrumDetectorThread.h"
#include "KestrumSettings.h"
#include "PageResults.h"
#include "RunChecks.h"
#include "TestFiles.h"
#include "TextHelper.h"
#include "TrackDataFile.h"
#include "TrackFrame.h"
#include "VideoCameraView.h"
#include "VideoWidget.h"
#include "VirtualCameraDevice.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

#include <limits>
#include <memory>

// Runs on a panel from its start to its records: edited on the records page, with settings
// changed between them, and along the open-field clip the program carries.
class TestExperimentRuns : public QObject, public ChamberRunFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpTestCase(); }
    void init() { setUpTest(); }
    void cleanupTestCase() { tearDownTestCase(); }

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
};

QTEST_MAIN(TestExperimentRuns)
#include "tst_experimentruns.moc"
