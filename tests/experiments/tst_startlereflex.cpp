#include "Clock.h"
#include "ExperimentScenario.h"
#include "Experiment_StartleReflex.h"
#include "Experiment_StartleReflex_Stats.h"
#include "RecordingDevice.h"
#include "TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

namespace {

using Record = std::unique_ptr<Experiment_StartleReflex_Stats>;

Record opened(const QString& statsPath)
{
    Experiment_StartleReflex reader(QFileInfo(statsPath).dir().path());
    return Record(static_cast<Experiment_StartleReflex_Stats*>(reader.createStats(statsPath)));
}

// "N=<stimuli> M=<reacted> T=<mean latency>", then per kind "<kind> <stimuli> <reacted> <latency>
// <duration> <amplitude>".
QString totalsOf(const Experiment_StartleReflex_Stats& record)
{
    QStringList parts{QStringLiteral("N=%1 M=%2 T=%3")
                          .arg(record.getStimulusCount())
                          .arg(record.getReactedStimulusCount())
                          .arg(record.getAverageReactionToAllStims())};
    for (const QString kind : {"Light", "Circuit", "Sound"}) {
        const auto value = [&](const QString& name) {
            return record.property(name.arg(kind).toUtf8().constData()).toString();
        };
        parts << QStringList({kind, value("%1StimulusCount"), value("%1ReactedStimulusCount"), value("ReactionTo%1"),
                              value("DurationTo%1"), value("AmplitudeTo%1")})
                     .join(QLatin1Char(' '));
    }
    return parts.join(QStringLiteral(" | "));
}

QStringList textsOf(const QList<StartleReaction>& reactions)
{
    QStringList texts;
    for (const StartleReaction& reaction : reactions)
        texts << reaction.toText();
    return texts;
}

// "<title> <latency>/<duration>/<amplitude>" of each item, which carries no other value.
QStringList itemsOf(Experiment_StartleReflex_Stats& record)
{
    QStringList items;
    for (Experiment_Stats* item : record.buildResult()) {
        const QString kind = item->title().section(QLatin1Char(' '), 0, 0).mid(int(qstrlen("Reaction")));
        const auto value = [&](const char* name) {
            return item->property(QByteArray(name) + kind.toUtf8()).toString();
        };
        const auto* startle = static_cast<Experiment_StartleReflex_Stats*>(item);
        const bool noOtherValue = startle->getStimulusCount() == std::numeric_limits<int>::min()
                                  && std::isnan(startle->getAverageReactionToAllStims())
                                  && startle->getReactionsCalced();
        items << item->title() + QLatin1Char(' ') + value("ReactionTo") + QLatin1Char('/') + value("DurationTo")
                     + QLatin1Char('/') + value("AmplitudeTo") + (noOtherValue ? QString() : QStringLiteral(" +"));
        delete item;
    }
    return items;
}

// The run log of one cycle beginning at `atMs`, or the chamber's commands in it, as "<ms>|<entry>".
QStringList cycleFrom(qint64 atMs, const QString& counter, bool commands)
{
    const QStringList entries =
        commands ? QStringList({"0|sound Both 1000 300", "100|grid 0.5 250", "250|grid 0.5 150", "300|sound Both 0 -1",
                                "400|grid 0.0 -1", "500|light 80,80 -1", "700|light 40,40 -1", "800|light 0,0 -1",
                                "900|sound Both 2000 1000", "1000|off"})
                 : QStringList({"0|BeginCycle_" + counter, "0|Start_Sound", "100|Start_Circuit", "300|End_Sound",
                                "400|End_Circuit", "500|Start_Light", "700|End_Light", "700|Start_Light",
                                "800|End_Light", "900|Start_Sound", "1000|End_Sound", "1000|FinishCycle_" + counter});
    QStringList shifted;
    for (const QString& entry : entries)
        shifted << QString::number(entry.section(QLatin1Char('|'), 0, 0).toLongLong() + atMs) + QLatin1Char('|')
                       + entry.section(QLatin1Char('|'), 1);
    return shifted;
}

// Steps as (channel, duration, delay before, value).
using Steps = QList<std::tuple<KestrumBaseDevice::KestrumAction, int, int, double>>;

// Each cycle of 1000 ms holds a sound step [0, 300), a grid step [100, 400) of 0.5 mA, two light
// steps [500, 700) at 80 % and [700, 800) at 40 %, and a sound step [900, 1900) that the cycle's
// end cuts.
const Steps pulses = {{KestrumBaseDevice::Sound, 300, 0, 1000},
                      {KestrumBaseDevice::Circuit, 300, 100, 0.5},
                      {KestrumBaseDevice::Light, 200, 500, 80},
                      {KestrumBaseDevice::Light, 100, 0, 40},
                      {KestrumBaseDevice::Sound, 1000, 600, 2000}};

// A startle run of 1000 ms cycles stepped by 50 ms frames on a manual clock.
struct Run
{
    QTemporaryDir folder;
    ManualClock clock;
    RecordingDevice device{&clock};
    ExperimentScenario scenario;
    Experiment_StartleReflex experiment{folder.path()};
    const qint64 startMs = clock.monotonicMs();

    Run(int preambule, int postambule, int cycles, const Steps& steps = pulses)
    {
        scenario.cycleDurationMs = 1000;
        scenario.cyclesAmount = cycles;
        scenario.setFilePath(folder.filePath(QStringLiteral("pulses.scn")));
        for (const auto& [action, durationMs, delayMs, value] : steps)
            scenario.addStep(action, new ScenarioStep(durationMs, delayMs, value));
        experiment.setClock(&clock);
        experiment.initSettingsFile(false);
        experiment.setDevice(&device);
        experiment.setPreambulePhase(preambule);
        experiment.setPostambulePhase(postambule);
        experiment.setScenario(&scenario);
        QImage background(64, 48, QImage::Format_RGB32);
        background.fill(Qt::darkGray);
        experiment.setBackground(background);
        experiment.start(true);
    }

    // Frames every 50 ms, with the animal out of view, from `fromMs` while the run lasts.
    void frames(qint64 fromMs, qint64 untilMs)
    {
        for (qint64 at = fromMs; at <= untilMs && experiment.isTriggered(); at += 50) {
            clock.advance(at - (clock.monotonicMs() - startMs));
            bool inDanger = true;
            experiment.processFrame(false, QSize(640, 480), QPoint(-1, -1), QRect(), inDanger);
            QVERIFY(!inDanger);
        }
    }

    QStringList commands() const
    {
        QStringList list;
        for (const RecordingDevice::Command& command : device.commands())
            list << QString::number(command.atMs - startMs) + QLatin1Char('|') + command.text;
        return list;
    }

    QString stats() const { return experiment.runFolder() + QStringLiteral("Stats.xml"); }
};

} // namespace

class StartleReflexTest : public QObject
{
    Q_OBJECT

private slots:
    void analysisOfSensorRecordings_data()
    {
        QTest::addColumn<QString>("recording");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("totals");
        QTest::addColumn<QStringList>("reactions");
        QTest::addColumn<QStringList>("items");
        const QString none = QStringLiteral(" | Circuit 0 0 0 0 0 | Sound 0 0 0 0 0");
        QTest::newRow("light, ended by the third low sample")
            << "startle-example"
            << "1000|Start_Light\r\n1500|End_Light\r\n"
            << "N=1 M=1 T=100 | Light 1 1 100 300 5" + none
            << QStringList{"amplitude=5;durationMs=300;endMs=1400;startMs=1100;stimulusEndMs=1500;"
                           "stimulusStartMs=1000;type=Light;"}
            << QStringList{"ReactionLight 1 100/300/5"};
        QTest::newRow("light, ended by the first low sample after the stimulus")
            << "startle-example"
            << "1000|Start_Light\r\n1150|End_Light\r\n"
            << "N=1 M=1 T=100 | Light 1 1 100 100 5" + none
            << QStringList{"amplitude=5;durationMs=100;endMs=1200;startMs=1100;stimulusEndMs=1150;"
                           "stimulusStartMs=1000;type=Light;"}
            << QStringList{"ReactionLight 1 100/100/5"};
        QTest::newRow("a stimulus without its end is not searched")
            << "startle-example"
            << "1000|Start_Sound\r\n"
            << "N=0 M=0 T=0 | Light 0 0 0 0 0" + none << QStringList() << QStringList();
        QTest::newRow("every kind, one reaction at the recording's start")
            << "startle-kinds"
            << "0|Start_Light\r\n200|End_Light\r\n1000|Start_Circuit\r\n1300|End_Circuit\r\n2000|Start_Circuit\r\n"
               "2300|End_Circuit\r\n3000|Start_Sound\r\n3120|End_Sound\r\n3500|Start_Sound\r\n"
            << "N=4 M=4 T=87 | Light 1 1 0 150 9 | Circuit 2 2 125 149 7.5 | Sound 1 1 100 50 6"
            << QStringList{"amplitude=9;durationMs=150;endMs=150;startMs=0;stimulusEndMs=200;"
                           "stimulusStartMs=0;type=Light;",
                           "amplitude=8;durationMs=150;endMs=1250;startMs=1100;stimulusEndMs=1300;"
                           "stimulusStartMs=1000;type=Circuit;",
                           "amplitude=7;durationMs=149;endMs=2300;startMs=2151;stimulusEndMs=2300;"
                           "stimulusStartMs=2000;type=Circuit;",
                           "amplitude=6;durationMs=50;endMs=3150;startMs=3100;stimulusEndMs=3120;"
                           "stimulusStartMs=3000;type=Sound;"}
            << QStringList{"ReactionLight 1 0/150/9", "ReactionCircuit 1 100/150/8", "ReactionCircuit 2 151/149/7",
                           "ReactionSound 1 100/50/6"};
        // The samples end at 1400 ms: the later stimuli find no reaction but still count.
        QTest::newRow("stimuli without a reaction count among the stimuli")
            << "startle-example"
            << "1000|Start_Light\r\n1450|Start_Sound\r\n1500|End_Light\r\n1500|End_Sound\r\n"
               "1600|Start_Light\r\n1700|End_Light\r\n"
            << "N=3 M=1 T=100 | Light 2 1 100 300 5 | Circuit 0 0 0 0 0 | Sound 1 0 0 0 0"
            << QStringList{"amplitude=5;durationMs=300;endMs=1400;startMs=1100;stimulusEndMs=1500;"
                           "stimulusStartMs=1000;type=Light;"}
            << QStringList{"ReactionLight 1 100/300/5"};
        QTest::newRow("no recording") << QString() << "1000|Start_Light\r\n1500|End_Light\r\n"
                                      << "N=1 M=0 T=0 | Light 1 0 0 0 0" + none << QStringList() << QStringList();
    }

    // A finished run is analysed when first opened and keeps its analysis; later openings read
    // the stored reactions back.
    void analysisOfSensorRecordings()
    {
        QFETCH(QString, recording);
        QFETCH(QString, log);
        QFETCH(QString, totals);
        QFETCH(QStringList, reactions);
        QFETCH(QStringList, items);
        QTemporaryDir folder;
        const QString stats = folder.filePath(QStringLiteral("2025.01.01-10.00.00.000/Stats.xml"));
        QVERIFY(QDir().mkpath(QFileInfo(stats).path()));
        if (!recording.isEmpty())
            QVERIFY(QFile::copy(QFINDTESTDATA("fixtures/" + recording + "/Startle.csv"),
                                QFileInfo(stats).dir().filePath(QStringLiteral("Startle.csv"))));
        {
            Experiment_StartleReflex_Stats record(stats, false);
            record.setLog(log);
            record.setDurationMs(5000);
            record.setAverageReactionToAllStims(42);
            QVERIFY(record.save());
        }

        // Opening for review analyses in memory and writes nothing; a recalculation stores it.
        const QByteArray written = readFileBytes(stats);
        const Record first = opened(stats);
        QCOMPARE(totalsOf(*first), totals);
        QVERIFY(!first->getReactionsCalced());
        QCOMPARE(textsOf(first->reactions()), reactions);
        QCOMPARE(readFileBytes(stats), written);
        first->recalculate(true);
        QVERIFY(first->getReactionsCalced());
        Experiment_StartleReflex_Stats onDisk(stats, false);
        QVERIFY(onDisk.reload());
        QVERIFY(onDisk.getReactionsCalced());
        QCOMPARE(onDisk.getReactionsList().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts), reactions);

        const Record again = opened(stats);
        QCOMPARE(textsOf(again->reactions()), reactions);
        QCOMPARE(totalsOf(*again), totals);
        QCOMPARE(itemsOf(*again), items);
    }

    void scenarioRunMarksEveryEdge_data()
    {
        QTest::addColumn<int>("preambule");
        QTest::addColumn<int>("postambule");
        QTest::addColumn<int>("cycles");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("preambule, two cycles, postambule")
            << 2 << 1 << 2
            << QStringList{"50|StartPreambule", "2000|FinishPreambule", "2000|StartStimulation"}
                   + cycleFrom(2000, "1/2", false) + cycleFrom(3000, "2/2", false)
                   + QStringList{"4000|FinishStimulation", "4000|StartPostambule", "5000|FinishPostambule",
                                 "5000|FinishScenario"}
            << QStringList{"50|light 0,0 -1", "50|sound Both 0 -1", "50|grid 0.0 -1"} + cycleFrom(2000, "", true)
                   + cycleFrom(3000, "", true) + QStringList{"5000|off"}
            << QStringList{"Фаза преамбулы 2c", "Цикл 1/2", "Цикл 2/2", "Фаза постамбулы 1c", ""};
        const QStringList oneCycle{"50|StartStimulation",   "50|BeginCycle_1/%1",     "50|Start_Sound",
                                   "100|Start_Circuit",     "300|End_Sound",          "400|End_Circuit",
                                   "500|Start_Light",       "700|End_Light",          "700|Start_Light",
                                   "800|End_Light",         "900|Start_Sound",        "1000|End_Sound",
                                   "1000|FinishCycle_1/%1", "1000|FinishStimulation", "1000|FinishScenario"};
        QStringList noCycles = oneCycle;
        noCycles.replaceInStrings(QStringLiteral("%1"), QStringLiteral("0"));
        QTest::newRow("no preambule nor postambule")
            << 0 << 0 << 1 << QStringList(oneCycle).replaceInStrings(QStringLiteral("%1"), QStringLiteral("1"))
            << QStringList() << QStringList{"Цикл 1/1", ""};
        QTest::newRow("a scenario of no cycles runs its first")
            << 0 << 0 << 0 << noCycles << QStringList() << QStringList{"Цикл 1/0", ""};
    }

    // Opening the run while it records neither analyses it for good nor touches its files.
    // A run cut off after a save while it ran has a length but no stop: its analysis is shown,
    // and never stored, even when a recalculation is asked for.
    void aCutOffRunIsAnalysedButNeverStored()
    {
        QTemporaryDir folder;
        const QString stats = folder.filePath(QStringLiteral("2025.01.01-10.00.00.000/Stats.xml"));
        QVERIFY(QDir().mkpath(QFileInfo(stats).path()));
        {
            Experiment_StartleReflex_Stats record(stats, false);
            record.setDurationMs(10000);
            record.setFinished(false);
            QVERIFY(record.save());
        }
        const QByteArray written = readFileBytes(stats);
        const Record cut = opened(stats);
        cut->recalculate(true);
        QVERIFY(!cut->getReactionsCalced());
        QCOMPARE(readFileBytes(stats), written);
    }

    void scenarioRunMarksEveryEdge()
    {
        QFETCH(int, preambule);
        QFETCH(int, postambule);
        QFETCH(int, cycles);
        QFETCH(QStringList, log);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, texts);
        Run run(preambule, postambule, cycles);
        QSignalSpy cycleTexts(&run.experiment, &BaseExperiment::cyclesTextChanged);
        run.frames(0, 500);
        const QByteArray recording = readFileBytes(run.stats());
        QVERIFY(!opened(run.stats())->getReactionsCalced());
        QCOMPARE(readFileBytes(run.stats()), recording);
        QCOMPARE(QDir(run.experiment.runFolder()).entryList(QDir::Files).size(), 3);

        run.frames(550, 10000);
        QVERIFY(!run.experiment.isTriggered());
        QVERIFY(!run.device.gridLive());
        QCOMPARE(run.device.texts().constLast(), QStringLiteral("off"));
        if (!commands.isEmpty())
            QCOMPARE(run.commands(), commands);
        QStringList shown;
        for (const QList<QVariant>& text : cycleTexts)
            shown << text.at(0).toString();
        QCOMPARE(shown, texts);

        const Record record = opened(run.experiment.runFolder() + QStringLiteral("Stats.xml"));
        QCOMPARE(record->getLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts), log);
        QCOMPARE(record->getScenarioName(), QStringLiteral("pulses"));
        QCOMPARE(record->getDurationMs(), log.constLast().section(QLatin1Char('|'), 0, 0).toInt());
        record->recalculate(false);
        QVERIFY(record->getReactionsCalced());
        // No sensor recording: every stimulus that ended counts, none with a reaction.
        QCOMPARE(record->getStimulusCount(), log.filter(QStringLiteral("|End_")).size());
        QCOMPARE(record->getReactedStimulusCount(), 0);
    }

    void everyStimulusGivenIsCounted_data()
    {
        QTest::addColumn<qint64>("stopAtMs");
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QString>("totals");
        QTest::newRow("the sound steps end with their cycles")
            << qint64(-1) << QStringList{"100|Start_Light",  "300|End_Light",  "800|Start_Sound",  "1000|End_Sound",
                                         "1100|Start_Light", "1300|End_Light", "1800|Start_Sound", "2000|End_Sound"}
            << "N=4 M=0 T=0 | Light 2 0 0 0 0 | Circuit 0 0 0 0 0 | Sound 2 0 0 0 0";
        QTest::newRow("a stop inside a light pulse")
            << qint64(220) << QStringList{"100|Start_Light", "220|End_Light"}
            << "N=1 M=0 T=0 | Light 1 0 0 0 0 | Circuit 0 0 0 0 0 | Sound 0 0 0 0 0";
    }

    // Two cycles, each with a light pulse [100, 300) and a sound step [800, 1000): a stimulus cut
    // short by its cycle's end or by a stop ends where it is cut, and counts.
    void everyStimulusGivenIsCounted()
    {
        QFETCH(qint64, stopAtMs);
        QFETCH(QStringList, marks);
        QFETCH(QString, totals);
        Run run(0, 0, 2, {{KestrumBaseDevice::Light, 200, 100, 80}, {KestrumBaseDevice::Sound, 200, 800, 1000}});
        if (stopAtMs < 0) {
            run.frames(0, 10000);
        } else {
            run.frames(0, stopAtMs / 50 * 50);
            run.clock.advance(stopAtMs % 50);
            run.experiment.stop();
        }
        QVERIFY(!run.experiment.isTriggered());
        const Record record = opened(run.stats());
        const QStringList log = record->getLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(log.filter(QRegularExpression(QStringLiteral("\\|(Start|End)_"))), marks);
        QCOMPARE(totalsOf(*record), totals);
    }

    // Manual control takes the chamber in the middle of a light step and gives it back before the
    // step ends: the light goes off when it is taken and on again when it comes back.
    void manualControlInsideAStepGivesItBack()
    {
        Run run(0, 0, 1, {{KestrumBaseDevice::Light, 800, 100, 80}});
        run.frames(0, 300);
        run.clock.advance(20);
        run.experiment.deviceControlEnabled = false;
        run.experiment.setHeldByManualControl(true);
        run.clock.advance(260);
        run.experiment.deviceControlEnabled = true;
        run.experiment.setHeldByManualControl(false);
        run.frames(600, 10000);
        QCOMPARE(run.commands(),
                 QStringList({"50|light 0,0 -1", "50|sound Both 0 -1", "50|grid 0.0 -1", "100|light 80,80 -1",
                              "320|light 0,0 -1", "320|sound Both 0 -1", "320|grid 0.0 -1", "600|light 80,80 -1",
                              "600|sound Both 0 -1", "600|grid 0.0 -1", "900|light 0,0 -1", "1000|off", "1000|off"}));
        const QStringList log = opened(run.stats())->getLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(
            log.filter(QRegularExpression(QStringLiteral("_Light|ManualControl"))),
            QStringList({"100|Start_Light", "320|ManualControl_Taken", "580|ManualControl_Returned", "900|End_Light"}));
    }

    // A grid step lives only while frames renew it and the panel lets the paradigm drive the
    // chamber; a stop in its middle leaves the grid off.
    void shockEndsWithoutRenewalAndWithTheRun()
    {
        Run run(0, 0, 1);
        run.frames(0, 100);
        run.experiment.deviceControlEnabled = false;
        run.frames(150, 250);
        run.clock.advance(50);
        QVERIFY(run.device.gridLive());
        QVERIFY(!run.device.gridLiveAt(run.startMs + 350));
        run.experiment.deviceControlEnabled = true;
        run.frames(300, 300);
        run.clock.advance(20);
        run.experiment.stop();
        QCOMPARE(run.commands(),
                 QStringList({"50|light 0,0 -1", "50|sound Both 1000 250", "50|grid 0.0 -1", "100|grid 0.5 250",
                              "300|light 0,0 -1", "300|sound Both 0 -1", "300|grid 0.5 100", "320|off"}));
        QVERIFY(!run.device.gridLive());
        QVERIFY(opened(run.stats())->getLog().endsWith(QStringLiteral("300|End_Sound\r\n320|End_Circuit\r\n")));
    }
};

QTEST_MAIN(StartleReflexTest)
#include "tst_startlereflex.moc"
