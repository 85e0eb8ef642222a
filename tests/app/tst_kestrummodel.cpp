#include "ApparatusFixtures.h"
#include "ApparatusThread.h"
#include "Clock.h"
#include "DialogSeam.h"
#include "Experiment_ActiveAvoidance.h"
#include "GlobalConsole.h"
#include "KestrumDetectorThread.h"
#include "KestrumDevice.h"
#include "KestrumFolderSettings.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "LanguageContext.h"
#include "MetaKestrumDevice.h"
#include "RecognitionSettings.h"
#include "RecordingDevice.h"
#include "ScriptedBoard.h"
#include "ScriptedCameraView.h"
#include "SerialPortEnumerator.h"
#include "StartleSensor.h"
#include "StimulationSettings.h"
#include "TestFiles.h"
#include "TranslationCoverage.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

// The language the interface starts in when no settings name one.
QString languageOfTheSystem()
{
    return QLocale::system().name().startsWith(QStringLiteral("ru")) ? QStringLiteral("ru_RU")
                                                                     : QStringLiteral("en_US");
}

QByteArray settingsNaming(const QByteArray& language)
{
    const QByteArray named = language.isEmpty() ? QByteArray() : "<Language>" + language + "</Language>";
    return "<?xml version=\"1.0\"?>\n<KestrumSettings>" + named
           + "<DetectorSensitivity>30</DetectorSensitivity></KestrumSettings>\n";
}

QStringList firstArguments(const QSignalSpy& spy)
{
    QStringList arguments;
    for (const QList<QVariant>& emitted : spy)
        arguments << emitted.at(0).toString();
    return arguments;
}

} // namespace

class TestKestrumModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder;

private slots:
    void initTestCase()
    {
        // The panels' camera views start a multimedia back end; GStreamer's device monitors keep
        // allocations the leak checker cannot place.
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
        SerialPortEnumerator::setSystemPortsIncluded(false);
        DialogSeam::setHandler([](const DialogSeam::Request&) { return DialogSeam::Answer{0, false, {}}; });
    }

    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        KestrumModel::setPanelFactory(nullptr);
    }

    void cleanup() { KestrumModel::setFolderSettingsPath(QString()); }

    // A first start on an empty folder, the choice of paradigm kept for the next start, the
    // detection parameters the detectors get, and a new data folder remembered for a restart.
    void startsWithItsSettingsAndParadigms()
    {
        const QString base = folder->path() + QLatin1Char('/');
        {
            KestrumModel model(folder->path());
            QCOMPARE(KestrumModel::instance(), &model);
            model.init();
            QCOMPARE(model.baseFolder(), base);
            QCOMPARE(model.devicesFolder(), base + "Devices/");
            QCOMPARE(model.stimulationSettings()->getFilepath(), base + "ManualStimulation.xml");
            QCOMPARE(model.recognitionSettings()->getFilepath(), base + "RecognitionSettings.xml");
            QCOMPARE(model.settings()->getBaseFolder(), base);
            QCOMPARE(model.experimentTypeKeys(), QStringList({"LightBox", "StepDown", "ActiveAvoidance",
                                                              "PlacePreference", "ConflictTest", "StartleReflex"}));
            QCOMPARE(model.experimentIconPaths().size(), 6);
            QCOMPARE(model.currentExperiment()->typeKey(), QStringLiteral("LightBox"));
            QCOMPARE(model.currentExperiment()->getFilepath(), base + "LightBox/Settings.xml");

            model.settings()->setDetectorSensitivity(37);
            QCOMPARE(int(KestrumDetectorThread::detectionThreshold), 32);
            model.settings()->setDiffMode(KestrumDetectorThread::DiffMode_IfDarker);
            QCOMPARE(int(KestrumDetectorThread::detectionDiffMode), int(KestrumDetectorThread::DiffMode_IfDarker));
            model.settings()->setMaxBrightness(255);
            QCOMPARE(int(KestrumDetectorThread::detectionMaxBrightness), 255);

            QSignalSpy types(&model, &KestrumModel::changedCurrentScriptType);
            QSignalSpy current(&model, &KestrumModel::currentScriptChanged);
            model.selectExperimentType(QStringLiteral("ActiveAvoidance"));
            QCOMPARE(model.currentExperiment()->typeKey(), QStringLiteral("ActiveAvoidance"));
            QCOMPARE(model.currentScriptType(), QStringLiteral("ActiveAvoidance"));
            QCOMPARE(current.count(), 1);
            QCOMPARE(firstArguments(types), QStringList{"ActiveAvoidance"});

            // The folder pointer file takes the new folder; the restart is declined here.
            const QString pointerPath = folder->filePath(QStringLiteral("KestrumFolder.xml"));
            KestrumModel::setFolderSettingsPath(pointerPath);
            QStringList asked;
            DialogSeam::setHandler([&](const DialogSeam::Request& request) {
                asked << request.title;
                return DialogSeam::Answer{1, false, {}};
            });
            model.settings()->setBaseFolder(folder->filePath(QStringLiteral("elsewhere")));
            DialogSeam::setHandler([](const DialogSeam::Request&) { return DialogSeam::Answer{0, false, {}}; });
            QCOMPARE(asked, QStringList{QCoreApplication::translate("Generic", "New base folder")});
            KestrumFolderSettings pointer(pointerPath);
            QVERIFY(pointer.reload());
            QCOMPARE(pointer.getBaseFolder(), folder->filePath(QStringLiteral("elsewhere")));
        }
        QCOMPARE(KestrumModel::instance(), nullptr);
        KestrumModel again(folder->path());
        again.init();
        QCOMPARE(again.currentExperiment()->typeKey(), QStringLiteral("ActiveAvoidance"));
        QCOMPARE(again.settings()->getDetectorSensitivity(), 37);

        // A type that no paradigm has leaves the current one as it was.
        QSignalSpy current(&again, &KestrumModel::currentScriptChanged);
        again.selectExperimentType(QStringLiteral("Rotarod"));
        QCOMPARE(again.currentExperiment()->typeKey(), QStringLiteral("ActiveAvoidance"));
        QCOMPARE(current.count(), 0);
    }

    // Settings that name a language keep it and start the interface in it; settings that name
    // none (a first start, or the file the start script writes) take the language the interface
    // started in, so that this start and the next agree with it.
    void settingsKeepOrTakeTheLanguageInForce_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("language");
        QTest::newRow("no file") << QByteArray() << languageOfTheSystem();
        QTest::newRow("names none") << settingsNaming(QByteArray()) << languageOfTheSystem();
        QTest::newRow("names English") << settingsNaming("en_US") << "en_US";
        QTest::newRow("names Russian") << settingsNaming("ru_RU") << "ru_RU";
    }

    void settingsKeepOrTakeTheLanguageInForce()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, language);
        const QString path = folder->filePath(QStringLiteral("ExperimentSettings.xml"));
        QVERIFY(file.isEmpty() || writeFileBytes(path, file));
        const QMetaEnum languages = QMetaEnum::fromType<KestrumSettings::KestrumLanguage>();
        for (const char* start : {"first", "next"}) {
            KestrumModel model(folder->path());
            model.init();
            QVERIFY2(LanguageContext::currentLanguage() == language, start);
            QCOMPARE(QString::fromLatin1(languages.valueToKey(model.settings()->getLanguage())), language);
            QVERIFY(readFileBytes(path).contains("<Language>" + language.toLatin1() + "</Language>"));
            QCOMPARE(model.settings()->getDetectorSensitivity(), file.isEmpty() ? 20 : 30);
        }
    }

    // Each apparatus gets one panel with its own copy of the selected paradigm, which follows
    // the template's settings until it runs (but for the grid current); a second apparatus with
    // a known serial number gets none; the virtual chamber comes and goes with its switch.
    void panelsRunCopiesOfTheSelectedParadigm()
    {
        MetaKestrumDevice::installAsModelPanels();
        KestrumModel model(folder->path());
        model.init();
        model.selectExperimentType(QStringLiteral("ActiveAvoidance"));
        QSignalSpy added(&model, &KestrumModel::kestrumAdded);
        QSignalSpy removed(&model, &KestrumModel::kestrumRemoved);
        RecordingDevice* device = adoptedChamber(QStringLiteral("SN-1"));
        model.registerDevice(device);
        model.registerDevice(adoptedChamber(QStringLiteral("SN-1")));
        QTest::qWait(0);
        QCOMPARE(firstArguments(added), QStringList{"SN-1"});
        QCOMPARE(model.metaDevices().size(), 1);
        ApparatusPanel* panel = model.metaDevices().constFirst();
        QCOMPARE(panel->device(), device);
        auto* chosen = static_cast<Experiment_ActiveAvoidance*>(model.currentExperiment());
        QPointer<Experiment_ActiveAvoidance> copy = qobject_cast<Experiment_ActiveAvoidance*>(panel->experiment());
        QVERIFY(copy && copy != chosen);
        QCOMPARE(copy->device(), device);

        chosen->setCyclesCount(7);
        QCOMPARE(copy->getCyclesCount(), 7);
        panel->startExperiment(true);
        QVERIFY(copy->isTriggered());
        chosen->setCyclesCount(9);
        chosen->setCircuit(4.5);
        QCOMPARE(copy->getCyclesCount(), 7);
        QCOMPARE(copy->getCircuit(), 4.5);
        QCOMPARE(readFileBytes(copy->getFilepath()), readFileBytes(chosen->getFilepath()));

        // Another paradigm stops the run, everything off, and replaces the copy.
        model.selectExperimentType(QStringLiteral("PlacePreference"));
        QVERIFY(!copy);
        QCOMPARE(panel->experiment()->typeKey(), QStringLiteral("PlacePreference"));
        QCOMPARE(device->texts().constLast(), QStringLiteral("off"));

        model.settings()->setDebugKestrumDevice(true);
        model.settings()->setDebugKestrumDevice(false);
        model.settings()->setDebugKestrumDevice(true);
        QTRY_COMPARE(model.metaDevices().size(), 2);
        QCOMPARE(firstArguments(added), QStringList({"SN-1", "VirtualKestrum"}));
        model.settings()->setDebugKestrumDevice(false);
        QTRY_COMPARE(firstArguments(removed), QStringList{"VirtualKestrum"});
        QCOMPARE(model.metaDevices(), QList<ApparatusPanel*>{panel});

        // An apparatus without a serial number gets a panel that holds no camera.
        RecordingDevice* nameless = adoptedChamber(QString());
        model.registerDevice(nameless);
        model.createMetaDevice(nameless);
        QCOMPARE(model.metaDevices().size(), 2);
        QCOMPARE(static_cast<MetaKestrumDevice*>(model.metaDevices().constLast())->cameraView(), nullptr);
    }

    // The settings editors show what they find through a settings object's meta-object, so
    // every settings object of the program, the apparatus panel's own included, must have each
    // property name, category, unit and enumeration value translated in both languages.
    void everySettingsTextReadsInBothLanguages()
    {
        MetaKestrumDevice::installAsModelPanels();
        KestrumModel model(folder->path());
        model.init();
        model.registerDevice(adoptedChamber(QStringLiteral("SN-1")));
        QTest::qWait(0);
        QCOMPARE(model.metaDevices().size(), 1);
        QList<AbstractSettings*> shown = model.findChildren<AbstractSettings*>();
        shown << model.metaDevices().constFirst()->findChildren<AbstractSettings*>();
        QSet<QString> classes;
        for (const AbstractSettings* settings : std::as_const(shown))
            classes << settings->metaObject()->className();
        for (const BaseExperiment* paradigm : model.experiments())
            QVERIFY(classes.contains(paradigm->metaObject()->className()));
        QVERIFY(classes.contains("KestrumSettings") && classes.contains("StimulationSettings")
                && classes.contains("MetaKestrumInfo"));

        const TranslationCoverage coverage;
        QStringList problems;
        for (AbstractSettings* settings : std::as_const(shown))
            problems << coverage.settingsProblems(settings);
        problems.removeDuplicates();
        for (const QString& problem : std::as_const(problems))
            qInfo().noquote() << problem;
        QVERIFY2(problems.isEmpty(), qPrintable(QString::number(problems.size())
                                                + " settings texts untranslated or spaced unlike the others"));
    }

    // In Russian a paradigm's name is all Russian. In each language the apparatus panel asks for
    // the background in the words every paradigm uses, and the calibration's question answers
    // with the verb of the panel's button.
    void wordingIsOfOnePieceInEachLanguage()
    {
        KestrumModel model(folder->path());
        model.init();
        static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
        for (const QString& language : {"en_US", "ru_RU"}) {
            QTranslator file;
            QVERIFY(file.load(":/translations/Kestrum_" + language + ".qm"));
            for (const QString& key : model.experimentTypeKeys()) {
                const QString name = file.translate("Generic", key.toUtf8().constData());
                QVERIFY2(!name.isEmpty() && (language == "en_US" || !name.contains(latin)),
                         qPrintable(key + " reads " + name));
            }
            const QString asked = file.translate("MetaKestrumDevice", "Проинициализируйте фон");
            QCOMPARE(asked, file.translate("Generic", "Initialize background"));
            const QString button = file.translate("MetaKestrumDevice", "Инициализировать фон");
            const QString yes = file.translate("MetaKestrumDevice", "Калибровать");
            QVERIFY2(button.startsWith(yes + ' '), qPrintable(button + " / " + yes));
        }
    }

    // An apparatus unplugged during a run: the run ends with the grid off and its record saved,
    // and the frames still coming reach neither the copy nor the device, which is deleted last.
    void unpluggedApparatusEndsItsRunFirst()
    {
        ManualClock clock;
        ScriptedCameraView* camera = nullptr;
        KestrumModel::setPanelFactory([&](KestrumBaseDevice* device) {
            camera = new ScriptedCameraView(&clock, 25.0);
            return new MetaKestrumDevice(device, camera);
        });
        KestrumModel model(folder->path());
        model.init();
        model.selectExperimentType(QStringLiteral("PlacePreference"));
        for (BaseExperiment* experiment : model.experiments())
            experiment->setClock(&clock);
        model.selectExperimentType(QStringLiteral("PlacePreference"));
        QPointer<RecordingDevice> device = adoptedChamber(QStringLiteral("SN-2"));
        model.registerDevice(device);
        QVERIFY(camera);
        auto* panel = static_cast<MetaKestrumDevice*>(model.metaDevices().constFirst());
        QPointer<BaseExperiment> copy = panel->experiment();
        // Without a frame there is nothing to take the background from.
        panel->calibrateBackground();
        QVERIFY(GlobalConsole::currentText().contains(QStringLiteral("no camera frame has arrived")));
        camera->deliver(arenaFrame(-100));
        QSignalSpy backgroundSet(copy, &BaseExperiment::changedExperimentInitTriggeredStarted);
        panel->calibrateBackground();
        QVERIFY(backgroundSet.wait(5000));
        // A recording asked for when no run goes on (a request late for a run that ended) is
        // not started: nothing would stop it.
        emit copy->startVideoRecord(folder->filePath(QStringLiteral("late.mp4")));
        QVERIFY(!camera->recorder.getIsRecording());
        panel->startExperiment(true);
        for (int x = 200; x < 260; x += 10) {
            clock.advance(40);
            QVERIFY(camera->deliverAnalysed(arenaFrame(x)));
        }
        QVERIFY(copy->isRunning());
        const QString runFolder = copy->runFolder();

        QStringList commandsAtRemoval;
        connect(&model, &KestrumModel::kestrumRemoved, this, [&] { commandsAtRemoval = device->texts(); });
        QPointer<MetaKestrumDevice> removedPanel = panel;
        device->setStatusConnect(BaseDevice::NotConnected);
        while (commandsAtRemoval.isEmpty() && removedPanel) {
            clock.advance(40);
            camera->deliver(arenaFrame(300));
        }
        QTRY_VERIFY(!removedPanel);
        QVERIFY(model.metaDevices().isEmpty());
        QVERIFY(!copy);
        QCOMPARE(commandsAtRemoval.constLast(), QStringLiteral("off"));
        QVERIFY(readFileBytes(runFolder + "Stats.xml").contains("<DurationMs>"));
        QTRY_VERIFY(!device);
    }

    // A door unit serves the classic chamber whose serial number it reports, whenever either of
    // them is found, and is detached when it is lost; a startle sensor records for the chamber
    // of its serial number only.
    void accessoryBoardsPairWithTheirChamber()
    {
        MetaKestrumDevice::installAsModelPanels();
        KestrumModel model(folder->path());
        model.init();
        ScriptedBoard chamberBoard(QStringLiteral("Classic chamber"));
        chamberBoard.replyToFrame(QByteArray::fromHex("0D0002F1"), QByteArray::fromHex("7B0D90025334323631323533A77D"));
        ScriptedBoard strangerBoard(QStringLiteral("Door unit"));
        strangerBoard.replyToFrame("sn", "{sn=S9999999}\r\n");
        ScriptedBoard doorBoard(QStringLiteral("Door unit"));
        doorBoard.replyToFrame("sn", "{sn=S4261253}\r\n");
        ScriptedBoard sensorBoard(QStringLiteral("Startle sensor"));
        sensorBoard.replyToFrame("initT", "{sn=S4261253}\r\n");
        QVERIFY(chamberBoard.takePort(QStringLiteral("ClassicKestrum"), 57600, QSerialPort::EvenParity));
        QVERIFY(strangerBoard.takePort(QStringLiteral("KestrumDoor")));
        QVERIFY(doorBoard.takePort(QStringLiteral("KestrumDoor")));
        QVERIFY(sensorBoard.takePort(QStringLiteral("Startle"), 19200));
        QSignalSpy added(&model, &KestrumModel::kestrumAdded);
        QSignalSpy sensors(&model, &KestrumModel::startledChanged);
        model.onPortFound(QStringLiteral("KestrumDoor"), strangerBoard.portName());
        model.onPortFound(QStringLiteral("ClassicKestrum"), chamberBoard.portName());
        model.onPortFound(QStringLiteral("Startle"), sensorBoard.portName());
        QVERIFY(added.wait(10000));
        QCOMPARE(firstArguments(added), QStringList{"S4261253"});
        auto* chamber = qobject_cast<KestrumDevice*>(model.metaDevices().constFirst()->device());
        QVERIFY(chamber);
        QCOMPARE(chamber->thread(), ApparatusThread::instance());
        QVERIFY(strangerBoard.waitForReceived("{sn}", 10000));
        QTest::qWait(100);
        QVERIFY(!chamber->hasDoor());

        model.onPortFound(QStringLiteral("KestrumDoor"), doorBoard.portName());
        QTRY_VERIFY_WITH_TIMEOUT(chamber->hasDoor(), 10000);
        doorBoard.closeFarEnd();
        QTRY_VERIFY_WITH_TIMEOUT(!chamber->hasDoor(), 10000);

        QTRY_COMPARE(sensors.count(), 2);
        QCOMPARE(model.startleSensors().size(), 1);
        QCOMPARE(model.startleSensors().constFirst()->thread(), ApparatusThread::instance());
        const QString otherRun = folder->filePath(QStringLiteral("other.csv"));
        const QString ownRun = folder->filePath(QStringLiteral("own.csv"));
        QVERIFY(!model.openStartleRecords(QStringLiteral("S9999999"), otherRun));
        QVERIFY(model.openStartleRecords(QStringLiteral("S4261253"), ownRun));
        sensorBoard.send("{x:100,y:0,z:0,t:500}\r\n{x:300,y:0,z:0,t:540}\r\n");
        QTRY_COMPARE(readFileBytes(ownRun), QByteArray("0;100;0;0\r\n40;300;0;0\r\n"));
        model.closeStartleRecords(QStringLiteral("S4261253"));
        QVERIFY(!QFile::exists(otherRun));
    }
};

QTEST_MAIN(TestKestrumModel)
#include "tst_kestrummodel.moc"
