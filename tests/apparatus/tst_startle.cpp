#include "GlobalConsole.h"
#include "HandedOverDevice.h"
#include "SerialPortEnumerator.h"
#include "StartleSensor.h"

#include <QDate>
#include <QFile>
#include <QPointer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A sample's fields as columns of a data table.
void addSampleColumns()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("z");
    QTest::addColumn<qint64>("t");
}

struct StartleRig : HandedOverDevice<StartleSensor>
{
    StartleRig()
        : HandedOverDevice(QStringLiteral("Startle"), QStringLiteral("Startle sensor"))
    {
    }

    // Sends the lines and waits until the sensor has turned each into a sample.
    QList<SensorSample> samples(const QList<QByteArray>& lines)
    {
        QSignalSpy spy(device.get(), &StartleSensor::sensorSample);
        for (const QByteArray& line : lines)
            board.send(line);
        QList<SensorSample> result;
        while (spy.count() < lines.size()) {
            if (!spy.wait(5000))
                return result;
        }
        for (const QList<QVariant>& arguments : std::as_const(spy))
            result.append(arguments.first().value<SensorSample>());
        return result;
    }

    // Answers the serial-number request once the sensor has started, with what it saw sent
    // before cleared; gives the number the sensor announced, nothing on a timeout.
    std::optional<QString> answerSerialNumber(const QByteArray& reply)
    {
        QSignalSpy serial(device.get(), &CurlyDevice::gotSerialNumber);
        if (!board.waitForReceived("{initT}"))
            return std::nullopt;
        board.clearReceived();
        board.send(reply);
        if (!serial.wait(5000))
            return std::nullopt;
        return serial.first().first().toString();
    }
};

// A sensor recording into a fresh Startle.csv from its start.
struct RecordingRig : StartleRig
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Startle.csv"));
    const bool recording = device && device->openRecordFile(path);
};

} // namespace

class TestStartle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sampleRecord();
    void recordLines_data();
    void recordLines();
    void sampleLines_data();
    void sampleLines();
    void describesItself();
    void identificationStartsStream();
    void firstSampleIsBaseline();
    void sampleSplitMidLine();
    void frameAfterACutCharacterIsKept_data();
    void frameAfterACutCharacterIsKept();
    void recalibration();
    void recordingFileBytes();
    void recordingIsFlushedLineByLine();
    void reopeningStartsAFreshRecording();
    void recordingThatCannotOpenIsReported();
    void outOfRangeLinesAreDropped();
    void oneFilePerSensor();
    void invalidSerialNumberIsRepaired();
    void emptySerialNumberIsKept();
    void versionReplies();
};

void TestStartle::initTestCase()
{
    SerialPortEnumerator::setSystemPortsIncluded(false);
    qRegisterMetaType<SensorSample>();
}

void TestStartle::sampleRecord()
{
    const SensorSample sample{1.5f, -2.0f, 0.25f, 77};
    QCOMPARE(sample.axisValue(0), 1.5f);
    QCOMPARE(sample.axisValue(1), -2.0f);
    QCOMPARE(sample.axisValue(2), 0.25f);
    QCOMPARE(sample.axisValue(3), 0.0f);
    QCOMPARE(sample.axisValue(-1), 0.0f);
    QCOMPARE(sample.sumOfAxes(), -0.25f);
    // It travels through queued signals and variants whole.
    const SensorSample back = QVariant::fromValue(sample).value<SensorSample>();
    QCOMPARE(back.t, qint64(77));
    QCOMPARE(back.z, 0.25f);
}

void TestStartle::recordLines_data()
{
    addSampleColumns();
    QTest::addColumn<QString>("line");

    QTest::newRow("first sample") << 0.0f << 0.0f << 0.0f << qint64(1000) << "0;0;0;0\r\n";
    QTest::newRow("truncated toward zero") << -0.456f << 0.459f << 1.0f << qint64(1250) << "250;-45;45;100\r\n";
    QTest::newRow("hundredths that float cannot hold")
        << 0.29f << 0.57f << -1.13f << qint64(3000) << "2000;29;57;-113\r\n";
    QTest::newRow("large") << 327.67f << -327.68f << 0.01f << qint64(1000 + 86400000) << "86400000;32767;-32768;1\r\n";
}

void TestStartle::recordLines()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, z);
    QFETCH(qint64, t);
    QFETCH(QString, line);
    QCOMPARE(StartleSensor::formatSampleLine(SensorSample{x, y, z, t}, 1000), line);
}

void TestStartle::sampleLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("accepted");
    addSampleColumns();

    QTest::newRow("malformed pieces are skipped")
        << "x:1:2,y:abc,q:5,z:-300,t" << true << 0.0f << 0.0f << 3.0f << qint64(42);
    QTest::newRow("timed") << "x:-123,y:45,z:6,t:1200" << true << 1.23f << 0.45f << 0.06f << qint64(1200);
    QTest::newRow("no number keeps what came before") << "x:5,x:abc,y:" << true << 0.05f << 0.0f << 0.0f << qint64(42);
    QTest::newRow("largest reading and time") << "x:-2147483647,y:2147483647,t:-9007199254740992" << true
                                              << 21474836.47f << 21474836.47f << 0.0f << -SensorSample::MaxTimeMs;
    QTest::newRow("reading beyond 32 bits") << "x:-2147483648" << false << 0.0f << 0.0f << 0.0f << qint64(0);
    QTest::newRow("reading beyond 64 bits")
        << "z: +99999999999999999999 ,t:1" << false << 0.0f << 0.0f << 0.0f << qint64(0);
    QTest::newRow("time too far out") << "x:1,t:9007199254740993" << false << 0.0f << 0.0f << 0.0f << qint64(0);
}

void TestStartle::sampleLines()
{
    QFETCH(QString, line);
    QFETCH(bool, accepted);
    const std::optional<SensorSample> sample = StartleSensor::parseSampleLine(line, 42);
    QCOMPARE(sample.has_value(), accepted);
    if (!sample)
        return;
    QTEST(sample->x, "x");
    QTEST(sample->y, "y");
    QTEST(sample->z, "z");
    QTEST(sample->t, "t");
}

void TestStartle::describesItself()
{
    StartleSensor sensor(nullptr);
    QCOMPARE(sensor.deviceTypeName(), QStringLiteral("Startle"));
    QCOMPARE(sensor.probeRequest(), QStringLiteral("startle"));
    QCOMPARE(sensor.greetingText(), QStringLiteral("iamstartle"));
    QCOMPARE(sensor.baudRate(), 19200);
    const QString prefix = QDate::currentDate().toString(QStringLiteral("yyMM"));
    for (int i = 0; i < 50; ++i) {
        const QString number = sensor.generateSerialNumber();
        QCOMPARE(number.size(), 6);
        QVERIFY(number.startsWith(prefix));
        const int tail = number.mid(4).toInt();
        QVERIFY(tail >= 10 && tail <= 98);
    }
}

void TestStartle::identificationStartsStream()
{
    StartleRig rig;
    QVERIFY(rig.device);
    // Written at once, not at the next exchange step.
    if (rig.port->bytesToWrite() > 0)
        rig.port->waitForBytesWritten(1000);
    QCOMPARE(rig.board.received(), QByteArray("{initT}"));
}

void TestStartle::firstSampleIsBaseline()
{
    StartleRig rig;
    QVERIFY(rig.device);
    const QList<SensorSample> samples = rig.samples({"{x:100,y:-200,z:0}\r\n", "{x:150,y:200,z:50}\r\n"});
    QCOMPARE(samples.size(), 2);
    QCOMPARE(samples.at(0).x, 0.0f);
    QCOMPARE(samples.at(0).y, 0.0f);
    QCOMPARE(samples.at(0).z, 0.0f);
    QCOMPARE(samples.at(1).x, 0.5f);
    QCOMPARE(samples.at(1).y, 0.0f);
    QCOMPARE(samples.at(1).z, 0.5f);
}

void TestStartle::sampleSplitMidLine()
{
    StartleRig rig;
    QVERIFY(rig.device);
    QSignalSpy spy(rig.device.get(), &StartleSensor::sensorSample);
    QSignalSpy portRead(rig.port.data(), &QSerialPort::readyRead);
    rig.board.send("x:100,y:0,z:0,t:500\r\nx:3");
    QVERIFY(spy.wait(5000));
    rig.board.send("00,y:-50");
    QVERIFY(portRead.wait(5000));
    QCOMPARE(spy.count(), 1);
    rig.board.send(",z:25,t:600\r\n");
    QVERIFY(spy.wait(5000));
    const SensorSample second = spy.at(1).first().value<SensorSample>();
    QCOMPARE(second.x, 2.0f);
    QCOMPARE(second.y, 0.5f);
    QCOMPARE(second.z, 0.25f);
    QCOMPARE(second.t, qint64(600));
}

void TestStartle::frameAfterACutCharacterIsKept_data()
{
    QTest::addColumn<QByteArray>("cut");
    QTest::newRow("three-byte character") << QByteArray("\xe2");
    QTest::newRow("four-byte character") << QByteArray("\xf0\x9f");
    QTest::newRow("two-byte character") << QByteArray("noise \xc3");
}

// A read may end inside a character of line noise; the brace of the next read still opens a
// frame.
void TestStartle::frameAfterACutCharacterIsKept()
{
    QFETCH(QByteArray, cut);
    StartleRig rig;
    QVERIFY(rig.device);
    QSignalSpy spy(rig.device.get(), &StartleSensor::sensorSample);
    QSignalSpy portRead(rig.port.data(), &QSerialPort::readyRead);
    rig.board.send(cut);
    QVERIFY(portRead.wait(5000));
    // The sensor's queued read takes the cut character before anything else arrives.
    QCoreApplication::processEvents();
    rig.board.send("{x:100,y:0,z:0,t:500}\r\n");
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.first().first().value<SensorSample>().t, qint64(500));
}

void TestStartle::recalibration()
{
    StartleRig rig;
    QVERIFY(rig.device);
    QCOMPARE(rig.samples({"{x:100,y:100,z:100}\r\n", "{x:300,y:100,z:100}\r\n"}).last().x, 2.0f);
    rig.device->calibrate();
    QCOMPARE(rig.samples({"{x:300,y:100,z:100}\r\n"}).first().x, 0.0f);
}

void TestStartle::recordingFileBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Startle.csv"));
    StartleRig rig;
    QVERIFY(rig.device);
    QCOMPARE(rig.samples({"{x:100,y:-200,z:0,t:5000}\r\n"}).size(), 1);
    QVERIFY(rig.device->openRecordFile(path));
    QVERIFY(rig.device->isRecording());
    QCOMPARE(rig.samples({"{x:150,y:200,z:50,t:10000}\r\n", "{x:54,y:-200,z:1,t:10250}\r\n",
                          "{x:-29,y:257,z:0,t:10300}\r\n"})
                 .size(),
             3);
    rig.device->closeRecordFile();
    QVERIFY(!rig.device->isRecording());
    QCOMPARE(fileBytes(path), QByteArray("0;50;0;50\r\n250;-46;0;1\r\n300;-71;57;0\r\n"));

    // Samples after the recording ends leave the file alone.
    QCOMPARE(rig.samples({"{x:1,y:1,z:1,t:11000}\r\n"}).size(), 1);
    QCOMPARE(fileBytes(path), QByteArray("0;50;0;50\r\n250;-46;0;1\r\n300;-71;57;0\r\n"));
}

void TestStartle::recordingIsFlushedLineByLine()
{
    RecordingRig rig;
    QVERIFY(rig.recording);
    QCOMPARE(rig.samples({"{x:0,y:0,z:0,t:100}\r\n", "{x:100,y:0,z:0,t:150}\r\n"}).size(), 2);
    // Read while the recording is still open: nothing waits in a buffer.
    QCOMPARE(fileBytes(rig.path), QByteArray("0;0;0;0\r\n50;100;0;0\r\n"));
    // Closing the sensor closes its recording.
    rig.device.reset();
    QCOMPARE(fileBytes(rig.path), QByteArray("0;0;0;0\r\n50;100;0;0\r\n"));
}

void TestStartle::reopeningStartsAFreshRecording()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("run1/Startle.csv"));
    const QString second = dir.filePath(QStringLiteral("run2/Startle.csv"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("run1")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("run2")));
    StartleRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.device->openRecordFile(first));
    QCOMPARE(rig.samples({"{x:0,y:0,z:0,t:100}\r\n", "{x:0,y:0,z:0,t:200}\r\n"}).size(), 2);
    QVERIFY(rig.device->openRecordFile(second));
    QCOMPARE(rig.samples({"{x:0,y:0,z:0,t:700}\r\n"}).size(), 1);
    rig.device->closeRecordFile();
    QCOMPARE(fileBytes(first), QByteArray("0;0;0;0\r\n100;0;0;0\r\n"));
    QCOMPARE(fileBytes(second), QByteArray("0;0;0;0\r\n"));
}

void TestStartle::recordingThatCannotOpenIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing-folder/Startle.csv"));
    StartleSensor sensor(nullptr);
    GlobalConsole::ClearText();
    QVERIFY(!sensor.openRecordFile(path));
    QVERIFY(!sensor.isRecording());
    QVERIFY(GlobalConsole::currentText().contains(path));
    // The failed path is not kept as taken.
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("missing-folder")));
    QVERIFY(sensor.openRecordFile(path));
}

// A sensor number beyond what the sensor can send, or a time too far out to take differences
// of, spoils its line: the line is dropped with a message and the next one counts as usual.
void TestStartle::outOfRangeLinesAreDropped()
{
    RecordingRig rig;
    QVERIFY(rig.recording);
    QSignalSpy samples(rig.device.get(), &StartleSensor::sensorSample);
    QSignalSpy messages(rig.device.get(), &CurlyDevice::onMessage);
    GlobalConsole::ClearText();
    rig.board.send("{x:,t:9223372036854775807}\r\n{x:100,t:-2}\r\n{x:-2147483648,t:0}\r\n"
                   "{x:1,y:99999999999999999999,t:1}\r\n{x:1,z:5,t:-9007199254740993}\r\n{x:300,y:-100,t:248}\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(messages.count(), 6, 5000);
    QCOMPARE(samples.count(), 2);
    rig.device->closeRecordFile();
    QCOMPARE(fileBytes(rig.path), QByteArray("0;0;0;0\r\n250;200;100;0\r\n"));
    QCOMPARE(GlobalConsole::currentText().count(QStringLiteral("out of range")), 4);
}

void TestStartle::oneFilePerSensor()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Startle.csv"));
    StartleSensor first(nullptr);
    StartleSensor second(nullptr);
    QVERIFY(first.openRecordFile(path));
    GlobalConsole::ClearText();
    QVERIFY(!second.openRecordFile(path));
    QVERIFY(GlobalConsole::currentText().contains(path));
    QVERIFY(first.isRecording());
    first.closeRecordFile();
    QVERIFY(second.openRecordFile(path));
}

void TestStartle::invalidSerialNumberIsRepaired()
{
    StartleRig rig;
    QVERIFY(rig.device);
    QCOMPARE(rig.answerSerialNumber("{sn=000000}\r\n"), std::optional<QString>(QStringLiteral("000000")));
    QVERIFY(rig.board.waitForReceived("{sn}"));
    const QStringList sent = rig.board.receivedMessages();
    QVERIFY2(sent.size() == 2, qPrintable(sent.join(QLatin1Char('|'))));
    QVERIFY(sent.at(0).startsWith(QStringLiteral("writesn=") + QDate::currentDate().toString(QStringLiteral("yyMM"))));
    QCOMPARE(sent.at(1), QStringLiteral("sn"));

    rig.board.clearReceived();
    QSignalSpy messages(rig.device.get(), &CurlyDevice::onMessage);
    rig.board.send("{sn=260412}\r\n");
    QVERIFY(messages.wait(5000));
    QCOMPARE(rig.device->serialNumber(), QStringLiteral("260412"));
}

// The sensor rewrites only the factory and damaged-memory numbers, never an empty one.
void TestStartle::emptySerialNumberIsKept()
{
    StartleRig rig;
    QVERIFY(rig.device);
    QCOMPARE(rig.answerSerialNumber("{sn=}\r\n"), std::optional<QString>(QString()));
    // Anything the reply queued goes out in the same step as this marker, ahead of it.
    rig.device->sendMessage(QStringLiteral("marker"));
    QVERIFY(rig.board.waitForReceived("{marker}"));
    QCOMPARE(rig.board.receivedMessages(), QStringList{QStringLiteral("marker")});
}

void TestStartle::versionReplies()
{
    StartleRig rig;
    QVERIFY(rig.device);
    QSignalSpy version(rig.device.get(), &CurlyDevice::gotVersion);
    rig.board.send("{version=2.1}\r\n{v=2.2}\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(version.count(), 2, 5000);
    QCOMPARE(rig.device->version(), QStringLiteral("2.2"));
}

QTEST_GUILESS_MAIN(TestStartle)
#include "tst_startle.moc"
