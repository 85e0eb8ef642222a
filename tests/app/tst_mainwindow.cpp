#include "ApparatusFixtures.h"
#include "BaseExperiment.h"
#include "BasePage.h"
#include "BasePropertyView.h"
#include "ChildScenario.h"
#include "Clock.h"
#include "DialogSeam.h"
#include "Experiment_LightBox_Stats.h"
#include "FirmwareDialog.h"
#include "KestrumExperimentTypeSelector.h"
#include "KestrumMainWindow.h"
#include "KestrumModel.h"
#include "KestrumSettings.h"
#include "KestrumStartup.h"
#include "LanguageContext.h"
#include "MetaKestrumDevice.h"
#include "PageSettings.h"
#include "Patience.h"
#include "PropertyListControl.h"
#include "RunChecks.h"
#include "RunLogLine.h"
#include "ScriptedBoard.h"
#include "ScriptedCameraView.h"
#include "SerialPortEnumerator.h"
#include "TestFiles.h"
#include "VideoCameraView.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {

constexpr int frameMs = 40;
// Where a copy of this program started by a restart leaves its mark, instead of running the tests.
const char* const restartMarkVariable = "KESTRUM_TEST_RESTART_MARK";

// Whether the action ends the application's event loop.
bool quitsTheApplication(const std::function<void()>& action)
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    QTimer::singleShot(0, action);
    return QCoreApplication::exec() == 0;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir dataFolder;
    ManualClock clock;
    ScriptedCameraView* camera = nullptr;
    QList<DialogSeam::Request> asked;
    QList<int> answers;
    std::unique_ptr<KestrumMainWindow> window;

    static KestrumModel* model() { return KestrumModel::instance(); }

public:
    static void initMain()
    {
        const QString mark = qEnvironmentVariable(restartMarkVariable);
        if (mark.isEmpty() || !qEnvironmentVariableIsSet("ZT_RESTARTED_FROM_PID"))
            return;
        QFile file(mark);
        const bool marked = file.open(QIODevice::WriteOnly) && file.write("restarted") > 0;
        file.close();
        std::exit(marked ? 0 : 1);
    }

public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

private:
    QList<QUrl> openedUrls;

private slots:
    void initTestCase()
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

    void init()
    {
        auto* fresh = new KestrumModel(
            dataFolder.filePath(QString::fromLatin1(QTest::currentTestFunction()) + QTest::currentDataTag()));
        fresh->init();
        window = std::make_unique<KestrumMainWindow>();
        asked.clear();
        answers.clear();
    }

    void cleanup()
    {
        window.reset();
        delete model();
        useScriptedPanels();
    }

    void cleanupTestCase() { KestrumModel::setPanelFactory(nullptr); }

public:
    static constexpr char signalScenario[] = "signal";
    static constexpr char runningMark[] = "RUNNING";

    // The child of aSignalEndsTheProgramAsClosingItsWindowDoes: a run on a scripted chamber in
    // the main window, ended by the signal the parent sends once the child says it runs. What
    // the chamber received comes last, on a line of its own.
    int runUntilSignalled(const QString& base)
    {
        initTestCase();
        auto* fresh = new KestrumModel(base);
        fresh->init();
        window = std::make_unique<KestrumMainWindow>();
        KestrumStartup::endOnTerminationSignals(window.get());
        ScriptedBoard board(QStringLiteral("Chamber"));
        BaseExperiment* run = startLightBoxRun(board);
        if (!run)
            return 2;
        std::fputs(qPrintable(QStringLiteral("RUN %1\n%2").arg(run->runFolder(), QLatin1String(runningMark))), stderr);
        std::fflush(stderr);
        const int exitCode = QApplication::exec();
        const bool switchedOff = QTest::qWaitFor([&] { return gridOffAtTheEnd(board.receivedMessages()); }, generous);
        std::fputs(qPrintable(QStringLiteral("\nBOARD %1\n").arg(board.receivedMessages().join(' '))), stderr);
        return switchedOff ? exitCode : 4;
    }

private:
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

private slots:

    // A page button shows its page and stands alone checked, also when clicked again; the data
    // folder's button opens the folder set now; the tool windows are made once and reused; the
    // service dialog composes a serial number.
    void pageBarToolWindowsAndServiceDialog()
    {
        QSignalSpy changed(window.get(), &KestrumMainWindow::pageChanged);
        const QList<QPushButton*> buttons = window->pageButtons();
        QCOMPARE(buttons.size(), 4);
        for (const int index : {2, 2, 1, 3, 0}) {
            buttons.at(index)->click();
            QCOMPARE(changed.takeLast().constFirst().value<BasePage*>(), window->pages().at(index));
            for (int other = 0; other < buttons.size(); ++other)
                QCOMPARE(buttons.at(other)->isChecked(), other == index);
        }

        // The folder button stands in the data folder's row only and opens the folder set now.
        auto* settingsPage = qobject_cast<PageSettings*>(window->pages().at(2));
        const auto folderRow = settingsPage->propertyList()->getWidgetInfo(QStringLiteral("BaseFolder"));
        QVERIFY(folderRow.view->getEditingLayout()->indexOf(settingsPage->folderButton()) >= 0);
        const QString moved = dataFolder.filePath(QStringLiteral("moved"));
        {
            const QSignalBlocker unannounced(model()->settings());
            model()->settings()->setBaseFolder(moved);
        }
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        settingsPage->folderButton()->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(openedUrls, QList<QUrl>({QUrl::fromLocalFile(moved)}));

        std::unique_ptr<QMenu> menu(window->buildMenu());
        QCOMPARE(menu->actions().size(), 3);
        for (QAction* action : menu->actions())
            action->trigger();
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QAction* action : menu->actions())
            action->trigger();
        const QWidgetList again = QApplication::topLevelWidgets();
        QCOMPARE(QSet<QWidget*>(again.cbegin(), again.cend()), QSet<QWidget*>(windows.cbegin(), windows.cend()));
        QWidget* console = KestrumMainWindow::showToolWindow(KestrumMainWindow::ConsoleWindow);
        QVERIFY(windows.contains(console) && console->isVisible());
        emit window->closing();
        QVERIFY(!console->isVisible());

        // Ctrl and Alt held as the menu opens add the debug device, the service dialog and the
        // door manager, which says in the interface's language that it is not there yet.
        QTest::keyPress(window.get(), Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
        std::unique_ptr<QMenu> hidden(window->buildMenu());
        QTest::keyRelease(window.get(), Qt::Key_Alt, Qt::NoModifier);
        QStringList texts;
        for (QAction* action : hidden->actions())
            texts << action->text();
        QCOMPARE(texts.mid(3),
                 QStringList({"", KestrumMainWindow::tr("Отладочное устройство"),
                              KestrumMainWindow::tr("Сервисное окно"), KestrumMainWindow::tr("Менеджер дверей")}));
        QString doorManager;
        QTimer::singleShot(0, this, [&doorManager] {
            QWidget* dialog = QApplication::activeModalWidget();
            doorManager = dialog->findChild<QLabel*>()->text();
            dialog->close();
        });
        hidden->actions().constLast()->trigger();
        QCOMPARE(doorManager, KestrumMainWindow::tr("Kestrum door manager not implemented"));

        QCOMPARE(FirmwareDialog::generatedSerialNumber(QDate(2026, 12, 9)), QStringLiteral("32612101"));
        FirmwareDialog service;
        QCOMPARE(service.newSerialNumber()->maxLength(), 8);
        // No board is asked for its number or sent one: the dialog says so, naming the port.
        const auto clicked = [&service](const char* button) {
            for (QPushButton* each : service.findChildren<QPushButton*>())
                if (each->text() == FirmwareDialog::tr(button))
                    each->click();
            return service.answer()->text();
        };
        service.ports()->clear();
        QCOMPARE(clicked("Get SN"), FirmwareDialog::tr("No serial port is chosen."));
        service.ports()->addItem("ttyTEST7");
        for (const char* button : {"Get SN", "Send"}) {
            service.answer()->clear();
            QVERIFY2(clicked(button).contains("ttyTEST7"), button);
        }
    }

    // A first start records the language the interface started in, and the Settings page shows
    // it; choosing the language in force again asks nothing.
    void firstStartShowsTheLanguageInForce()
    {
        const QString inForce = LanguageContext::currentLanguage();
        KestrumSettings* settings = model()->settings();
        const QMetaEnum languages = QMetaEnum::fromType<KestrumSettings::KestrumLanguage>();
        QCOMPARE(QString::fromLatin1(languages.valueToKey(settings->getLanguage())), inForce);
        QVERIFY(readFileBytes(settings->getFilepath()).contains("<Language>" + inForce.toLatin1() + "</Language>"));
        auto* settingsPage = qobject_cast<PageSettings*>(window->pages().at(2));
        const auto languageRow = settingsPage->propertyList()->getWidgetInfo(QStringLiteral("Language"));
        QCOMPARE(languageRow.view->findChild<QComboBox*>()->currentText(),
                 QCoreApplication::translate("KestrumLanguage", inForce.toLatin1().constData()));

        const auto chosen = KestrumSettings::KestrumLanguage(languages.keyToValue(inForce.toLatin1().constData()));
        {
            const QSignalBlocker unannounced(settings);
            settings->setLanguage(chosen == KestrumSettings::en_US ? KestrumSettings::ru_RU : KestrumSettings::en_US);
        }
        settings->setLanguage(chosen);
        QCOMPARE(asked.size(), 0);
        QCOMPARE(LanguageContext::currentLanguage(), inForce);
        QVERIFY(readFileBytes(settings->getFilepath()).contains("<Language>" + inForce.toLatin1() + "</Language>"));
    }

    // The change of the interface language is asked about in both languages, each button text
    // once where both read alike; Cancel puts back the language in force without a second
    // question, and "Not now" keeps the new one for the next start without a restart.
    void languagePromptAnsweredThroughTheSeam_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("cancel") << 2;
        QTest::newRow("not now") << 1;
    }

    void languagePromptAnsweredThroughTheSeam()
    {
        QFETCH(int, button);
        const QString inForce = LanguageContext::currentLanguage();
        const bool english = inForce.contains(QStringLiteral("en"), Qt::CaseInsensitive);
        const auto other = english ? KestrumSettings::ru_RU : KestrumSettings::en_US;
        {
            const QSignalBlocker unannounced(model()->settings());
            model()->settings()->setLanguage(english ? KestrumSettings::en_US : KestrumSettings::ru_RU);
        }
        answers << button;
        model()->settings()->setLanguage(other);

        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.constFirst().title.contains(QLatin1Char('/')));
        QCOMPARE(asked.constFirst().buttons.size(), 3);
        for (const DialogSeam::Button& each : asked.constFirst().buttons) {
            const QStringList halves = each.text.split(QLatin1Char('/'));
            QVERIFY2(halves.size() == 1 || halves.constFirst() != halves.constLast(), qPrintable(each.text));
        }
        if (button == 2) {
            QCOMPARE(model()->settings()->getLanguage(), english ? KestrumSettings::en_US : KestrumSettings::ru_RU);
            QCOMPARE(LanguageContext::currentLanguage(), inForce);
        } else {
            QCOMPARE(model()->settings()->getLanguage(), other);
            QVERIFY(readFileBytes(model()->settings()->getFilepath()).contains(english ? "ru_RU" : "en_US"));
            QCOMPARE(LanguageContext::currentLanguage(), QString::fromLatin1(english ? "ru_RU" : "en_US"));
            LanguageContext::setLanguage(inForce);
        }
        QCOMPARE(asked.size(), 1);
    }

    // "OK" restarts the program: a new copy starts, and this window closes (deleting the pages,
    // the model and its settings) only after the settings' change signal has returned.
    void languagePromptRestartsOnOk()
    {
        const QString inForce = LanguageContext::currentLanguage();
        const bool english = inForce.contains(QStringLiteral("en"), Qt::CaseInsensitive);
        {
            const QSignalBlocker unannounced(model()->settings());
            model()->settings()->setLanguage(english ? KestrumSettings::en_US : KestrumSettings::ru_RU);
        }
        const QString mark = dataFolder.filePath(QStringLiteral("restarted"));
        qputenv(restartMarkVariable, mark.toLocal8Bit());
        answers << 0;
        const bool quit = quitsTheApplication(
            [english] { model()->settings()->setLanguage(english ? KestrumSettings::ru_RU : KestrumSettings::en_US); });
        qunsetenv(restartMarkVariable);
        LanguageContext::setLanguage(inForce);
        QVERIFY(quit);
        QCOMPARE(asked.size(), 1);
        QVERIFY(!model());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(mark), 20000);
    }

    // Closing in the middle of a run asks first; once agreed, the run is stopped before anything
    // is torn down: its record and video are complete and the grid is off.
    void closingDuringARunFinishesTheRunFirst()
    {
        ScriptedBoard board(QStringLiteral("Chamber"));
        BaseExperiment* run = startLightBoxRun(board);
        QVERIFY(run);
        const QString runFolder = run->runFolder();

        asked.clear();
        answers << 1;
        QVERIFY(!window->close());
        QVERIFY(run->isTriggered());
        QCOMPARE(asked.size(), 1);

        answers << 0;
        QVERIFY(quitsTheApplication([this] { QVERIFY(window->close()); }));
        QCOMPARE(model(), nullptr);
        Experiment_LightBox_Stats stats(runFolder + QStringLiteral("Stats.xml"), false);
        QVERIFY(stats.reload());
        QVERIFY2(stats.getDurationMs() >= 1000, qPrintable(QString::number(stats.getDurationMs())));
        const int videoFrames = videoFrameCount(runFolder + QStringLiteral("video.mp4"));
        QVERIFY2(videoFrames >= 15, qPrintable(QString::number(videoFrames)));
        QTRY_VERIFY(board.receivedMessages().contains(QStringLiteral("off")));
        QVERIFY(gridOffAtTheEnd(board.receivedMessages()));
    }

    // A run that ends neither by its Stop nor by its own end names the cause in its log at that
    // moment; manual control in the middle of it is logged when it takes the device and when it
    // gives it back. Choosing another paradigm and opening the service dialog ask first, and a
    // refusal leaves the run going; after the service dialog the virtual chamber is back.
    void anAbnormalEndIsNamedInTheRunsLog_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("cause");
        QTest::newRow("apparatus lost") << "apparatus lost"
                                        << "StoppedBy_ApparatusLost";
        QTest::newRow("service dialog") << "service dialog"
                                        << "StoppedBy_ServiceDialog";
        QTest::newRow("another paradigm") << "another paradigm"
                                          << "StoppedBy_ParadigmChange";
        QTest::newRow("write failure") << "write failure"
                                       << "StoppedBy_WriteFailure";
    }

    void anAbnormalEndIsNamedInTheRunsLog()
    {
        QFETCH(QString, ending);
        QFETCH(QString, cause);
        const bool asksFirst = ending == "service dialog" || ending == "another paradigm";
        model()->settings()->setDebugKestrumDevice(true);
        QTRY_COMPARE(model()->metaDevices().size(), 1);
        ScriptedBoard board(QStringLiteral("Chamber"));
        BaseExperiment* run = startLightBoxRun(board);
        QVERIFY(run);
        const QString runFolder = run->runFolder();
        auto* panel = static_cast<MetaKestrumDevice*>(model()->metaDevices().constLast());
        QTimer::singleShot(0, this, [this] {
            clock.advance(500);
            QVERIFY(camera->deliverAnalysed(arenaFrame(500)));
            QApplication::activeModalWidget()->close();
        });
        panel->findChild<QPushButton*>("titleButton")->click();

        auto* selector = window->findChild<KestrumExperimentTypeSelector*>();
        const auto act = [&] {
            if (ending == "apparatus lost") {
                QSignalSpy removed(model(), &KestrumModel::kestrumRemoved);
                board.closeFarEnd();
                QVERIFY(removed.wait(10000));
            } else if (ending == "service dialog") {
                QTimer::singleShot(0, this, [] {
                    if (QWidget* dialog = QApplication::activeModalWidget())
                        dialog->close();
                });
                QTest::keyRelease(window.get(), Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier);
            } else if (ending == "another paradigm") {
                selector->comboBox()->setCurrentIndex(model()->experimentTypeKeys().indexOf("StepDown"));
            } else {
                run->failRun(runFolder + QStringLiteral("Track.tdata"), QStringLiteral("No space left on device"));
            }
        };
        if (asksFirst) {
            asked.clear();
            answers << 1;
            act();
            QCOMPARE(asked.size(), 1);
            QVERIFY(run->isRunning());
            QCOMPARE(model()->currentScriptType(), QStringLiteral("LightBox"));
            QCOMPARE(selector->comboBox()->currentData().toString(), QStringLiteral("LightBox"));
            answers << 0;
        }
        act();
        Experiment_LightBox_Stats stats(runFolder + QStringLiteral("Stats.xml"), false);
        QTRY_VERIFY(stats.reload() && stats.getFinished());
        QStringList log;
        for (const RunLogLine& line : RunLogLine::parse(stats.getLog()))
            log << line.text;
        QCOMPARE(log.filter(QRegularExpression("^(ManualControl|StoppedBy)_")),
                 (QStringList{"ManualControl_Taken", "ManualControl_Returned", cause}));
        if (ending == "service dialog")
            QTRY_VERIFY(std::any_of(model()->metaDevices().cbegin(), model()->metaDevices().cend(),
                                    [](const ApparatusPanel* each) {
                                        return each->device()->serialNumber() == QStringLiteral("VirtualKestrum");
                                    }));
        model()->settings()->setDebugKestrumDevice(false);
    }

    // The service dialog opened as the program opens it, inside the running event loop, from the
    // key or from the hidden menu: the panel of the virtual chamber that comes back has its
    // camera, also once the panel it replaces has gone and the camera has been checked again.
    void theVirtualCameraIsLiveAfterTheServiceDialog_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("Ctrl+Alt+F2") << false;
        QTest::newRow("hidden menu") << true;
    }

    void theVirtualCameraIsLiveAfterTheServiceDialog()
    {
        QFETCH(bool, fromMenu);
        MetaKestrumDevice::installAsModelPanels();
        const auto cameraWidget = [] {
            const QList<ApparatusPanel*> panels = model()->metaDevices();
            const auto* panel = panels.isEmpty() ? nullptr : static_cast<MetaKestrumDevice*>(panels.constFirst());
            const auto* view = panel ? qobject_cast<VideoCameraView*>(panel->cameraView()) : nullptr;
            return view ? view->widget() : nullptr;
        };
        const auto delivers = [](VideoWidget* widget) {
            QSignalSpy frames(widget, &VideoWidget::fetchFrame);
            return frames.wait(generous);
        };
        model()->settings()->setDebugKestrumDevice(true);
        QTRY_VERIFY(cameraWidget());
        const QPointer<VideoWidget> before = cameraWidget();
        QVERIFY(delivers(before));

        QObject scope;
        bool opened = false;
        const auto closeDialog = [&opened] {
            auto* dialog = qobject_cast<FirmwareDialog*>(QApplication::activeModalWidget());
            opened = dialog != nullptr;
            if (dialog)
                dialog->close();
        };
        QTimer::singleShot(0, &scope, [&] {
            // Runs in the loop of the menu, or of the dialog the key opens.
            QTimer::singleShot(0, &scope, [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu)
                    return closeDialog();
                QTimer::singleShot(0, &scope, closeDialog);
                for (QAction* action : menu->actions())
                    if (action->text() == KestrumMainWindow::tr("Сервисное окно"))
                        menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
            });
            if (fromMenu)
                emit window->pageButtons().at(2)->customContextMenuRequested(QPoint());
            else
                QTest::keyRelease(window.get(), Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier);
        });
        QTest::keyPress(window.get(), Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
        QTRY_VERIFY(opened && !before && cameraWidget());
        QTest::keyRelease(window.get(), Qt::Key_Alt, Qt::NoModifier);
        VideoWidget* after = cameraWidget();
        after->checkSource();
        QVERIFY(delivers(after));
    }

    // A termination signal ends the program as closing its window does, without the question:
    // the run going on is stopped, its record finished, and the chamber is switched off.
    void aSignalEndsTheProgramAsClosingItsWindowDoes_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void aSignalEndsTheProgramAsClosingItsWindowDoes()
    {
        QFETCH(int, signalNumber);
        const QString base = dataFolder.filePath(QStringLiteral("signalled-%1").arg(signalNumber));
        const StartedChild child = startChildScenario(QStringLiteral("%1|%2").arg(signalScenario, base));
        QVERIFY(child.pid > 0);
        // The child gives up by itself when one of its own waits runs out: the parent waits for
        // its mark or its end, and its time limits only end a child that hangs.
        constexpr int hungChildMs = 4 * generous;
        bool closed = false;
        const QString running =
            QString::fromLocal8Bit(readUntilClosed(child.errorOutput, hungChildMs, closed, runningMark));
        const qsizetype markAt = running.indexOf(QString::fromLatin1(runningMark));
        ::kill(child.pid, markAt >= 0 ? signalNumber : SIGKILL);
        const ChildOutcome outcome = awaitChild(child, hungChildMs);
        QVERIFY2(markAt >= 0, qPrintable(running.right(3000)));
        QVERIFY2(!outcome.crashed && outcome.exitCode == 0, qPrintable(outcome.errorOutput.right(3000)));

        const QString runFolder = running.left(markAt).section(QStringLiteral("RUN "), -1).trimmed();
        Experiment_LightBox_Stats stats(runFolder + QStringLiteral("Stats.xml"), false);
        QVERIFY2(stats.reload(), qPrintable(runFolder));
        QVERIFY(stats.getFinished());
        QVERIFY2(stats.getDurationMs() >= 1000, qPrintable(QString::number(stats.getDurationMs())));
        const QStringList received =
            outcome.errorOutput.section(QStringLiteral("BOARD "), -1).section(QLatin1Char('\n'), 0, 0).split(' ');
        QVERIFY2(received.contains(QStringLiteral("off")) && gridOffAtTheEnd(received), qPrintable(received.join(' ')));
    }

    void closingWithNoModelStillQuits()
    {
        delete model();
        QVERIFY(quitsTheApplication([this] { QVERIFY(window->close()); }));
        QVERIFY(asked.isEmpty());
    }
};

int runChild(const QString& scenario)
{
    const QStringList parts = scenario.split(QLatin1Char('|'));
    return parts.size() == 2 && parts.constFirst() == QLatin1String(TestMainWindow::signalScenario)
               ? TestMainWindow().runUntilSignalled(parts.constLast())
               : 3;
}

int main(int argc, char** argv)
{
    TestMainWindow::initMain();
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    return testMainWithChildScenarios<TestMainWindow, QApplication>(argc, argv, runChild);
}
#include "tst_mainwindow.moc"
