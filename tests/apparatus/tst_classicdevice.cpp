#include "Clock.h"
#include "GlobalConsole.h"
#include "KestrumDevice.h"
#include "ScriptedBoard.h"
#include "SerialPortManager.h"

#include <QPointer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <memory>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

const QByteArray serialNumberReply = hex("7B 0D 90 02 53 34 32 36 31 32 35 33 A7 7D");
// A decoded state frame (payload and checksum) with every output off.
const QByteArray allOffState = hex("0A 00 00 00 00 00 00 00 00 00 00 00 00 F6");

quint16 toneOf(const QByteArray& stateFrame)
{
    return quint16(quint8(stateFrame.at(9)) | quint8(stateFrame.at(10)) << 8);
}

quint8 flagsOf(const QByteArray& stateFrame)
{
    return quint8(stateFrame.at(12));
}

bool isStateFrame(const QByteArray& frame)
{
    return frame.size() == 14 && frame.at(0) == 0x0A;
}

// Counts the port-error lines the device writes while it lives.
struct PortErrorLines
{
    static inline std::atomic<int> count{0};
    QtMessageHandler previous;

    PortErrorLines()
        : previous(qInstallMessageHandler(&PortErrorLines::take))
    {
        count = 0;
    }
    ~PortErrorLines() { qInstallMessageHandler(previous); }

    static void take(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        if (message.contains(QLatin1String("SerialPort ERROR")))
            ++count;
    }
};

// A classic chamber on a real pseudo-terminal, its port borrowed from the manager the way the
// application hands it over, and the device's clock under the test's control.
struct ClassicRig
{
    ScriptedBoard board{QStringLiteral("USB Serial"), QStringLiteral("FTDI")};
    QPointer<QSerialPort> port;
    std::unique_ptr<KestrumDevice> device;
    ManualClock clock{0, 1000};

    ClassicRig()
    {
        port = board.takePort(QStringLiteral("ClassicKestrum"), 57600, QSerialPort::EvenParity);
        if (!port)
            return;
        device = std::make_unique<KestrumDevice>(port);
        device->setClock(&clock);
    }

    ~ClassicRig()
    {
        if (device)
            device->dispose();
    }

    bool identify()
    {
        QSignalSpy fetched(device.get(), &BaseDevice::serialNumberFetched);
        board.send(serialNumberReply);
        return fetched.wait(5000) && device->statusConnect() == BaseDevice::Connected;
    }

    // Waits only while something is waiting: an idle port would sit out the whole time-out.
    void flushPort()
    {
        while (port && port->isOpen() && port->bytesToWrite() > 0 && port->waitForBytesWritten(1000)) {
        }
    }

    // Forgets what the board received so far, including writes still on their way.
    void clearSent()
    {
        flushPort();
        board.clearReceived();
    }

    // Runs work steps 50 ms apart and returns the state frames they sent.
    QList<QByteArray> steps(int count)
    {
        clearSent();
        for (int i = 0; i < count; ++i) {
            device->threadWork();
            clock.advance(KestrumDevice::workStepMs);
        }
        QList<QByteArray> states = sentFrames();
        states.removeIf([](const QByteArray& frame) { return !isStateFrame(frame); });
        return states;
    }

    QList<QByteArray> sentFrames()
    {
        flushPort();
        return board.receivedFrames();
    }
};

} // namespace

class TestClassicDevice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void connectedOnlyAfterValidSerialNumber();
    void serialNumberSplitOverReads();
    void userDataAfterSerialNumber();
    void retriesThenReportsNotResponding();
    void stateFrameEveryWorkStep();
    void soundLastsItsDuration();
    void soundWithoutDurationIsNeverCarried();
    void lightWithDurationGoesOff();
    void gridGoesOffWhenRenewalsStop();
    void shortGridRenewedEveryFrameStaysOn();
    void gridWhoseTimeRanOutBeforeIdentificationNeverReachesTheChamber();
    void gridCurrentScale();
    void commandFrames();
    void invalidCommandsOnlyGiveConsoleMessage();
    void doorCommandsSentOnlyOnChange();
    void allOffOpensDoorAndClearsChannels();
    void shutdownLeavesEverythingOff();
    void disposeLeavesEverythingOffAndReleasesPort();
    void destructionLeavesEverythingOff();
    void lostPortClosesAndReportsDisconnect_data();
    void lostPortClosesAndReportsDisconnect();
    void realTimersSendStateEveryFiftyMs();
};

void TestClassicDevice::initTestCase()
{
    SerialPortEnumerator::setSystemPortsIncluded(false);
}

void TestClassicDevice::connectedOnlyAfterValidSerialNumber()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QCOMPARE(rig.device->statusConnect(), BaseDevice::Connecting);
    QCOMPARE(rig.device->portName(), rig.board.portName());

    // Before the chamber has said who it is, no state reaches it and it is not connected.
    QVERIFY(rig.steps(3).isEmpty());
    QCOMPARE(rig.device->statusConnect(), BaseDevice::Connecting);

    // A six-character number is not a number.
    QSignalSpy fetched(rig.device.get(), &BaseDevice::serialNumberFetched);
    QSignalSpy connectedSpy(rig.device.get(), &BaseDevice::connected);
    QSignalSpy portRead(rig.port.data(), &QSerialPort::readyRead);
    rig.board.send(hex("7B 0D 90 02 53 34 32 36 31 32 00 00 5A 7D"));
    QVERIFY(portRead.wait(5000));
    QCOMPARE(fetched.count(), 0);
    QCOMPARE(rig.device->statusConnect(), BaseDevice::Connecting);

    QVERIFY(rig.identify());
    QCOMPARE(rig.device->serialNumber(), QStringLiteral("S4261253"));
    QCOMPARE(connectedSpy.count(), 1);
    QCOMPARE(rig.steps(2).size(), 2);

    // The same number again is not news.
    QSignalSpy again(rig.device.get(), &BaseDevice::serialNumberFetched);
    rig.board.send(serialNumberReply);
    QVERIFY(portRead.wait(5000));
    QCOMPARE(again.count(), 0);
}

void TestClassicDevice::serialNumberSplitOverReads()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QSignalSpy fetched(rig.device.get(), &BaseDevice::serialNumberFetched);
    QSignalSpy portRead(rig.port.data(), &QSerialPort::readyRead);
    rig.board.send(serialNumberReply.left(8));
    QVERIFY(portRead.wait(5000));
    QCOMPARE(fetched.count(), 0);
    QVERIFY(rig.device->serialNumber().isEmpty());
    rig.board.send(serialNumberReply.mid(8));
    QVERIFY(fetched.wait(5000));
    QCOMPARE(fetched.first().first().toString(), QStringLiteral("S4261253"));
}

void TestClassicDevice::userDataAfterSerialNumber()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    QVERIFY(rig.board.waitForReceived(hex("7B 0D 00 04 00 EF 7D")));

    QSignalSpy userData(rig.device.get(), &KestrumDevice::userDataFetched);
    rig.board.send(hex("7B 0D 90 04 01 02 03 04 55 7D"));
    QVERIFY(userData.wait(5000));
    QVERIFY(rig.device->hasUserData());
    QCOMPARE(rig.device->userData(), hex("01 02 03 04"));
}

void TestClassicDevice::retriesThenReportsNotResponding()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QSignalSpy notResponding(rig.device.get(), &KestrumDevice::notResponding);
    for (int tick = 0; tick < 5; ++tick)
        rig.device->onSerialNumberTimer();
    QCOMPARE(rig.sentFrames(), QList<QByteArray>(3, hex("0D 00 02 F1")));
    QCOMPARE(notResponding.count(), 2);
    QCOMPARE(rig.device->statusConnect(), BaseDevice::Connecting);
}

void TestClassicDevice::stateFrameEveryWorkStep()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    rig.device->setLight(KestrumBaseDevice::Left, 30, -1);
    rig.device->setSound(KestrumBaseDevice::Left, 1000, 60000);
    rig.device->setCircuit(1.5, -1);
    rig.clearSent();
    rig.device->threadWork();
    rig.flushPort();
    QVERIFY(rig.board.waitForReceived(hex("7B 0A 00 00 1E 1E 1E 00 00 00 E8 03 19 05 93 7D")));
    QCOMPARE(rig.board.received(), hex("7B 0A 00 00 1E 1E 1E 00 00 00 E8 03 19 05 93 7D"));

    const QList<QByteArray> frames = rig.steps(4);
    QCOMPARE(frames, QList<QByteArray>(4, hex("0A 00 00 1E 1E 1E 00 00 00 E8 03 19 05 93")));
}

void TestClassicDevice::soundLastsItsDuration()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    QSignalSpy stim(rig.device.get(), &KestrumDevice::stimAction);
    rig.device->setSound(KestrumBaseDevice::Left, 2000, 200);
    const QList<QByteArray> frames = rig.steps(5);
    QCOMPARE(frames.size(), 5);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(toneOf(frames.at(i)), quint16(2000));
        QCOMPARE(flagsOf(frames.at(i)), quint8(0x01));
    }
    QCOMPARE(toneOf(frames.at(4)), quint16(0));
    QCOMPARE(flagsOf(frames.at(4)), quint8(0x00));
    QCOMPARE(stim.count(), 2);
    QCOMPARE(stim.at(0), (QList<QVariant>{true, QVariant::fromValue(KestrumBaseDevice::Sound),
                                          QVariant::fromValue(KestrumBaseDevice::Left)}));
    QCOMPARE(stim.at(1), (QList<QVariant>{false, QVariant::fromValue(KestrumBaseDevice::Sound),
                                          QVariant::fromValue(KestrumBaseDevice::Both)}));
}

void TestClassicDevice::soundWithoutDurationIsNeverCarried()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    QSignalSpy stim(rig.device.get(), &KestrumDevice::stimAction);
    rig.device->setSound(KestrumBaseDevice::Left, 2000, 0);
    const QList<QByteArray> frames = rig.steps(2);
    QCOMPARE(frames.size(), 2);
    for (const QByteArray& frame : frames)
        QCOMPARE(frame, allOffState);
    QCOMPARE(stim.count(), 2);
    QCOMPARE(stim.at(1).at(0).toBool(), false);
}

void TestClassicDevice::lightWithDurationGoesOff()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    rig.device->setLightLevels(40, 150, 100);
    QList<QByteArray> frames = rig.steps(3);
    QCOMPARE(frames.at(0), hex("0A 00 00 28 28 28 64 64 64 00 00 00 00 52"));
    QCOMPARE(frames.at(1), frames.at(0));
    QCOMPARE(frames.at(2), allOffState);

    // A light without a duration stays until it is changed.
    rig.device->setLightLevels(40, 0, -1);
    frames = rig.steps(10);
    QCOMPARE(frames.last(), hex("0A 00 00 28 28 28 00 00 00 00 00 00 00 7E"));
    rig.device->lightOff();
    QCOMPARE(rig.steps(1), QList<QByteArray>{allOffState});
}

void TestClassicDevice::gridGoesOffWhenRenewalsStop()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    rig.device->setCircuit(15.0, 120);
    const QList<QByteArray> frames = rig.steps(4);
    QCOMPARE(frames.size(), 4);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(frames.at(i), hex("0A 00 00 00 00 00 00 00 00 00 00 FF 04 F3"));
    QCOMPARE(frames.at(3), allOffState);
    QVERIFY(!rig.device->outputs().gridOn);

    // Without a duration the grid stays until it is changed.
    rig.device->setCircuit(15.0, -1);
    QVERIFY(rig.steps(40).last() != allOffState);
    rig.device->circuitOff();
    QCOMPARE(rig.steps(1), QList<QByteArray>{allOffState});
}

void TestClassicDevice::shortGridRenewedEveryFrameStaysOn()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    // A camera frame every 33 ms renews a 1 ms grid pulse: every state frame carries it.
    QList<QByteArray> frames;
    for (int i = 0; i < 6; ++i) {
        rig.device->setCircuit(3.0, 1);
        rig.clock.advance(33);
        frames += rig.steps(1);
    }
    for (const QByteArray& frame : frames)
        QCOMPARE(quint8(frame.at(11)), quint8(51));
    // The renewals stop: the next frame switches it off.
    QCOMPARE(rig.steps(1), QList<QByteArray>{allOffState});
}

void TestClassicDevice::gridWhoseTimeRanOutBeforeIdentificationNeverReachesTheChamber()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    rig.device->setCircuit(3.0, 100);
    QVERIFY(rig.steps(4).isEmpty());
    QVERIFY(rig.identify());
    QCOMPARE(rig.steps(1), QList<QByteArray>{allOffState});
}

void TestClassicDevice::gridCurrentScale()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    const QList<QPair<double, int>> cases = {{1.5, 25}, {15.0, 255}, {22.0, 255},   {0.0, 0},
                                             {-1.0, 0}, {7.5, 127},  {qInf(), 255}, {qQNaN(), 0}};
    for (const auto& [current, level] : cases) {
        rig.device->setCircuit(current, -1);
        QCOMPARE(int(rig.device->outputs().gridLevel), level);
        QCOMPARE(rig.device->outputs().gridOn, level > 0);
    }
}

void TestClassicDevice::commandFrames()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    rig.device->writeSerialNumber(QStringLiteral("S426125399"));
    QVERIFY(rig.device->sendCommand(hex("7B 5C")));
    QCOMPARE(rig.sentFrames(),
             (QList<QByteArray>{hex("0D 00 01 53 34 32 36 31 32 35 33 38"), hex("0D 00 03 00 7B 5C 19")}));
    QCOMPARE(rig.board.received(), hex("7B 0D 00 01 53 34 32 36 31 32 35 33 38 7D 7B 0D 00 03 00 5C 5B 5C 7C 19 7D"));
    QCOMPARE(KestrumDevice::serialNumberRequest(), hex("7B 0D 00 02 F1 7D"));
}

void TestClassicDevice::invalidCommandsOnlyGiveConsoleMessage()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    GlobalConsole::ClearText();
    rig.device->writeSerialNumber(QString());
    QVERIFY(!rig.device->sendCommand(QByteArray(9, 'a')));
    QVERIFY(!rig.device->sendCommand(QByteArray()));
    QVERIFY(rig.sentFrames().isEmpty());
    QCOMPARE(GlobalConsole::currentText().count(QStringLiteral("cannot content more than 8 bytes")), 3);
}

void TestClassicDevice::doorCommandsSentOnlyOnChange()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(!rig.device->hasDoor());
    rig.device->setDoorOpen(false);
    rig.device->setDoorOpen(false);
    rig.device->setDoorOpen(true);
    rig.device->setDoorOpen(true);
    QCOMPARE(rig.sentFrames(), (QList<QByteArray>{hex("0D 00 07 EC"), hex("0D 00 06 ED")}));
}

void TestClassicDevice::allOffOpensDoorAndClearsChannels()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    rig.device->setDoorOpen(false);
    rig.device->setLight(KestrumBaseDevice::Both, 50, 10000);
    rig.device->setSound(KestrumBaseDevice::Right, 440, 10000);
    rig.device->setCircuit(2.0, 10000);
    QSignalSpy stim(rig.device.get(), &KestrumDevice::stimAction);
    rig.clearSent();
    rig.device->allOff();
    QCOMPARE(stim.count(), 2);
    QCOMPARE(stim.at(0).at(1).value<KestrumBaseDevice::KestrumAction>(), KestrumBaseDevice::Light);
    QCOMPARE(stim.at(1).at(1).value<KestrumBaseDevice::KestrumAction>(), KestrumBaseDevice::Sound);
    QCOMPARE(rig.sentFrames(), QList<QByteArray>{hex("0D 00 06 ED")});
    QCOMPARE(rig.steps(1), QList<QByteArray>{allOffState});
}

void TestClassicDevice::shutdownLeavesEverythingOff()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    rig.device->setCircuit(15.0, -1);
    rig.device->setLight(KestrumBaseDevice::Both, 100, -1);
    rig.steps(1);
    QSignalSpy disconnected(rig.device.get(), &BaseDevice::disconnected);
    rig.clearSent();
    rig.device->shutdown();
    QCOMPARE(rig.board.receivedFrames().last(), allOffState);
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(rig.device->portName(), QStringLiteral("NOCOM"));
    QVERIFY(!rig.port->isOpen());
    QVERIFY(SerialPortManager::instance()->ownerOf(rig.port).isEmpty());
}

void TestClassicDevice::disposeLeavesEverythingOffAndReleasesPort()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    rig.device->setCircuit(15.0, -1);
    rig.steps(1);
    rig.device->dispose();
    QCOMPARE(rig.board.receivedFrames().last(), allOffState);
    QCOMPARE(rig.device->statusConnect(), BaseDevice::NotConnected);
    QTRY_VERIFY(rig.port.isNull());
}

void TestClassicDevice::destructionLeavesEverythingOff()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.identify());
    rig.device->setCircuit(15.0, -1);
    rig.steps(1);
    rig.device.reset();
    QCOMPARE(rig.board.receivedFrames().last(), allOffState);
    QVERIFY(!rig.port->isOpen());
}

void TestClassicDevice::lostPortClosesAndReportsDisconnect_data()
{
    QTest::addColumn<bool>("running");
    QTest::newRow("during identification") << false;
    QTest::newRow("while running with the grid on") << true;
}

// A line hung up at the far end keeps reporting read errors: the device must take it for lost,
// once, switch everything off and let the port object go, not spin on it.
void TestClassicDevice::lostPortClosesAndReportsDisconnect()
{
    QFETCH(bool, running);
    ClassicRig rig;
    QVERIFY(rig.device);
    rig.device->start();
    // Hung up once the request is out: nothing written to the line betrays the hang-up then.
    QVERIFY(rig.board.waitForReceived(KestrumDevice::serialNumberRequest()));
    if (running) {
        QVERIFY(rig.identify());
        rig.device->setCircuit(15.0, -1);
        QVERIFY(rig.board.waitForReceived(hex("7B 0A 00 00 00 00 00 00 00 00 00 00 FF 04 F3 7D")));
    }
    QSignalSpy disconnected(rig.device.get(), &BaseDevice::disconnected);
    PortErrorLines errorLines;
    rig.board.closeFarEnd();
    QVERIFY(disconnected.wait(5000));
    QCOMPARE(rig.device->statusConnect(), BaseDevice::NotConnected);
    QCOMPARE(rig.device->portName(), QStringLiteral("NOCOM"));
    QCOMPARE(rig.device->outputs(), ClassicOutputState{});
    QVERIFY(PortErrorLines::count <= KestrumDevice::readErrorsOfALostPort);
    QTRY_VERIFY(rig.port.isNull());
    QCOMPARE(disconnected.count(), 1);
}

void TestClassicDevice::realTimersSendStateEveryFiftyMs()
{
    ClassicRig rig;
    QVERIFY(rig.device);
    rig.board.replyToFrame(hex("0D 00 02 F1"), serialNumberReply);
    rig.device->setClock(Clock::system());
    QSignalSpy fetched(rig.device.get(), &BaseDevice::serialNumberFetched);
    rig.device->start();
    QVERIFY(fetched.wait(5000));
    QTRY_VERIFY_WITH_TIMEOUT(rig.board.receivedFrames().count(allOffState) >= 5, 10000);
}

QTEST_GUILESS_MAIN(TestClassicDevice)
#include "tst_classicdevice.moc"
