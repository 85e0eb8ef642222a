#pragma once

// What the main window's tests stand on: a fresh model and main window for each test, panels
// that take the frames the test hands in on its clock, and every question the program asks
// noted and answered from a list the test fills. The test class calls setUpTestCase(),
// setUpTest(), tearDownTest() and tearDownTestCase() from its own slots.

#include "ApparatusFixtures.h"
#include "BaseExperiment.h"
#include "Clock.h"
#include "DialogSeam.h"
#include "KestrumMainWindow.h"
#include "KestrumModel.h"
#include "MetaKestrumDevice.h"
#include "Patience.h"
#include "ScriptedBoard.h"
#include "ScriptedCameraView.h"
#include "SerialPortEnumerator.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

// Whether the action ends the application's event loop.
inline bool quitsTheApplication(const std::function<void()>& action)
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    QTimer::singleShot(0, action);
    return QCoreApplication::exec() == 0;
}

class MainWindowFixture
{
public:
    static constexpr int frameMs = 40;

    QTemporaryDir dataFolder;
    ManualClock clock;
    ScriptedCameraView* camera = nullptr;
    QList<DialogSeam::Request> asked;
    QList<int> answers;
    std::unique_ptr<KestrumMainWindow> window;

    static KestrumModel* model() { return KestrumModel::instance(); }

    void setUpTestCase()
    {
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        QVERIFY(dataFolder.isValid());
        SerialPortEnumerator::setSystemPortsIncluded(false);
        DialogSeam::setHandler([this](const DialogSeam::Request& request) {
            asked << request;
            return DialogSeam::Answer{answers.isEmpty() ? 0 : answers.takeFirst(), false, {}};
        });
        useScriptedPanels();
    }

    void useScriptedPanels()
    {
        KestrumModel::setPanelFactory([this](KestrumBaseDevice* device) {
            camera = new ScriptedCameraView(&clock, 1000.0 / frameMs);
            return new MetaKestrumDevice(device, camera);
        });
    }

    void setUpTest()
    {
        auto* fresh = new KestrumModel(
            dataFolder.filePath(QString::fromLatin1(QTest::currentTestFunction()) + QTest::currentDataTag()));
        fresh->init();
        window = std::make_unique<KestrumMainWindow>();
        asked.clear();
        answers.clear();
    }

    void tearDownTest()
    {
        window.reset();
        delete model();
        useScriptedPanels();
    }

    static void tearDownTestCase() { KestrumModel::setPanelFactory(nullptr); }

    // A light/dark box run on a brace-framed chamber on the board, a second of frames into it.
    BaseExperiment* startLightBoxRun(ScriptedBoard& board)
    {
        board.replyToFrame("sn", "{sn=S42612537}\r\n");
        board.replyToFrame("version", "{version=4.2}\r\n");
        QSignalSpy added(model(), &KestrumModel::kestrumAdded);
        if (!board.takePort(QStringLiteral("KestrumV4")))
            return nullptr;
        model()->onPortFound(QStringLiteral("KestrumV4"), board.portName());
        if (!added.wait(generous))
            return nullptr;
        for (BaseExperiment* experiment : model()->experiments())
            experiment->setClock(&clock);
        model()->selectExperimentType(QStringLiteral("LightBox"));
        auto* panel = static_cast<MetaKestrumDevice*>(model()->metaDevices().constLast());
        BaseExperiment* run = panel->experiment();
        camera->deliver(arenaFrame(std::nullopt));
        panel->calibrateBackground();
        bool calibrated = false, triggered = false, started = false;
        if (!QTest::qWaitFor([&] { return run->initTriggeredStarted(calibrated, triggered, started), calibrated; },
                             generous))
            return nullptr;
        panel->startExperiment(true);
        for (int frame = 0; frame < 30; ++frame) {
            clock.advance(frameMs);
            if (!camera->deliverAnalysed(arenaFrame(100 + frame * 10)))
                return nullptr;
        }
        return run->isRunning() && !run->runFolder().isEmpty() ? run : nullptr;
    }
};
