#include "ExperimentScenario.h"
#include "KestrumConstants.h"
#include "TestFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

namespace {

std::unique_ptr<ExperimentScenario> parse(const QByteArray& json, QString* error = nullptr)
{
    return std::unique_ptr<ExperimentScenario>(ExperimentScenario::fromJson(json, error));
}

// A scenario file whose list `key` holds `count` steps of the value.
QByteArray scenarioWithSteps(const char* key, int count, const QByteArray& value)
{
    QByteArrayList steps;
    for (int i = 0; i < count; ++i)
        steps << R"({"type": "Light", "durationMs": 1, "delayBeforeMs": 0, "value": )" + value + '}';
    return QByteArray("{\"") + key + "\": [" + steps.join(',') + "]}";
}

} // namespace

class ExperimentScenarioTest : public QObject
{
    Q_OBJECT

private slots:
    void onlyAnEmptyLightListLoadsDefaults()
    {
        const auto scenario = parse(R"({"stepsLight": []})");
        QVERIFY(scenario);
        QVERIFY(scenario->isEmpty());
        QCOMPARE(scenario->cycleDurationMs, 10000);
        QCOMPARE(scenario->cyclesAmount, 1);
        QVERIFY(!scenario->parent());
    }

    void stepsLoadIntoTheListTheyWereReadFrom()
    {
        const auto scenario = parse(R"({
            "stepsLight": [{"type": "Light", "durationMs": 500, "delayBeforeMs": 100, "value": 80},
                           {"type": "Sound", "side": "Left", "durationMs": 1, "delayBeforeMs": 2, "value": 3.5},
                           {"type": "Bogus", "durationMs": 1, "delayBeforeMs": 2, "value": 3},
                           {"type": "Light", "durationMs": 1, "value": 3},
                           42, "text",
                           {"type": "Light", "side": "Nowhere", "durationMs": 7, "delayBeforeMs": 0, "value": null}],
            "stepsCircuit": [{"type": "Circuit", "durationMs": 2000, "delayBeforeMs": 0, "value": 0.4}],
            "cycleDurationMs": 30000,
            "cyclesAmount": null})");
        QVERIFY(scenario);
        QCOMPARE(scenario->stepsLight.size(), 2);
        const ScenarioStep* first = scenario->stepsLight.at(0);
        QCOMPARE(first->durationMs, 500);
        QCOMPARE(first->delayBeforeMs, 100);
        QCOMPARE(first->value, 80.0);
        QCOMPARE(first->side, KestrumBaseDevice::Both);
        QCOMPARE(first->type, KestrumBaseDevice::Light);
        // A step belongs to the list it was read from, whatever its type says.
        const ScenarioStep* second = scenario->stepsLight.at(1);
        QCOMPARE(second->type, KestrumBaseDevice::Light);
        QCOMPARE(second->side, KestrumBaseDevice::Left);
        QCOMPARE(second->value, 3.5);
        QCOMPARE(scenario->stepsCircuit.size(), 1);
        QCOMPARE(scenario->stepsCircuit.at(0)->value, 0.4);
        QVERIFY(scenario->stepsSound.isEmpty());
        QCOMPARE(scenario->cycleDurationMs, 30000);
        QCOMPARE(scenario->cyclesAmount, 1);
    }

    void badFilesAreRefusedWithAReason_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not json") << QByteArray("{\"stepsLight\": [") << QStringLiteral("not valid JSON");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("not valid JSON");
        QTest::newRow("array") << QByteArray("[1, 2]") << QStringLiteral("not a JSON object");
        QTest::newRow("negative duration")
            << QByteArray(R"({"stepsSound": [{"type": "Sound", "durationMs": -5, "delayBeforeMs": 0, "value": 1}]})")
            << QStringLiteral("step 1 of \"stepsSound\": a duration is negative");
        QTest::newRow("negative delay") << QByteArray(
            R"({"stepsLight": [{"type": "Light", "durationMs": 5, "delayBeforeMs": 0, "value": 1},
                                             {"type": "Light", "durationMs": 5, "delayBeforeMs": -1, "value": 1}]})")
                                        << QStringLiteral("step 2 of \"stepsLight\": a duration is negative");
        QTest::newRow("huge duration") << QByteArray(
            R"({"stepsLight": [{"type": "Light", "durationMs": 1e12, "delayBeforeMs": 0, "value": 1}]})")
                                       << QStringLiteral("out of range");
        QTest::newRow("infinite value") << QByteArray(
            R"({"stepsLight": [{"type": "Light", "durationMs": 1, "delayBeforeMs": 0, "value": "1e400"}]})")
                                        << QStringLiteral("step 1 of \"stepsLight\": the value is not a finite number");
        QTest::newRow("negative cycle") << QByteArray(R"({"cycleDurationMs": -1000})")
                                        << QStringLiteral("\"cycleDurationMs\" is negative");
        QTest::newRow("negative cycles") << QByteArray(R"({"cyclesAmount": -2})")
                                         << QStringLiteral("\"cyclesAmount\" is negative");

        // Values follow the list a step is in, whatever its type says.
        const QString light = QStringLiteral("step 1 of \"stepsLight\": the value %1 is outside 0 to 100 %");
        const QString current = QStringLiteral("step 1 of \"stepsCircuit\": the value %1 is outside 0 to 15 mA");
        QTest::newRow("negative light") << scenarioWithSteps("stepsLight", 1, "-1") << light.arg("-1");
        QTest::newRow("light above 100 %") << scenarioWithSteps("stepsLight", 1, "100.5") << light.arg("100.5");
        QTest::newRow("tone beyond the chambers")
            << scenarioWithSteps("stepsSound", 1, "10001")
            << QStringLiteral("step 1 of \"stepsSound\": the value 10001 is outside 0 to 10000 Hz");
        QTest::newRow("huge negative current")
            << scenarioWithSteps("stepsCircuit", 1, "-1e308") << current.arg("-1e+308");
        QTest::newRow("current beyond the chambers")
            << scenarioWithSteps("stepsCircuit", 1, QByteArray::number(KestrumConstants::MaxGridMilliamperes + 0.01))
            << current.arg("15.01");
        QTest::newRow("too many steps") << scenarioWithSteps("stepsSound", ExperimentScenario::MaxSteps + 1, "1")
                                        << QStringLiteral("more than %1 steps").arg(ExperimentScenario::MaxSteps);
        QByteArray oversized(ExperimentScenario::MaxFileBytes + 1, ' ');
        oversized.front() = '{';
        oversized.back() = '}';
        QTest::newRow("too large") << oversized
                                   << QStringLiteral("larger than %1 bytes").arg(ExperimentScenario::MaxFileBytes);
    }

    void badFilesAreRefusedWithAReason()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!parse(json, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    void loadReportsUnreadableFiles()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!ExperimentScenario::load(dir.filePath(QStringLiteral("missing.scn")), &error));
        QVERIFY(error.contains(QStringLiteral("missing.scn")));

        // A refused file stays as it was, and nothing is written beside it.
        QByteArray oversized = scenarioWithSteps("stepsLight", 1, "1");
        oversized.insert(1, QByteArray(ExperimentScenario::MaxFileBytes, ' '));
        const QList<std::pair<QByteArray, QString>> refused{
            {"{ garbage", QStringLiteral("not valid JSON")},
            {scenarioWithSteps("stepsLight", 2, "101"), QStringLiteral("step 1 of \"stepsLight\": the value 101")},
            {oversized, QStringLiteral("larger than")},
        };
        const QString bad = dir.filePath(QStringLiteral("bad.scn"));
        for (const auto& [content, reason] : refused) {
            QVERIFY(writeFileBytes(bad, content));
            QVERIFY(!ExperimentScenario::load(bad, &error));
            QVERIFY2(error.contains(reason) && error.contains(bad), qPrintable(error));
            QCOMPARE(readFileBytes(bad), content);
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"bad.scn"});
        }
        // The size is known before the whole file is read: an endless device is refused too.
        QVERIFY(!ExperimentScenario::load(QStringLiteral("/dev/zero"), &error));
        QVERIFY2(error.contains(QStringLiteral("larger than")), qPrintable(error));
    }

    // The largest scenario that loads saves into a file that loads again.
    void scenarioAtEveryLimitRoundTrips()
    {
        QTemporaryDir dir;
        ExperimentScenario scenario;
        const int perList = ExperimentScenario::MaxSteps / 3;
        const int never = std::numeric_limits<int>::max();
        // The longest a value is written.
        const double longest = std::numeric_limits<double>::min();
        const std::pair<KestrumBaseDevice::KestrumAction, double> highest[] = {
            {KestrumBaseDevice::Circuit, KestrumConstants::MaxGridMilliamperes},
            {KestrumBaseDevice::Light, 100.0},
            {KestrumBaseDevice::Sound, 10000.0}};
        for (const auto& [action, value] : highest)
            for (int i = 0; i < perList; ++i)
                scenario.addStep(action, new ScenarioStep(never, never, i % 2 ? value : longest));
        for (int i = 3 * perList; i < ExperimentScenario::MaxSteps; ++i)
            scenario.addStep(KestrumBaseDevice::Light, new ScenarioStep(never, never, 0.0));
        scenario.setFilePath(dir.filePath(QStringLiteral("largest.scn")));
        QVERIFY(scenario.save());
        QVERIFY(QFileInfo(scenario.filePath).size() <= ExperimentScenario::MaxFileBytes);
        QString error;
        const std::unique_ptr<ExperimentScenario> back(ExperimentScenario::load(scenario.filePath, &error));
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->toJson(), scenario.toJson());
    }

    void savedFileKeepsItsLayoutAndRoundTrips()
    {
        QTemporaryDir dir;
        ExperimentScenario scenario;
        scenario.setFilePath(dir.filePath(QStringLiteral("test.scn")));
        scenario.cycleDurationMs = 20000;
        scenario.cyclesAmount = 3;
        scenario.addStep(KestrumBaseDevice::Circuit, new ScenarioStep(1000, 5000, 0.3));
        scenario.addStep(KestrumBaseDevice::Light, new ScenarioStep(250, 0, 100));
        auto* sound = new ScenarioStep(40, 10, 4000);
        sound->side = KestrumBaseDevice::Right;
        scenario.addStep(2, sound);
        ScenarioStep stray;
        scenario.addStep(3, &stray);
        scenario.addStep(-1, &stray);
        QVERIFY(!scenario.stepsFor(3) && !scenario.stepsFor(-1));
        QCOMPARE(scenario.stepsFor(1), scenario.stepsFor(KestrumBaseDevice::Circuit));
        QSignalSpy saved(&scenario, &ExperimentScenario::saved);
        QVERIFY(scenario.save());
        QCOMPARE(saved.count(), 1);

        const QByteArray expected = "{\n"
                                    "    \"stepsCircuit\": [\n"
                                    "        {\n"
                                    "            \"type\": \"Circuit\",\n"
                                    "            \"durationMs\": 1000,\n"
                                    "            \"delayBeforeMs\": 5000,\n"
                                    "            \"value\": 0.3\n"
                                    "        }\n"
                                    "    ],\n"
                                    "    \"stepsLight\": [\n"
                                    "        {\n"
                                    "            \"type\": \"Light\",\n"
                                    "            \"side\": \"Both\",\n"
                                    "            \"durationMs\": 250,\n"
                                    "            \"delayBeforeMs\": 0,\n"
                                    "            \"value\": 100\n"
                                    "        }\n"
                                    "    ],\n"
                                    "    \"stepsSound\": [\n"
                                    "        {\n"
                                    "            \"type\": \"Sound\",\n"
                                    "            \"side\": \"Right\",\n"
                                    "            \"durationMs\": 40,\n"
                                    "            \"delayBeforeMs\": 10,\n"
                                    "            \"value\": 4000\n"
                                    "        }\n"
                                    "    ],\n"
                                    "    \"cycleDurationMs\": 20000,\n"
                                    "    \"cyclesAmount\": 3\n"
                                    "}\n";
        QCOMPARE(readFileBytes(scenario.filePath), expected);

        const std::unique_ptr<ExperimentScenario> back(ExperimentScenario::load(scenario.filePath));
        QVERIFY(back);
        QCOMPARE(back->filePath, scenario.filePath);
        QCOMPARE(back->toJson(), scenario.toJson());
        QVERIFY(!back->toJson()
                     .value(QStringLiteral("stepsCircuit"))
                     .toArray()
                     .at(0)
                     .toObject()
                     .contains(QStringLiteral("side")));
    }

    void lightStepWithoutSideIsSavedWithBoth()
    {
        QTemporaryDir dir;
        const auto scenario =
            parse(R"({"stepsLight": [{"type": "Light", "durationMs": 1, "delayBeforeMs": 0, "value": 2}]})");
        scenario->setFilePath(dir.filePath(QStringLiteral("a.scn")));
        QVERIFY(scenario->save());
        QVERIFY(readFileBytes(scenario->filePath).contains("\"side\": \"Both\""));
        // The scenario editor names the file with setName.
        scenario->setName(dir.filePath(QStringLiteral("b.scn")));
        QVERIFY(scenario->save());
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("b.scn"))));
    }

    void saveWithoutPathOrWritableFolderFails()
    {
        ExperimentScenario scenario;
        QSignalSpy saved(&scenario, &ExperimentScenario::saved);
        QVERIFY(!scenario.save());
        scenario.setFilePath(QStringLiteral("/proc/kestrum-no-such-folder/x.scn"));
        QVERIFY(!scenario.save());
        QCOMPARE(saved.count(), 0);
    }

    void failedSaveLeavesNothingHalfWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keep.scn"));
        ExperimentScenario scenario;
        scenario.setFilePath(path);
        QVERIFY(scenario.save());
        const QByteArray before = readFileBytes(path);
        // A folder where the file should go makes the replacement fail.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.scn")));
        scenario.setFilePath(dir.filePath(QStringLiteral("folder.scn")));
        scenario.addStep(KestrumBaseDevice::Light, new ScenarioStep(1, 1, 1));
        QSignalSpy saved(&scenario, &ExperimentScenario::saved);
        QVERIFY(!scenario.save());
        QCOMPARE(saved.count(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("folder.scn"), QStringLiteral("keep.scn")}));
        QVERIFY(QDir(dir.filePath(QStringLiteral("folder.scn"))).isEmpty());
        QCOMPARE(readFileBytes(path), before);
    }

    void stepsAreAddedOnlyToKnownLists()
    {
        ExperimentScenario scenario;
        scenario.addStep(KestrumBaseDevice::Sound, nullptr);
        auto* orphan = new ScenarioStep(1, 1, 1);
        scenario.addStep(static_cast<KestrumBaseDevice::KestrumAction>(7), orphan);
        QVERIFY(scenario.isEmpty());
        delete orphan;
        QVERIFY(!scenario.stepsFor(static_cast<KestrumBaseDevice::KestrumAction>(-1)));
        auto* light = new ScenarioStep(1, 2, 3);
        light->type = KestrumBaseDevice::Sound;
        scenario.addStep(KestrumBaseDevice::Light, light);
        QCOMPARE(light->type, KestrumBaseDevice::Light);
        QCOMPARE(scenario.stepsFor(KestrumBaseDevice::Light)->size(), 1);
    }

    void resetClearsDoneMarks()
    {
        ExperimentScenario scenario;
        for (auto action : {KestrumBaseDevice::Light, KestrumBaseDevice::Circuit, KestrumBaseDevice::Sound}) {
            auto* step = new ScenarioStep(1, 1, 1);
            step->done = true;
            scenario.addStep(action, step);
        }
        scenario.resetSteps();
        for (auto action : {KestrumBaseDevice::Light, KestrumBaseDevice::Circuit, KestrumBaseDevice::Sound})
            QVERIFY(!scenario.stepsFor(action)->at(0)->done);
    }

    void cloneIsIndependentOfItsOriginal()
    {
        auto original = std::make_unique<ExperimentScenario>();
        original->cyclesAmount = 4;
        original->setFilePath(QStringLiteral("/tmp/x.scn"));
        original->addStep(KestrumBaseDevice::Light, new ScenarioStep(10, 20, 30));
        const std::unique_ptr<ExperimentScenario> copy(original->clone());
        QCOMPARE(copy->toJson(), original->toJson());
        QCOMPARE(copy->filePath, original->filePath);
        original->stepsLight.at(0)->durationMs = 99;
        original->addStep(KestrumBaseDevice::Sound, new ScenarioStep(1, 1, 1));
        original.reset();
        QCOMPARE(copy->stepsLight.at(0)->durationMs, 10);
        QVERIFY(copy->stepsSound.isEmpty());
        QCOMPARE(copy->cyclesAmount, 4);
    }
};

QTEST_GUILESS_MAIN(ExperimentScenarioTest)
#include "tst_experimentscenario.moc"
