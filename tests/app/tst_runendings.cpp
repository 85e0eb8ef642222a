#include "ChildScenario.h"
#include "Experiment_LightBox_Stats.h"
#include "KestrumExperimentTypeSelector.h"
#include "KestrumSettings.h"
#include "KestrumStartup.h"
#include "MainWindowFixture.h"
#include "RunChecks.h"
#include "RunLogLine.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <cstdio>

// Runs the main window ends: by its closing, by a termination signal, and otherwise than by
// their stop.
class TestRunEndings : public QObject, public MainWindowFixture
{
    Q_OBJECT

public:
    static constexpr char signalScenario[] = "signal";
    static constexpr char runningMark[] = "RUNNING";

    // The child of aSignalEndsTheProgramAsClosingItsWindowDoes: a run on a scripted chamber in
    // the main window, ended by the signal the parent sends once the child says it runs. What
    // the chamber received comes last, on a line of its own.
    int runUntilSignalled(const QString& base)
    {
        setUpTestCase();
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

private slots:
    void initTestCase() { setUpTestCase(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }
    void cleanupTestCase() { tearDownTestCase(); }

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
};

int runChild(const QString& scenario)
{
    const QStringList parts = scenario.split(QLatin1Char('|'));
    return parts.size() == 2 && parts.constFirst() == QLatin1String(TestRunEndings::signalScenario)
               ? TestRunEndings().runUntilSignalled(parts.constLast())
               : 3;
}

int main(int argc, char** argv)
{
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    return testMainWithChildScenarios<TestRunEndings, QApplication>(argc, argv, runChild);
}
#include "tst_runendings.moc"
