#include "Clock.h"
#include "Experiment_ActiveAvoidance.h"
#include "Experiment_ActiveAvoidance_Stats.h"
#include "RecordingDevice.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <semaphore>

namespace {

constexpr int left = 100;
constexpr int right = 500;
constexpr int lost = -1;

// An active avoidance run on a 640 x 480 camera, stepped frame by frame on a manual clock.
struct Run
{
    QTemporaryDir folder;
    ManualClock clock;
    RecordingDevice device{&clock};
    Experiment_ActiveAvoidance experiment{folder.path()};

    Run(int cycles, double start, double light, double pause, double electro)
    {
        experiment.setClock(&clock);
        experiment.initSettingsFile(false);
        experiment.setDevice(&device);
        experiment.setCyclesCount(cycles);
        experiment.setStartPhase(start);
        experiment.setLightPhase(light);
        experiment.setBreakPhase(pause);
        experiment.setElectrocutionPhase(electro);
        experiment.setCircuit(1.5);
        experiment.setLightBrightness(80);
        QImage dark(64, 48, QImage::Format_RGB32);
        dark.fill(Qt::black);
        QImage lit(64, 48, QImage::Format_RGB32);
        lit.fill(Qt::white);
        experiment.setBackgroundPair(dark, lit);
        experiment.start(true);
    }

    // One frame at run time `atMs` (the run starts on the first frame, at 0) with the rodent at
    // x, or lost from view; answers whether it is in danger.
    bool frame(qint64 atMs, int x)
    {
        clock.advance(atMs - (clock.monotonicMs() - startMs));
        bool inDanger = false;
        experiment.processFrame(x != lost, QSize(640, 480), QPoint(x, 240), QRect(), inDanger);
        return inDanger;
    }

    // Frames every 100 ms up to `untilMs`, the rodent at x.
    void frames(qint64 fromMs, qint64 untilMs, int x)
    {
        for (qint64 at = fromMs; at <= untilMs && experiment.isTriggered(); at += 100)
            frame(at, x);
    }

    // Commands as "<run ms> <command>".
    QStringList commands() const
    {
        QStringList list;
        for (const RecordingDevice::Command& command : device.commands())
            list << QString::number(command.atMs - startMs) + QLatin1Char(' ') + command.text;
        return list;
    }

    QString run() const { return experiment.runFolder(); }

    // A tone of 500 Hz with the light and one of 1000 Hz with the shock.
    void withTones()
    {
        experiment.setSoundToneLight(500);
        experiment.setSoundToneElectrocution(1000);
    }

    const qint64 startMs = clock.monotonicMs();
};

std::unique_ptr<Experiment_ActiveAvoidance_Stats> stored(const QString& runFolder)
{
    Experiment_ActiveAvoidance reader(QFileInfo(runFolder).dir().path());
    return std::unique_ptr<Experiment_ActiveAvoidance_Stats>(
        static_cast<Experiment_ActiveAvoidance_Stats*>(reader.createStats(runFolder + QStringLiteral("Stats.xml"))));
}

QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A row of the per-cycle table: "<title> <light onset s>|<light>|<electrocution>|<reaction ms>|
// <electrocutions>|<denials>|<length ms>"; a row that is not one cycle without a total says so.
QStringList rowsOf(Experiment_Stats& record)
{
    QStringList rows;
    for (Experiment_Stats* item : record.buildResult()) {
        auto* row = static_cast<Experiment_ActiveAvoidance_Stats*>(item);
        const bool oneCycle = std::isnan(row->getElectrocutionTime()) && row->getCyclesCount() == 1;
        rows << row->title() + QLatin1Char(' ')
                    + QStringList({number(row->getLightTime()), number(row->getAverageLightTime()),
                                   number(row->getAverageElectrocutionTime()), number(row->getAverageReactionTime()),
                                   number(row->getElectrocutionCount()), number(row->getDenialCount()),
                                   number(row->getDurationMs())})
                          .join(QLatin1Char('|'))
                    + (oneCycle ? QString() : QStringLiteral(" not one cycle"));
        delete item;
    }
    return rows;
}

// The summary of a stored record is that of its per-cycle table: its lists hold the rows' times
// row for row (floored: a time run up to a boundary carries a mark), its totals and counts are
// the rows' sums and its averages their means.
void summaryAgreesWithRows(Experiment_ActiveAvoidance_Stats& record)
{
    const QList<Experiment_Stats*> items = record.buildResult();
    QList<double> reactions;
    QList<double> lights;
    QList<double> shocks;
    int denials = 0;
    for (Experiment_Stats* item : items) {
        auto* row = static_cast<Experiment_ActiveAvoidance_Stats*>(item);
        reactions << std::floor(row->getAverageReactionTime());
        lights << row->getAverageLightTime();
        if (row->getElectrocutionCount() > 0)
            shocks << std::floor(row->getAverageElectrocutionTime());
        denials += row->getDenialCount();
    }
    const auto cycles = items.size();
    qDeleteAll(items);
    const auto listed = [](const QList<double>& times) {
        QString list;
        for (double ms : times)
            list += number(ms) + ';';
        return list;
    };
    const auto total = [](const QList<double>& times) { return std::accumulate(times.begin(), times.end(), 0.0); };
    QCOMPARE(record.getReactionTimes(), listed(reactions));
    QCOMPARE(record.getLightTimes(), listed(lights));
    QCOMPARE(record.getElectrocutionTimes(), listed(shocks));
    QCOMPARE(record.getCyclesCount(), cycles);
    QCOMPARE(record.getElectrocutionCount(), shocks.size());
    QCOMPARE(record.getDenialCount(), denials);
    QCOMPARE(record.getElectrocutionTime(), total(shocks));
    if (cycles == 0)
        return;
    QCOMPARE(record.getAverageReactionTime(), total(reactions) / cycles);
    QCOMPARE(record.getAverageLightTime(), total(lights) / cycles);
    QCOMPARE(record.getAverageElectrocutionTime(), total(shocks) / cycles);
}

// The commands of an undisturbed cycle of 2 / 2 / 2 / 5 s begun at `startMs` on the left, with
// the tones of 500 and 1000 Hz when asked; the run's last ends with the stop's all-off too.
QStringList undisturbedCycle(int startMs, bool withTones, bool last)
{
    const auto at = [startMs](int ms, const char* command) {
        return QString::number(startMs + ms) + QLatin1Char(' ') + QLatin1String(command);
    };
    QStringList commands{at(2000, "light 80,0 2000")};
    if (withTones)
        commands << at(2000, "sound Left 500 2000");
    commands << at(4000, "off") << at(6000, "grid 1.5 5000");
    if (withTones)
        commands << at(6000, "sound Left 1000 5000");
    commands << at(11000, "off");
    if (last)
        commands << at(11000, "off");
    return commands;
}

// The durations the chamber was told for one kind of stimulus ("light" or "grid"), in order.
QList<int> durationsSent(const QStringList& commands, const QString& kind)
{
    QList<int> durations;
    for (const QString& command : commands) {
        if (command.section(QLatin1Char(' '), 1, 1) == kind)
            durations << command.section(QLatin1Char(' '), -1).toInt();
    }
    return durations;
}

// Each light and shock the record counts lasted no longer than the chamber was told it would.
void stimulusTimesStayWithinWhatWasGiven(const Run& run, Experiment_ActiveAvoidance_Stats& record)
{
    const QStringList commands = run.commands();
    const auto withinSent = [](const QString& list, const QList<int>& sent) {
        const QStringList times = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        QCOMPARE(times.size(), sent.size());
        for (qsizetype i = 0; i < times.size(); ++i)
            QVERIFY2(times.at(i).toInt() <= sent.at(i), qPrintable(list + " against " + QString::number(sent.at(i))));
    };
    withinSent(record.getLightTimes(), durationsSent(commands, QStringLiteral("light")).mid(1));
    withinSent(record.getElectrocutionTimes(), durationsSent(commands, QStringLiteral("grid")));
}

} // namespace

class ActiveAvoidanceTest : public QObject
{
    Q_OBJECT

private slots:
    // Four 10 s cycles: avoided in the light, in the pause and under current, then a denial.
    void cyclesRunThroughEveryPhase()
    {
        Run run(4, 2, 3, 1, 4);
        run.withTones();
        QSignalSpy texts(&run.experiment, &BaseExperiment::cyclesTextChanged);
        run.frame(0, lost);
        QVERIFY(!run.experiment.isRunning());
        QVERIFY(run.device.commands().isEmpty());

        run.frames(0, 900, left);
        run.frames(1000, 2300, right);  // crossing while waiting is no reaction; lit on the right
        QVERIFY(run.frame(2400, lost)); // a lost frame is no crossing
        QVERIFY(!run.frame(2500, left));
        run.frames(2600, 15400, left);
        run.frames(15500, 26900, right);
        QVERIFY(run.frame(26950, right));
        run.frames(27000, 29900, left);
        run.frames(30000, 45000, left);
        QVERIFY(!run.experiment.isTriggered());

        QCOMPARE(run.commands(), QStringList({"0 light 0,0 -1",
                                              "2000 light 0,80 3000",
                                              "2000 sound Right 500 3000",
                                              "2500 off",
                                              "12000 light 80,0 3000",
                                              "12000 sound Left 500 3000",
                                              "15000 off",
                                              "22000 light 0,80 3000",
                                              "22000 sound Right 500 3000",
                                              "25000 off",
                                              "26000 grid 1.5 4000",
                                              "26000 sound Right 1000 4000",
                                              "27000 off",
                                              "32000 light 80,0 3000",
                                              "32000 sound Left 500 3000",
                                              "35000 off",
                                              "36000 grid 1.5 4000",
                                              "36000 sound Left 1000 4000",
                                              "40000 off",
                                              "40000 off"}));
        QVERIFY(!run.device.gridLive());
        QCOMPARE(texts.at(texts.size() - 2).at(0).toString(),
                 QStringLiteral("Cycle 4/4: Electro<span style=\"color: #C30\"> (1.5 mA)</span>"));
        QVERIFY(QFile::exists(run.run() + QStringLiteral("background.jpg")));
        QVERIFY(QFile::exists(run.run() + QStringLiteral("background2.jpg")));

        const auto record = stored(run.run());
        QCOMPARE(record->getLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
                 QStringList({"0|PhaseStart",
                              "2000|PhaseLight",
                              "2500|Reaction",
                              "5000|PhaseBreakSkipped",
                              "6000|PhaseElectroSkipped",
                              "10000|PhaseStart",
                              "12000|PhaseLight",
                              "15000|PhaseBreak",
                              "15500|Reaction",
                              "16000|PhaseElectroSkipped",
                              "20000|PhaseStart",
                              "22000|PhaseLight",
                              "25000|PhaseBreak",
                              "26000|PhaseElectro",
                              "27000|Reaction",
                              "30000|PhaseStart",
                              "32000|PhaseLight",
                              "35000|PhaseBreak",
                              "36000|PhaseElectro",
                              "40000|Finished"}));
        QCOMPARE(record->getCyclesCount(), 4);
        QCOMPARE(record->getDurationMs(), 40000);
        QCOMPARE(record->getTimeStamp(), run.clock.wallMs() - 40000);
        QCOMPARE(record->getCircuit(), 1.5);
        QCOMPARE(record->getSoundToneElectrocution(), 1000);
        QCOMPARE(record->getLightTimes(), QStringLiteral("500;3000;3000;3000;"));
        QCOMPARE(record->getReactionTimes(), QStringLiteral("500;3500;5000;8000;"));
        QCOMPARE(record->getElectrocutionTimes(), QStringLiteral("1000;4000;"));
        QCOMPARE(record->getElectrocutionCount(), 2);
        QCOMPARE(record->getDenialCount(), 1);
        QCOMPARE(record->getAverageReactionTime(), 4250.0);
        QCOMPARE(record->getAverageLightTime(), 2375.0);
        QCOMPARE(record->getAverageElectrocutionTime(), 1250.0);
        QCOMPARE(rowsOf(*record),
                 QStringList({"Цикл 1 2|500|0|500|0|0|10000", "Цикл 2 12|3000|0|3500|0|0|10000",
                              "Цикл 3 22|3000|1000.005|5000|1|0|10000", "Цикл 4 32|3000|4000.005|8000.005|1|1|10000"}));
    }

    // No waiting phase and no pause: each cycle begins lit and goes straight to the current.
    void zeroLengthPhasesAreSkippedUnlogged()
    {
        Run run(2, 0, 1, 0, 1);
        run.frames(0, 5000, left);
        QCOMPARE(run.commands(),
                 QStringList({"0 light 0,0 -1", "0 light 80,0 1000", "1000 off", "1000 grid 1.5 1000", "2000 off",
                              "2000 light 80,0 1000", "3000 off", "3000 grid 1.5 1000", "4000 off", "4000 off"}));
        const auto record = stored(run.run());
        QCOMPARE(record->getLog(), QStringLiteral("0|PhaseLight\r\n1000|PhaseElectro\r\n2000|PhaseLight\r\n"
                                                  "3000|PhaseElectro\r\n4000|Finished\r\n"));
        QCOMPARE(record->getCyclesCount(), 2);
        QCOMPARE(record->getDenialCount(), 2);
        QCOMPARE(rowsOf(*record),
                 QStringList({"Цикл 1 0|1000|1000.005|2000.005|1|1|2000", "Цикл 2 2|1000|1000.005|2000.005|1|1|2000"}));
    }

    // Frames 30 ms apart enter each phase up to a frame after its scheduled onset: the rows of the
    // per-cycle table show the times the record stores, the cycle the stop cut short included.
    void cycleRowsShowTheStoredTimes()
    {
        Run run(4, 1, 2, 1, 2);
        qint64 at = 0;
        const auto until = [&](qint64 endMs, int x) {
            for (; at <= endMs; at += 30)
                run.frame(at, x);
        };
        until(2500, left);   // avoided in the light
        until(10500, right); // avoided under current
        until(20500, left);  // a denial, then a cycle cut short in the light
        run.experiment.stop();

        const auto record = stored(run.run());
        summaryAgreesWithRows(*record);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(QString(record->getElectrocutionTimes()).count(';'), 2);
        const QList<Experiment_Stats*> items = record->buildResult();
        QCOMPARE(items.size(), 4);
        // The denial ran to the cycle's end; the cut cycle's light and reaction run from the frame
        // that switched the light on, a frame after its scheduled onset, to the stop.
        auto* denial = static_cast<Experiment_ActiveAvoidance_Stats*>(items.at(2));
        QVERIFY(denial->getAverageReactionTime() > std::floor(denial->getAverageReactionTime()));
        auto* cut = static_cast<Experiment_ActiveAvoidance_Stats*>(items.at(3));
        const double litMs = record->getDurationMs() - std::round(cut->getLightTime() * 1000);
        QVERIFY(litMs < cut->getDurationMs() - 1000);
        QCOMPARE(cut->getAverageLightTime(), litMs);
        QCOMPARE(cut->getAverageReactionTime(), litMs + 0.005);
        qDeleteAll(items);
    }

    // Three 10 s cycles planned, cut to two once the run goes: avoided in the light, then the
    // second stopped in each phase. The stop closes that cycle as the table does, and one stopped
    // before its light is no trial; every save holds the cycles counted so far.
    void stoppedRunAgreesWithItsCycles_data()
    {
        QTest::addColumn<int>("crossMs");
        QTest::addColumn<int>("stopMs");
        QTest::addColumn<int>("savedCycles");
        QTest::addColumn<QStringList>("rows");
        const QString first = QStringLiteral("Цикл 1 2|500|0|500|0|0|10000");
        QTest::newRow("before the first light") << -1 << 1500 << 0 << QStringList();
        QTest::newRow("waiting, the light not yet on") << -1 << 11000 << 1 << QStringList({first});
        QTest::newRow("light, unreacted")
            << -1 << 13500 << 2 << QStringList({first, "Цикл 2 12|1500|0|1500.005|0|0|3500"});
        QTest::newRow("light, reacted") << 13000 << 13500 << 2
                                        << QStringList({first, "Цикл 2 12|1000|0|1000|0|0|3500"});
        QTest::newRow("break") << -1 << 15500 << 2 << QStringList({first, "Цикл 2 12|3000|0|3500.005|0|0|5500"});
        QTest::newRow("shock, unreacted")
            << -1 << 17500 << 2 << QStringList({first, "Цикл 2 12|3000|1500.005|5500.005|1|1|7500"});
        QTest::newRow("shock, escaped") << 17000 << 17500 << 2
                                        << QStringList({first, "Цикл 2 12|3000|1000.005|5000|1|0|7500"});
        QTest::newRow("ends by itself") << -1 << 30000 << -1
                                        << QStringList({first, "Цикл 2 12|3000|4000.005|8000.005|1|1|10000"});
    }

    void stoppedRunAgreesWithItsCycles()
    {
        QFETCH(int, crossMs);
        QFETCH(int, stopMs);
        QFETCH(int, savedCycles);
        QFETCH(QStringList, rows);
        Run run(3, 2, 3, 1, 4);
        // Lit on the left and crossed at 2.5 s; lit on the right in the second cycle.
        const auto side = [crossMs](qint64 atMs) {
            return atMs < 2500 || (crossMs >= 0 && atMs >= crossMs) ? left : right;
        };
        run.frame(0, left);
        run.experiment.setCyclesCount(2);
        for (qint64 at = 100; at <= stopMs && run.experiment.isTriggered(); at += 100)
            run.frame(at, side(at));
        if (savedCycles >= 0) {
            const auto saved = stored(run.run());
            QCOMPARE(saved->getCyclesCount(), savedCycles);
            QCOMPARE(saved->getTotalCyclesCount(), 3);
            if (savedCycles > 0)
                QCOMPARE(saved->getAverageReactionTime(), saved->getReactionTime() / savedCycles);
            run.experiment.stop();
        }
        QVERIFY(!run.experiment.isTriggered());

        const auto record = stored(run.run());
        QCOMPARE(rowsOf(*record), rows);
        QCOMPARE(record->getTotalCyclesCount(), 3);
        summaryAgreesWithRows(*record);
        // A run without a trial has nothing to average, whatever the file stores.
        for (const char* average : {"AverageReactionTime", "AverageLightTime", "AverageElectrocutionTime"})
            QCOMPARE(record->resultValue(QLatin1String(average)).isValid(), !rows.isEmpty());
    }

    // Phases of 2 / 2 / 2 / 5 s, the rodent on the left until the first frame at or past a phase
    // boundary shows it across: on time, that frame shows where the animal was as the phase ended,
    // so it crossed in that phase, and the frame switches on nothing that the crossing would
    // switch off.
    void crossingSeenOnTheFrameEnteringAPhase_data()
    {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<int>("boundaryMs");
        QTest::addColumn<int>("shocks");
        QTest::addColumn<int>("denials");
        for (int interval : {30, 33, 40, 47, 70, 100}) {
            const auto row = [interval](const char* phase) -> QTestData& {
                return QTest::addRow("%s, frames every %d ms", phase, interval) << interval;
            };
            row("crossing as the light comes on") << 2000 << 1 << 1;
            row("crossing as the light ends") << 4000 << 0 << 0;
            row("crossing as the shock would begin") << 6000 << 0 << 0;
            row("crossing as the shock ends") << 11000 << 1 << 0;
        }
    }

    void crossingSeenOnTheFrameEnteringAPhase()
    {
        QFETCH(int, intervalMs);
        QFETCH(int, boundaryMs);
        QFETCH(int, shocks);
        QFETCH(int, denials);
        Run run(1, 2, 2, 2, 5);
        run.withTones();
        qint64 crossedAt = -1;
        for (qint64 at = 0; run.experiment.isTriggered(); at += intervalMs) {
            if (crossedAt < 0 && at >= boundaryMs)
                crossedAt = at;
            run.frame(at, crossedAt < 0 ? left : right);
        }
        for (const QString& command : run.commands()) {
            if (command.startsWith(QString::number(crossedAt) + QLatin1Char(' ')))
                QVERIFY2(boundaryMs == 2000 || command.endsWith(QLatin1String(" off")), qPrintable(command));
        }
        const auto record = stored(run.run());
        QCOMPARE(record->getElectrocutionCount(), shocks);
        QCOMPARE(record->getDenialCount(), denials);
        QCOMPARE(run.commands().filter(QStringLiteral(" grid ")).size(), shocks);
        QVERIFY(record->getLog().contains(QStringLiteral("|Reaction")) == (boundaryMs > 2000));
        stimulusTimesStayWithinWhatWasGiven(run, *record);
        summaryAgreesWithRows(*record);
    }

    // Phases of 2 / 1 / 1 / 3 s and no crossing, at frame rates that keep up: each light and each
    // shock the record counts lasted no longer than its phase nor than the chamber was told.
    void stimulusTimesStayWithinTheirPhases()
    {
        for (int interval : {30, 33, 40, 47, 70, 100, 130, 190}) {
            Run run(3, 2, 1, 1, 3);
            for (qint64 at = 0; run.experiment.isTriggered(); at += interval)
                run.frame(at, left);
            const auto record = stored(run.run());
            QCOMPARE(record->getCyclesCount(), 3);
            stimulusTimesStayWithinWhatWasGiven(run, *record);
            summaryAgreesWithRows(*record);
            if (QTest::currentTestFailed())
                qWarning() << "frames every" << interval << "ms";
        }
    }

    // Two cycles of 2 / 2 / 2 / 5 s, the rodent never crossing, with manual control taken after
    // the frame at `takeMs` and given back before the frame at `backMs`. Taking the device
    // switches off what the run gave and closes the cycle under way as a stop does; nothing is
    // given or counted while it is held, and a whole cycle begins when it comes back.
    void manualControlEndsTheCycleUnderWay_data()
    {
        QTest::addColumn<int>("takeMs");
        QTest::addColumn<int>("backMs");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("rows");
        const auto cycle = [](int startMs, bool last = true) { return undisturbedCycle(startMs, false, last); };
        const QString whole = QStringLiteral("|2000|5000.005|9000.005|1|1|11000");
        const QStringList lit{"0 light 0,0 -1", "2000 light 80,0 2000"};
        QTest::newRow("waiting, back while waiting")
            << 1000 << 1500 << QStringList({"0 light 0,0 -1"}) + cycle(1500, false) + cycle(12500)
            << QStringList({"Цикл 1 3.5" + whole, "Цикл 2 14.5" + whole});
        QTest::newRow("light, back in the light")
            << 3000 << 3500 << lit + QStringList({"3000 off"}) + cycle(3500)
            << QStringList({"Цикл 1 2|1000|0|1000.005|0|0|3000", "Цикл 2 5.5" + whole});
        QTest::newRow("break, back when the shock was due")
            << 5000 << 7000 << lit + QStringList({"4000 off"}) + cycle(7000)
            << QStringList({"Цикл 1 2|2000|0|3000.005|0|0|5000", "Цикл 2 9" + whole});
        QTest::newRow("shock, back in the shock")
            << 6500 << 8500 << lit + QStringList({"4000 off", "6000 grid 1.5 5000", "6500 off"}) + cycle(8500)
            << QStringList({"Цикл 1 2|2000|500.005|4500.005|1|1|6500", "Цикл 2 10.5" + whole});
        QTest::newRow("shock, back past the cycle's end")
            << 6500 << 12000 << lit + QStringList({"4000 off", "6000 grid 1.5 5000", "6500 off"}) + cycle(12000)
            << QStringList({"Цикл 1 2|2000|500.005|4500.005|1|1|6500", "Цикл 2 14" + whole});
        QTest::newRow("the last trial taken ends the run")
            << 14000 << 20000
            << lit
                   + QStringList({"4000 off", "6000 grid 1.5 5000", "11000 off", "13000 light 80,0 2000", "14000 off",
                                  "14000 off"})
            << QStringList({"Цикл 1 2" + whole, "Цикл 2 13|1000|0|1000.005|0|0|3000"});
    }

    void manualControlEndsTheCycleUnderWay()
    {
        QFETCH(int, takeMs);
        QFETCH(int, backMs);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, rows);
        Run run(2, 2, 2, 2, 5);
        for (qint64 at = 0; at < 60000 && run.experiment.isTriggered(); at += 100) {
            if (at == backMs) {
                run.experiment.deviceControlEnabled = true;
                run.experiment.setHeldByManualControl(false);
            }
            // The animal crosses while the device is held: no reaction is counted.
            run.frame(at, at > takeMs && at < backMs ? right : left);
            if (at == takeMs) {
                run.experiment.deviceControlEnabled = false;
                run.experiment.setHeldByManualControl(true);
            }
        }
        QVERIFY(!run.experiment.isTriggered());
        QVERIFY(!run.device.gridLive());
        QCOMPARE(run.commands(), commands);
        const auto record = stored(run.run());
        QVERIFY(!record->getLog().contains(QStringLiteral("|Reaction")));
        QCOMPARE(rowsOf(*record), rows);
        summaryAgreesWithRows(*record);
    }

    // A record saved while its run went on (no stop): its summary counts the cycles its rows list,
    // and leaves out what only the close of a trial under way would settle.
    void interruptedRecordAgreesWithItsRows()
    {
        for (const int savedAtMs : {17500, 20500, 23000}) {
            Run run(3, 2, 3, 1, 4);
            run.frames(0, 2400, left);
            run.frames(2500, savedAtMs, right); // avoided in the light, then denials
            const auto record = stored(run.run());
            QVERIFY(record->isUnfinished());
            const QList<Experiment_Stats*> items = record->buildResult();
            const bool inATrial = savedAtMs != 20500;
            QCOMPARE(record->resultValue(QStringLiteral("CyclesCount")).toInt(), items.size());
            int shocks = 0;
            for (Experiment_Stats* item : items)
                shocks += static_cast<Experiment_ActiveAvoidance_Stats*>(item)->getElectrocutionCount();
            qDeleteAll(items);
            for (const char* name : {"ElectrocutionCount", "DenialCount", "ElectrocutionTime", "AverageReactionTime"})
                QCOMPARE(record->resultValue(QLatin1String(name)).isValid(), !inATrial);
            if (!inATrial)
                QCOMPARE(record->resultValue(QStringLiteral("ElectrocutionCount")).toInt(), shocks);
        }
    }

    // Phases of 2 / 2 / 2 / 5 s with tones, the rodent never crossing, and frames stalled from one
    // frame to the next: the frame that comes back passes every phase that ended meanwhile
    // without its stimulus, a cycle whose light never came on gives no shock, each stimulus is
    // armed only up to its phase's end, and the record counts what was given.
    void stallGivesOnlyWhatItsPhasesAllow_data()
    {
        QTest::addColumn<int>("lastFrameMs");
        QTest::addColumn<int>("backMs");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("skipped");
        QTest::addColumn<QString>("lights");
        QTest::addColumn<QString>("shocks");
        QTest::addColumn<QString>("reactions");
        // The undisturbed second cycle of the run, begun at `startMs`.
        const auto lastCycle = [](int startMs) { return undisturbedCycle(startMs, true, true); };
        const QStringList lit{"0 light 0,0 -1", "2000 light 80,0 2000", "2000 sound Left 500 2000"};
        // A light switched on late is counted from when it was.
        QTest::newRow("a frame a little late")
            << 1900 << 2100
            << QStringList({"0 light 0,0 -1", "2100 light 80,0 1900", "2100 sound Left 500 1900", "4000 off",
                            "6000 grid 1.5 5000", "6000 sound Left 1000 5000", "11000 off"})
                   + lastCycle(11000)
            << QStringList() << "1900;2000;"
            << "5000;5000;"
            << "8900;9000;";
        QTest::newRow("ends in the light")
            << 1900 << 3000
            << QStringList({"0 light 0,0 -1", "3000 light 80,0 1000", "3000 sound Left 500 1000", "4000 off",
                            "6000 grid 1.5 5000", "6000 sound Left 1000 5000", "11000 off"})
                   + lastCycle(11000)
            << QStringList() << "1000;2000;"
            << "5000;5000;"
            << "8000;9000;";
        QTest::newRow("ends in the break")
            << 3900 << 5000
            << lit + QStringList({"5000 off", "6000 grid 1.5 5000", "6000 sound Left 1000 5000", "11000 off"})
                   + lastCycle(11000)
            << QStringList() << "2000;2000;"
            << "5000;5000;"
            << "9000;9000;";
        QTest::newRow("ends under current")
            << 3900 << 7000
            << lit + QStringList({"7000 off", "7000 grid 1.5 4000", "7000 sound Left 1000 4000", "11000 off"})
                   + lastCycle(11000)
            << QStringList({"7000|PhaseBreakSkipped"}) << "2000;2000;"
            << "4000;5000;"
            << "9000;9000;";
        QTest::newRow("from the light past the cycle's end")
            << 3900 << 12000 << lit + QStringList({"12000 off"}) + lastCycle(12000)
            << QStringList({"12000|PhaseBreakSkipped", "12000|PhaseElectroSkipped"}) << "2000;2000;"
            << "5000;"
            << "9000;9000;";
        QTest::newRow("from the wait past the light")
            << 1900 << 7000 << QStringList({"0 light 0,0 -1"}) + lastCycle(11000)
            << QStringList({"7000|PhaseLightSkipped", "7000|PhaseBreakSkipped", "7000|PhaseElectroSkipped"}) << "2000;"
            << "5000;"
            << "9000;";
        QTest::newRow("from under current past the cycle's end")
            << 8000 << 12000
            << lit + QStringList({"4000 off", "6000 grid 1.5 5000", "6000 sound Left 1000 5000", "12000 off"})
                   + lastCycle(12000)
            << QStringList() << "2000;2000;"
            << "5000;5000;"
            << "9000;9000;";
    }

    void stallGivesOnlyWhatItsPhasesAllow()
    {
        QFETCH(int, lastFrameMs);
        QFETCH(int, backMs);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, skipped);
        QFETCH(QString, lights);
        QFETCH(QString, shocks);
        QFETCH(QString, reactions);
        Run run(2, 2, 2, 2, 5);
        run.withTones();
        for (qint64 at = 0; at < 60000 && run.experiment.isTriggered(); at += 100) {
            if (at <= lastFrameMs || at >= backMs)
                run.frame(at, left);
        }
        QVERIFY(!run.experiment.isTriggered());
        QCOMPARE(run.commands(), commands);

        const auto record = stored(run.run());
        QCOMPARE(record->getLog().split(QStringLiteral("\r\n")).filter(QStringLiteral("Skipped")), skipped);
        QCOMPARE(record->getLightTimes(), lights);
        QCOMPARE(record->getElectrocutionTimes(), shocks);
        QCOMPARE(record->getReactionTimes(), reactions);
        QCOMPARE(record->getCyclesCount(), QString(reactions).count(';'));
        QCOMPARE(record->getDenialCount(), QString(shocks).count(';'));
        summaryAgreesWithRows(*record);
    }

    // The current follows the setting during a shock, for the rest of the phase only; a stop
    // in the second cycle records two cycles and leaves the grid off.
    void shockFollowsTheCurrentAndEndsWithTheRun()
    {
        Run run(5, 0, 1, 0, 3);
        QSignalSpy texts(&run.experiment, &BaseExperiment::cyclesTextChanged);
        run.frames(0, 1900, left);
        run.frame(2000, right);
        run.experiment.setCircuit(3.0); // avoided: nothing to resend
        QCOMPARE(texts.last().at(0).toString(), QStringLiteral("Cycle 1/5: Avoided"));
        run.frames(2100, 6000, right);
        run.device.takeTexts();
        run.experiment.setCircuit(3.5);
        QCOMPARE(run.device.takeTexts(), QStringList({"grid 3.5 2000"}));
        QCOMPARE(texts.last().at(0).toString(),
                 QStringLiteral("Cycle 2/5: Electro<span style=\"color: #C30\"> (3.5 mA)</span>"));
        run.frame(6500, right);
        QVERIFY(run.device.gridLive());
        run.experiment.stop();
        QCOMPARE(run.device.takeTexts(), QStringList({"off"}));
        QVERIFY(!run.device.gridLive());
        QVERIFY(!run.device.gridLiveAt(run.clock.monotonicMs() + 60000));
        QCOMPARE(texts.last().at(0).toString(), QString());

        const auto record = stored(run.run());
        QCOMPARE(record->getCyclesCount(), 2);
        QVERIFY(record->getLog().endsWith(QStringLiteral("6500|Finished\r\n")));
        // The record keeps the current the run began with, and its log every change and when.
        QCOMPARE(record->getCircuit(), 1.5);
        QStringList log = record->getLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(log.filter(QStringLiteral("|Circuit_")), QStringList({"2000|Circuit_3", "6000|Circuit_3.5"}));
        // The per-cycle table is that of the log without them.
        log.removeIf([](const QString& line) { return line.contains(QStringLiteral("|Circuit_")); });
        Experiment_ActiveAvoidance_Stats unchanged(run.run() + QStringLiteral("Stats.xml"), false);
        QVERIFY(unchanged.reload());
        unchanged.setLog(log.join(QStringLiteral("\r\n")));
        QCOMPARE(rowsOf(*record), rowsOf(unchanged));
    }

    // The panel's device-control switch and the manual-control flag each keep the paradigm off
    // the chamber (but for the start's light-off), and the run goes on; what the paradigm
    // switched on before the panel took the chamber over is still switched off.
    void devicePassesOnlyWhatControlAllows()
    {
        for (const QString& mode : {"panel", "manual", "taken during the shock"}) {
            Run run(1, 0, 1, 0, 1);
            run.experiment.deviceControlEnabled = mode != QLatin1String("panel");
            run.experiment.setManualControl(mode != QLatin1String("manual"));
            run.frames(0, 1500, left);
            run.experiment.deviceControlEnabled = false;
            run.frames(1600, 2000, right);
            const QStringList expected = mode.startsWith(QLatin1String("taken"))
                                             ? QStringList({"0 light 0,0 -1", "0 light 80,0 1000", "1000 off",
                                                            "1000 grid 1.5 1000", "1600 off", "2000 off"})
                                             : QStringList({"0 light 0,0 -1", "2000 off"});
            QCOMPARE(run.commands(), expected);
            QCOMPARE(stored(run.run())->getLog(), QStringLiteral("0|PhaseLight\r\n1000|PhaseElectro\r\n"
                                                                 "1600|Reaction\r\n2000|Finished\r\n"));
        }
    }

    void perCycleTableFromAStoredRecord_data()
    {
        QTest::addColumn<QString>("log");
        QTest::addColumn<int>("durationMs");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("finished");
        const QString twoCycles = QStringLiteral("0|PhaseStart\r\n2000|PhaseLight\r\n5000|PhaseBreak\r\n"
                                                 "6000|PhaseElectro\r\n10000|PhaseStart\r\n12000|PhaseLight\r\n"
                                                 "12700|Reaction\r\n15000|PhaseBreakSkipped\r\n"
                                                 "16000|PhaseElectroSkipped\r\n");
        const QString first = QStringLiteral("Цикл 1 2|3000|4000.005|8000.005|1|1|10000");
        QTest::newRow("empty log") << QString() << 0 << QStringList() << true;
        QTest::newRow("finished") << twoCycles + QStringLiteral("20000|Finished\r\n") << 0
                                  << QStringList({first, "Цикл 2 12|700|0|700|0|0|10000"}) << true;
        QTest::newRow("ends at the run's length")
            << twoCycles << 18000 << QStringList({first, "Цикл 2 12|700|0|700|0|0|0"}) << true;
        QTest::newRow("ends where earlier cycles did")
            << twoCycles + QStringLiteral("20000|PhaseStart\r\n22000|PhaseLight\r\n") << 0
            << QStringList({first, "Цикл 2 12|700|0|700|0|0|10000", "Цикл 3 22|0|0|8000.005|0|0|0"}) << true;
        QTest::newRow("one unfinished cycle") << QStringLiteral("0|PhaseStart\r\n2000|PhaseLight\r\n") << 0
                                              << QStringList({"Цикл 1 2|0|0|58000.005|0|0|0"}) << true;
        QTest::newRow("garbage lines are left out")
            << QStringLiteral("x|PhaseStart\r\n-5|PhaseStart\r\nno bar\r\n99999999999|PhaseLight\r\n") << 0
            << QStringList() << true;
        // A run cut off (a crash) ends no measure of its last cycle: what it was still measuring,
        // and without a reaction the shock it would have had, has no value.
        const QString none = number(std::numeric_limits<int>::min());
        QTest::newRow("cut off under current")
            << twoCycles
                   + QStringLiteral(
                       "20000|PhaseStart\r\n22000|PhaseLight\r\n25000|PhaseBreak\r\n26000|PhaseElectro\r\n")
            << 20000 << QStringList({first, "Цикл 2 12|700|0|700|0|0|10000", "Цикл 3 22|3000|nan|nan|1|" + none + "|0"})
            << false;
        QTest::newRow("cut off in the light")
            << twoCycles + QStringLiteral("20000|PhaseStart\r\n22000|PhaseLight\r\n") << 20000
            << QStringList(
                   {first, "Цикл 2 12|700|0|700|0|0|10000", "Цикл 3 22|nan|nan|nan|" + none + "|" + none + "|0"})
            << false;
        QTest::newRow("cut off after a reaction")
            << twoCycles + QStringLiteral("20000|PhaseStart\r\n22000|PhaseLight\r\n22500|Reaction\r\n") << 20000
            << QStringList({first, "Цикл 2 12|700|0|700|0|0|10000", "Цикл 3 22|500|0|500|0|0|0"}) << false;
    }

    void perCycleTableFromAStoredRecord()
    {
        QFETCH(QString, log);
        QFETCH(int, durationMs);
        QFETCH(QStringList, rows);
        QFETCH(bool, finished);
        QTemporaryDir folder;
        const QString run = folder.filePath(QStringLiteral("2025.01.01-10.00.00.000/"));
        QVERIFY(QDir().mkpath(run));
        {
            Experiment_ActiveAvoidance_Stats record(run + QStringLiteral("Stats.xml"), false);
            record.setLog(log);
            record.setDurationMs(durationMs);
            record.setFinished(finished);
            QVERIFY(record.save());
        }
        QCOMPARE(rowsOf(*stored(run)), rows);
    }

    // The detector steps the run in its thread while the user interface changes the settings
    // and stops it; the device takes the commands in its own. The detector keeps at most a few
    // frames ahead of the changes, so the run is as long as the work of both, however the
    // scheduler and the run's lock favour either thread.
    void detectorAndUserInterfaceShareTheRun()
    {
        constexpr int changes = 200;
        constexpr int framesPerChange = 10;
        Run run(1000, 0, 1, 0, 1);
        std::counting_semaphore<> framesAllowed(framesPerChange);
        QThread* detector = QThread::create([&run, &framesAllowed] {
            for (qint64 at = 0; run.experiment.isTriggered(); at += 10) {
                framesAllowed.acquire();
                run.frame(at, (at / 1500) % 2 ? left : right);
            }
        });
        detector->start();
        QTRY_VERIFY(run.experiment.isRunning());
        for (int i = 0; i < changes; ++i) {
            run.experiment.setCircuit(1.0 + (i % 10) / 10.0);
            run.experiment.setLightBrightness(50 + i % 50);
            framesAllowed.release(framesPerChange);
            QCoreApplication::processEvents();
        }
        run.experiment.stop();
        // Enough for every frame the detector may still be waiting to step.
        framesAllowed.release(framesPerChange);
        QVERIFY(detector->wait(10000));
        delete detector;
        QCoreApplication::processEvents();
        QVERIFY(!run.device.gridLive());
        QCOMPARE(run.device.texts().constLast(), QStringLiteral("off"));
        QVERIFY(stored(run.run())->getLog().endsWith(QStringLiteral("|Finished\r\n")));
    }
};

QTEST_MAIN(ActiveAvoidanceTest)
#include "tst_activeavoidance.moc"
