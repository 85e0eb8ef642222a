#include "ApparatusFixtures.h"
#include "BaseScenarioExperiment.h"
#include "DialogSeam.h"
#include "ExperimentScenario.h"
#include "FinishGate.h"
#include "KestrumDetectorThread.h"
#include "KestrumModel.h"
#include "ManualControlDialog.h"
#include "MetaKestrumDevice.h"
#include "MetaKestrumInfo.h"
#include "Patience.h"
#include "ScriptedBoard.h"
#include "ScriptedCameraView.h"
#include "SerialPortEnumerator.h"
#include "TestFiles.h"
#include "VideoCameraView.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <opencv2/videoio.hpp>

#include <memory>

namespace {

QString shown(const MetaKestrumDevice& panel)
{
    QStringList state;
    for (const char* name : {"backgroundButton", "startButton", "stopButton"}) {
        const auto* button = panel.findChild<QPushButton*>(name);
        state << QStringLiteral("%1%2").arg(button->isVisibleTo(&panel) ? "+" : "-", button->isEnabled() ? "" : "off");
    }
    return state.join(' ');
}

QString labelText(const MetaKestrumDevice& panel, const char* name)
{
    const auto* label = panel.findChild<QLabel*>(name);
    return label->isVisibleTo(&panel) ? label->text() : QString();
}

// The window's Name field, found by the hint it shows while empty.
QLineEdit* nameField(const QWidget* window)
{
    const QString hint = QCoreApplication::translate("Generic", "Convenient device name");
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        if (edit->placeholderText() == hint)
            return edit;
    return nullptr;
}

void answerCalibration(bool yes)
{
    DialogSeam::setHandler([yes](const DialogSeam::Request&) { return DialogSeam::Answer{yes ? 0 : -1, false, {}}; });
}

} // namespace

class TestDevicePanel : public QObject
{
    Q_OBJECT

    QTemporaryDir dataFolder;
    ManualClock clock;
    std::unique_ptr<KestrumModel> model;
    QStringList warnings;

    BaseExperiment* paradigm(const QString& typeKey)
    {
        model->selectExperimentType(typeKey);
        model->currentExperiment()->setClock(&clock);
        return model->currentExperiment();
    }

private slots:
    void initTestCase()
    {
        // GStreamer's device monitors keep allocations the leak checker cannot place.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        SerialPortEnumerator::setSystemPortsIncluded(false);
        model = std::make_unique<KestrumModel>(dataFolder.path());
        model->init();
    }

    void cleanupTestCase()
    {
        model.reset();
        DialogSeam::setHandler(nullptr);
    }

    // The buttons follow the run: calibration, start and stop, in the panel's own widgets; an
    // apparatus without a serial number gets no widgets at all.
    void aRunIsCarriedThroughItsSteps()
    {
        RecordingDevice nameless(nullptr, QString());
        QVERIFY(MetaKestrumDevice(&nameless).findChildren<QWidget*>().isEmpty());
        QCOMPARE(MetaKestrumDevice(&nameless, new ScriptedCameraView(&clock, 25.0)).cameraView(), nullptr);

        RecordingDevice device(&clock, "SN-1");
        auto* camera = new ScriptedCameraView(&clock, 25.0);
        MetaKestrumDevice panel(&device, camera);
        panel.info()->setTitle("   ");
        QCOMPARE(labelText(panel, "titleLabel"), QString("[SN-1]"));
        panel.info()->setTitle("Box <A>");
        QCOMPARE(labelText(panel, "titleLabel"), QString("<b>Box &lt;A&gt;</b> [SN-1]"));
        QVERIFY(!panel.findChild<QPushButton*>("doorLogo")->isVisibleTo(&panel));
        QCOMPARE(shown(panel), QString("+ - -"));
        panel.setExperiment(paradigm("LightBox"));
        QCOMPARE(shown(panel), QString("+ - -"));
        // The run is told the detector's frame size before the detector has shown anything.
        panel.experiment()->setRecognitionFrameSize(1, 1);
        panel.startExperiment(true);
        QCOMPARE(panel.experiment()->recognitionFrameSize(), panel.detector()->recognitionFrameSize());
        panel.startExperiment(false);
        camera->deliver(arenaFrame(std::nullopt));

        answerCalibration(false);
        panel.findChild<QPushButton*>("backgroundButton")->click();
        QTRY_COMPARE(device.texts().constLast(), QString("door open"));
        QTest::qWait(MetaKestrumDevice::referenceDelayMs * 2);
        QCOMPARE(shown(panel), QString("+ - -"));

        answerCalibration(true);
        QSignalSpy starting(&panel, &MetaKestrumDevice::startingExperiment);
        panel.findChild<QPushButton*>("backgroundButton")->click();
        QTRY_COMPARE(shown(panel), QString("+ + -"));
        QCOMPARE(starting.count(), 1);
        QCOMPARE(labelText(panel, "statusLabel"), MetaKestrumDevice::tr("Начните эксперимент"));

        panel.findChild<QLineEdit*>("rodentEdit")->setText("R-17");
        panel.findChild<QPushButton*>("startButton")->click();
        QTRY_COMPARE(shown(panel), QString("+off - +"));
        QVERIFY(panel.experiment()->isTriggered());
        panel.findChild<QPushButton*>("stopButton")->click();
        QTRY_COMPARE(shown(panel), QString("+ + -"));
        QVERIFY(!panel.experiment()->isTriggered());
        QCOMPARE(device.texts().constLast(), QString("off"));
    }

    // A name typed, Space on Start and Space again: the second Space stops the run, and the
    // name is the one typed, never replaced by the key.
    void theRodentNameSurvivesAKeyboardStartAndStop()
    {
        RecordingDevice device(&clock, "SN-K");
        auto* camera = new ScriptedCameraView(&clock, 25.0);
        MetaKestrumDevice panel(&device, camera);
        panel.setExperiment(paradigm("LightBox"));
        panel.show();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        camera->deliver(arenaFrame(std::nullopt));
        answerCalibration(true);
        panel.findChild<QPushButton*>("backgroundButton")->click();
        QTRY_COMPARE(shown(panel), QString("+ + -"));

        auto* rodent = panel.findChild<QLineEdit*>("rodentEdit");
        rodent->setFocus();
        QTest::keyClicks(rodent, "R-17");
        auto* start = panel.findChild<QPushButton*>("startButton");
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Space);
        QTRY_VERIFY(panel.experiment()->isTriggered());
        // The panel shows the run's state a moment after the run is triggered.
        QTRY_VERIFY(panel.findChild<QPushButton*>("stopButton")->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTRY_VERIFY(!panel.experiment()->isTriggered());
        QCOMPARE(rodent->text(), QString("R-17"));
    }

    // A stopped recording is finished while the interface goes on: the stop returns at once,
    // and so does taking the camera down, and events are served while the file is still being
    // finished; the video then arrives whole, in its place.
    void aStoppedRecordingIsFinishedWithoutHoldingTheInterface()
    {
        FinishGate gate;
        VideoWidget::setAllowVirtual(true);
        VideoCameraView view(VideoWidget::virtualAnimationName);
        view.widget()->setSpaceReader(gate.reader());
        view.widget()->show();
        QTRY_VERIFY_WITH_TIMEOUT(view.frameSize().isValid(), generous);
        QSignalSpy recorded(view.widget(), &VideoWidget::recordDurationChanged);
        QSignalSpy stopped(view.widget(), &VideoWidget::recordStopped);
        const QString path = dataFolder.filePath("video.mp4");
        view.startRecord(path, QMediaRecorder::NormalQuality);
        QTRY_VERIFY_WITH_TIMEOUT(recorded.count() > 5, generous);
        gate.close();
        view.stopRecord();
        bool served = false;
        QTimer::singleShot(0, &view, [&served] { served = true; });
        QTRY_VERIFY_WITH_TIMEOUT(served && gate.holds(), generous);
        view.widget()->stopCamera();
        QVERIFY(!QFileInfo::exists(path));
        gate.open();
        QTRY_COMPARE_WITH_TIMEOUT(stopped.count(), 1, generous);
        QVERIFY(!gate.timedOut());
        QCOMPARE(stopped.constFirst().at(0).toString(), path);
        cv::VideoCapture video(path.toStdString());
        QVERIFY(video.isOpened());
        QVERIFY(video.get(cv::CAP_PROP_FRAME_COUNT) > 5);
        VideoWidget::setAllowVirtual(false);
    }

    // What keeps a startle run from starting is named, a line each, and the start waits for it.
    void missingScenarioAndSensorAreNamed()
    {
        RecordingDevice device(&clock, "SN-2");
        MetaKestrumDevice panel(&device, new ScriptedCameraView(&clock, 25.0));
        auto* chosen = static_cast<BaseScenarioExperiment*>(paradigm("StartleReflex"));
        chosen->setScenario(nullptr);
        panel.setExperiment(chosen);
        QCOMPARE(labelText(panel, "hintLabel"),
                 MetaKestrumDevice::tr("Choose scenario") + "<br>" + MetaKestrumDevice::tr("Connect startle sensor"));
        ExperimentScenario scenario;
        chosen->setScenario(&scenario);
        QCOMPARE(labelText(panel, "hintLabel"), MetaKestrumDevice::tr("Choose not empty scenario") + "<br>"
                                                    + MetaKestrumDevice::tr("Connect startle sensor"));
        scenario.addStep(KestrumBaseDevice::Sound, new ScenarioStep(300, 0, 1000));
        chosen->setScenario(nullptr);
        chosen->setScenario(&scenario);
        QCOMPARE(labelText(panel, "hintLabel"), MetaKestrumDevice::tr("Connect startle sensor"));
        QVERIFY(!panel.findChild<QPushButton*>("startButton")->isEnabled());
        chosen->setScenario(nullptr);
    }

    // A startle run records the sensor that reports its apparatus's serial number: a sensor of
    // another apparatus, or one whose number has not come, leaves the start refused with a
    // warning; a sensor lost before the run's first frame ends the run there, with a warning.
    void startleRunsNeedTheirOwnSensor()
    {
        DialogSeam::setHandler([this](const DialogSeam::Request& request) {
            if (request.icon == QMessageBox::Warning)
                warnings << request.text;
            return DialogSeam::Answer{0, false, {}};
        });
        RecordingDevice device(&clock, "S7000001");
        auto* camera = new ScriptedCameraView(&clock, 25.0);
        MetaKestrumDevice panel(&device, camera);
        auto* chosen = static_cast<BaseScenarioExperiment*>(paradigm("StartleReflex"));
        ExperimentScenario scenario;
        scenario.cycleDurationMs = 1000;
        scenario.addStep(KestrumBaseDevice::Sound, new ScenarioStep(300, 0, 1000));
        chosen->setScenario(&scenario);
        panel.setExperiment(chosen);
        const QString noSensor = MetaKestrumDevice::tr("Connect startle sensor");

        ScriptedBoard stranger(QStringLiteral("Startle sensor of another apparatus"));
        stranger.replyToFrame("initT", "{sn=S7000002}\r\n");
        ScriptedBoard silent(QStringLiteral("Startle sensor without its number yet"));
        QSignalSpy sensorsChanged(model.get(), &KestrumModel::startledChanged);
        for (ScriptedBoard* board : {&stranger, &silent}) {
            QVERIFY(board->takePort(QStringLiteral("Startle"), 19200));
            model->onPortFound(QStringLiteral("Startle"), board->portName());
        }
        QTRY_VERIFY(sensorsChanged.count() >= 3);
        QVERIFY(silent.waitForReceived("initT"));
        QCOMPARE(labelText(panel, "hintLabel"), noSensor);

        camera->deliver(arenaFrame(std::nullopt));
        panel.calibrateBackground();
        QTRY_COMPARE(shown(panel), QString("+ +off -"));
        panel.startExperiment(true);
        QVERIFY(!panel.experiment()->isTriggered());
        QCOMPARE(warnings, QStringList(MetaKestrumDevice::tr("The startle run on apparatus %1 is not started: no "
                                                             "startle sensor of this apparatus is connected, so its "
                                                             "reactions would not be recorded.")
                                           .arg("S7000001")));

        ScriptedBoard own(QStringLiteral("Startle sensor of the apparatus"));
        own.replyToFrame("initT", "{sn=S7000001}\r\n");
        QVERIFY(own.takePort(QStringLiteral("Startle"), 19200));
        model->onPortFound(QStringLiteral("Startle"), own.portName());
        QTRY_COMPARE(labelText(panel, "hintLabel"), QString());
        panel.startExperiment(true);
        QVERIFY(panel.experiment()->isTriggered());
        own.closeFarEnd();
        QTRY_COMPARE(labelText(panel, "hintLabel"), noSensor);
        QVERIFY(camera->deliverAnalysed(arenaFrame(std::nullopt)));
        QTRY_VERIFY(!panel.experiment()->isTriggered());
        QTRY_COMPARE(warnings.size(), 2);
        const QString samples = QDir::toNativeSeparators(panel.experiment()->runFolder() + "Startle.csv");
        QCOMPARE(warnings.constLast(), MetaKestrumDevice::tr("The startle run on apparatus %1 is stopped: the startle "
                                                             "sensor could not record into %2.")
                                           .arg("S7000001", samples));
        chosen->setScenario(nullptr);
    }

    // While the experimenter drives the apparatus by hand the experiment may not; the current
    // set by hand ends with the window, also when the apparatus goes away meanwhile.
    void manualControlHoldsTheExperimentBack_data()
    {
        QTest::addColumn<bool>("apparatusLost");
        QTest::newRow("window closed") << false;
        QTest::newRow("apparatus lost") << true;
    }

    void manualControlHoldsTheExperimentBack()
    {
        QFETCH(bool, apparatusLost);
        RecordingDevice device(&clock, "SN-3");
        MetaKestrumDevice panel(&device, new ScriptedCameraView(&clock, 25.0));
        panel.setExperiment(paradigm("LightBox"));
        QSignalSpy renamed(&panel, &MetaKestrumDevice::kestrumRenamed);
        bool heldBack = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<ManualControlDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            heldBack = !panel.experiment()->mayDriveDevice();
            panel.info()->setTitle("Box 7");
            dialog->findChild<QPushButton*>("btnElectro_on")->click();
            QVERIFY(device.gridLive());
            if (apparatusLost)
                panel.releaseApparatus();
            else
                dialog->close();
        });
        panel.findChild<QPushButton*>("titleButton")->click();
        QVERIFY(heldBack);
        QVERIFY(!device.gridLive());
        // The window switches the grid off once; a released apparatus is then switched all off.
        QCOMPARE(device.texts().count("grid 0.0 -1"), 1);
        QCOMPARE(device.texts().constLast(), apparatusLost ? QString("off") : QString("grid 0.0 -1"));
        QCOMPARE(renamed.count(), 1);
        QCOMPARE(labelText(panel, "titleLabel"), QString("<b>Box 7</b> [SN-3]"));
        QCOMPARE(panel.experiment()->mayDriveDevice(), !apparatusLost);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The experimenter clicks the title where it is written, and a named apparatus opens its
    // window as an unnamed one does: named in an earlier session, and renamed in the window.
    void aClickOnANamedTitleOpensManualControl()
    {
        QVERIFY(QDir().mkpath(model->devicesFolder()));
        QVERIFY(
            writeFileBytes(model->devicesFolder() + "SN-9.xml",
                           "<?xml version=\"1.0\"?>\n<MetaKestrumInfo>\n    <Title>B1</Title>\n</MetaKestrumInfo>\n"));
        RecordingDevice device(&clock, "SN-9");
        MetaKestrumDevice panel(&device, new ScriptedCameraView(&clock, 25.0));
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto* title = panel.findChild<QLabel*>("titleLabel");
        QCOMPARE(title->text(), QString("<b>B1</b> [SN-9]"));

        for (const QString& rename : {QString("B2"), QString()}) {
            QObject clickScope;
            bool opened = false;
            QTimer::singleShot(0, &clickScope, [&] {
                auto* dialog = qobject_cast<ManualControlDialog*>(QApplication::activeModalWidget());
                opened = dialog != nullptr;
                if (!dialog)
                    return;
                QLineEdit* name = nameField(dialog);
                QVERIFY(name);
                name->selectAll();
                QTest::keyClick(name, Qt::Key_Delete);
                QTest::keyClicks(name, rename);
                QTest::keyClick(name, Qt::Key_Enter);
                dialog->close();
            });
            // Through the window, which hands the click to the widget under the pointer.
            QTest::mouseClick(panel.windowHandle(), Qt::LeftButton, {}, title->mapTo(&panel, title->rect().center()));
            QTest::qWait(0);
            QVERIFY(opened);
            QCOMPARE(panel.info()->getTitle(), rename);
        }
        QCOMPARE(title->text(), QString("[SN-9]"));
    }

    // Another paradigm chosen while a run goes, as the model changes it: the new copy's panel
    // shows neither the old run's cycles nor the detection the detector sent just before.
    void anotherParadigmMidRunShowsNothingOfTheOldRun()
    {
        RecordingDevice device(&clock, "SN-6");
        auto* camera = new ScriptedCameraView(&clock, 25.0);
        MetaKestrumDevice panel(&device, camera);
        BaseExperiment* lightBox = paradigm("LightBox");
        lightBox->setValue("MaxCycles", 5);
        panel.setExperiment(lightBox);
        camera->deliver(arenaFrame(std::nullopt));
        answerCalibration(true);
        panel.calibrateBackground();
        QTRY_COMPARE(shown(panel), QString("+ + -"));
        panel.startExperiment(true);
        QVERIFY(camera->deliverAnalysed(arenaFrame(300)));
        QTRY_VERIFY(labelText(panel, "cyclesLabel").contains("/5"));

        // The detector has sent its overlay of this frame; the panel has not drawn it yet.
        QSemaphore sent;
        QObject scope;
        connect(
            panel.detector(), &KestrumDetectorThread::overlayGenerated, &scope, [&sent] { sent.release(); },
            Qt::DirectConnection);
        bool analysed = false;
        for (int attempt = 0; attempt < 3 && !analysed; ++attempt) {
            camera->deliver(arenaFrame(320));
            analysed = sent.tryAcquire(1, 3000);
        }
        QVERIFY(analysed);
        panel.startExperiment(false);
        panel.setExperiment(paradigm("PlacePreference"));
        QTest::qWait(0);
        QCOMPARE(labelText(panel, "cyclesLabel").trimmed(), QString());
        QVERIFY(camera->overlay.isNull());
        lightBox->setValue("MaxCycles", 1);
    }

    // A start refused as its folder cannot be made, then another paradigm: the panel asks for
    // the new copy's background, as it shows, and calls no run finished; the detection shows
    // nothing until that background is taken.
    void anotherParadigmAfterARefusedStartAsksForItsBackground()
    {
        RecordingDevice device(&clock, "SN-4");
        auto* camera = new ScriptedCameraView(&clock, 25.0);
        MetaKestrumDevice panel(&device, camera);
        const auto calibrated = [&panel] {
            answerCalibration(true);
            panel.calibrateBackground();
            bool init = false;
            bool triggered = false;
            bool started = false;
            return QTest::qWaitFor([&] {
                panel.experiment()->initTriggeredStarted(init, triggered, started);
                return init;
            });
        };
        BaseExperiment* chosen = paradigm("PlacePreference");
        panel.setExperiment(chosen);
        camera->deliver(arenaFrame(std::nullopt));
        QVERIFY(calibrated());
        const QString folder = QDir::cleanPath(chosen->folder());
        QVERIFY(QDir(folder).removeRecursively() && writeFileBytes(folder, "not a folder"));
        panel.startExperiment(true);
        QVERIFY(camera->deliverAnalysed(arenaFrame(300)));
        QTRY_VERIFY(!panel.experiment()->isTriggered());
        QTRY_COMPARE(labelText(panel, "statusLabel"), MetaKestrumDevice::tr("Начните эксперимент"));
        QVERIFY(QFile::remove(folder));

        // As the model changes the paradigm.
        panel.startExperiment(false);
        panel.setExperiment(paradigm("LightBox"));
        QCoreApplication::processEvents();
        QCOMPARE(labelText(panel, "statusLabel"), MetaKestrumDevice::tr("Проинициализируйте фон"));
        int analysed = 0;
        connect(
            panel.detector(), &ZCV::ImageThread::onProcessImage, &panel, [&analysed] { ++analysed; },
            Qt::QueuedConnection);
        const int drawn = camera->overlays;
        QVERIFY(ScriptedCameraView::untilAnalysed([&] { camera->deliver(arenaFrame(300)); }, analysed));
        QCOMPARE(camera->overlays, drawn);
        camera->deliver(arenaFrame(std::nullopt));
        QVERIFY(calibrated());
        QVERIFY(camera->deliverAnalysed(arenaFrame(300)));
    }
};

QTEST_MAIN(TestDevicePanel)
#include "tst_devicepanel.moc"
