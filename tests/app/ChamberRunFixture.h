#pragma once

// What the application's whole-run tests stand on: a model on the test's clock whose chambers
// are found on pseudo-terminals as the port prober hands them over, each panel taking the
// frames the test hands in, and the warnings the program shows noted instead of shown. The
// test class calls setUpTestCase(), setUpTest() and tearDownTestCase() from its own slots.

#include "ApparatusFixtures.h"
#include "BaseExperiment.h"
#include "Clock.h"
#include "DialogSeam.h"
#include "KestrumModel.h"
#include "MetaKestrumDevice.h"
#include "ScriptedBoard.h"
#include "ScriptedCameraView.h"
#include "SerialPortEnumerator.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <optional>

class ChamberRunFixture
{
public:
    static constexpr int frameMs = 40;
    static constexpr double videoFramesPerSecond = 1000.0 / frameMs;
    static inline const QByteArray serialNumberReply = "{sn=S42612537}\r\n";

    QTemporaryDir dataFolder;
    ManualClock clock;
    ScriptedCameraView* camera = nullptr;
    QList<DialogSeam::Request> warnings;

    void setUpTestCase()
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

    void setUpTest()
    {
        warnings.clear();
        KestrumModel::setPanelFactory([this](KestrumBaseDevice* device) {
            camera = new ScriptedCameraView(&clock, videoFramesPerSecond);
            return new MetaKestrumDevice(device, camera);
        });
    }

    static void tearDownTestCase() { KestrumModel::setPanelFactory(nullptr); }

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

    // A model on its own folder with place preference chosen, and the chamber's panel with its
    // background calibrated on an empty arena (null when either failed).
    struct PlacePreferenceChamber
    {
        PlacePreferenceChamber(ChamberRunFixture& test, const QString& folder, const QVariantMap& settings)
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
};

// Whether both translation files give the records page's text a translation of its own.
inline bool translatedInBothLanguages(const char* source)
{
    for (const QString& language : {QStringLiteral("en_US"), QStringLiteral("ru_RU")}) {
        QTranslator file;
        if (!file.load(QStringLiteral(":/translations/Kestrum_%1.qm").arg(language))
            || file.translate("PageResults", source).isEmpty())
            return false;
    }
    return true;
}
