#include "HandedOverDevice.h"
#include "KestrumDevice.h"
#include "KestrumDoor.h"
#include "SerialPortEnumerator.h"

#include <QDate>
#include <QPointer>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

struct DoorRig : HandedOverDevice<KestrumDoor>
{
    DoorRig()
        : HandedOverDevice(QStringLiteral("KestrumDoor"), QStringLiteral("Door unit"))
    {
    }

    // Everything the door wrote up to a marker message sent after it, so that commands that
    // must not go out can be checked without waiting for nothing.
    QStringList messagesUpToMarker()
    {
        device->sendMessage(QStringLiteral("marker"));
        if (!board.waitForReceived("{marker}"))
            return {};
        QStringList messages = board.receivedMessages();
        messages.removeAll(QStringLiteral("marker"));
        board.clearReceived();
        return messages;
    }

    bool reply(const QByteArray& text, const char* signal = SIGNAL(onMessage(QString)))
    {
        QSignalSpy spy(device.get(), signal);
        board.send("{" + text + "}\r\n");
        return spy.wait(5000);
    }
};

} // namespace

class TestDoor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void describesItself();
    void identificationAsksForState();
    void pollAsksForSerialNumberUntilKnown();
    void invalidSerialNumberIsReplaced();
    void positionReports();
    void commandsOnlyWhenStateDiffers();
    void freshDoorSendsFirstCommand();
    void motorReports_data();
    void motorReports();
    void unknownReplyIsOnlyPassedOn();
    void pollTimerRunsWhileConnected();
    void classicChamberRoutesDoorCommands();
};

void TestDoor::initTestCase()
{
    SerialPortEnumerator::setSystemPortsIncluded(false);
    qRegisterMetaType<KestrumDoor::DoorState>();
}

void TestDoor::describesItself()
{
    KestrumDoor door(nullptr);
    QCOMPARE(door.deviceTypeName(), QStringLiteral("KestrumDoor"));
    QCOMPARE(door.greetingText(), QStringLiteral("iamdoor"));
    QCOMPARE(door.probeRequest(), QStringLiteral("whois"));
    QCOMPARE(door.baudRate(), 115200);
    QCOMPARE(door.doorState(), KestrumDoor::DoorMiddle);
    const QString prefix = QStringLiteral("3") + QDate::currentDate().toString(QStringLiteral("yyMM"));
    for (int i = 0; i < 50; ++i) {
        const QString number = door.generateSerialNumber();
        QVERIFY(number.startsWith(prefix));
        const int tail = number.mid(prefix.size()).toInt();
        QVERIFY2(tail >= 101 && tail <= 998, qPrintable(number));
    }
    QCOMPARE(QDebug::toString(KestrumDoor::DoorClosed), QStringLiteral("KestrumDoor::DoorClosed"));
}

void TestDoor::identificationAsksForState()
{
    DoorRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.device->isConnected());
    QVERIFY(rig.board.waitForReceived("{state}"));
}

void TestDoor::pollAsksForSerialNumberUntilKnown()
{
    DoorRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.board.waitForReceived("{state}"));
    rig.board.clearReceived();
    rig.device->poll();
    QCOMPARE(rig.messagesUpToMarker(), (QStringList{"sn", "raw"}));

    QSignalSpy serial(rig.device.get(), &CurlyDevice::gotSerialNumber);
    QSignalSpy messages(rig.device.get(), &CurlyDevice::onMessage);
    QVERIFY(rig.reply("sn=3261254", SIGNAL(gotSerialNumber(QString))));
    QCOMPARE(serial.first().first().toString(), QStringLiteral("3261254"));
    QCOMPARE(rig.device->serialNumber(), QStringLiteral("3261254"));
    QCOMPARE(messages.count(), 0);
    rig.device->poll();
    QCOMPARE(rig.messagesUpToMarker(), (QStringList{"state", "raw"}));
}

void TestDoor::invalidSerialNumberIsReplaced()
{
    DoorRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.board.waitForReceived("{state}"));
    QSignalSpy serial(rig.device.get(), &CurlyDevice::gotSerialNumber);
    QSignalSpy messages(rig.device.get(), &CurlyDevice::onMessage);
    for (const QByteArray reply : {QByteArray("sn=000000"), QByteArray("sn=yy0101"), QByteArray("sn=")}) {
        rig.board.clearReceived();
        rig.board.send("{" + reply + "}\r\n");
        QVERIFY(rig.board.waitForReceived("{sn="));
        const QStringList sent = rig.messagesUpToMarker();
        QCOMPARE(sent.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^sn=3\\d{4}\\d{3}$")).match(sent.first()).hasMatch(),
                 qPrintable(sent.first()));
    }
    QCOMPARE(serial.count(), 0);
    QCOMPARE(messages.count(), 0);
    QVERIFY(rig.device->serialNumber().isEmpty());
}

void TestDoor::positionReports()
{
    DoorRig rig;
    QVERIFY(rig.device);
    QSignalSpy state(rig.device.get(), &KestrumDoor::doorStateChanged);
    QSignalSpy opened(rig.device.get(), &KestrumDoor::opened);
    QSignalSpy closed(rig.device.get(), &KestrumDoor::closed);
    QSignalSpy messages(rig.device.get(), &CurlyDevice::onMessage);

    QVERIFY(rig.reply("isopen"));
    QCOMPARE(rig.device->doorState(), KestrumDoor::DoorOpen);
    QVERIFY(rig.reply("ismiddle"));
    QCOMPARE(rig.device->doorState(), KestrumDoor::DoorMiddle);
    QVERIFY(rig.reply("isclosed"));
    QCOMPARE(rig.device->doorState(), KestrumDoor::DoorClosed);

    QCOMPARE(state.count(), 3);
    QCOMPARE(state.at(0).first().value<KestrumDoor::DoorState>(), KestrumDoor::DoorOpen);
    QCOMPARE(state.at(1).first().value<KestrumDoor::DoorState>(), KestrumDoor::DoorMiddle);
    QCOMPARE(state.at(2).first().value<KestrumDoor::DoorState>(), KestrumDoor::DoorClosed);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(messages.count(), 3);
}

void TestDoor::commandsOnlyWhenStateDiffers()
{
    DoorRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.board.waitForReceived("{state}"));
    rig.board.clearReceived();
    QVERIFY(rig.reply("isclosed"));
    rig.device->setOpened(false);
    rig.device->closeDoor();
    QCOMPARE(rig.messagesUpToMarker(), QStringList{});
    rig.device->setOpened(true);
    QCOMPARE(rig.messagesUpToMarker(), QStringList{"open"});

    // The state follows the board's reports only: until it says "isopen", open is repeated.
    rig.device->openDoor();
    QCOMPARE(rig.messagesUpToMarker(), QStringList{"open"});
    QVERIFY(rig.reply("isopen"));
    rig.device->openDoor();
    rig.device->closeDoor();
    QCOMPARE(rig.messagesUpToMarker(), QStringList{"close"});
}

void TestDoor::freshDoorSendsFirstCommand()
{
    for (bool open : {true, false}) {
        DoorRig rig;
        QVERIFY(rig.device);
        QVERIFY(rig.board.waitForReceived("{state}"));
        rig.board.clearReceived();
        rig.device->setOpened(open);
        QCOMPARE(rig.messagesUpToMarker(), QStringList{open ? "open" : "close"});
    }
}

void TestDoor::motorReports_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("steps enabled") << QByteArray("stepped=true") << QByteArray(SIGNAL(stepsEnabledChanged(bool)))
                                   << QVariant(true);
    QTest::newRow("steps disabled") << QByteArray("stepped=yes") << QByteArray(SIGNAL(stepsEnabledChanged(bool)))
                                    << QVariant(false);
    QTest::newRow("step") << QByteArray("step=12") << QByteArray(SIGNAL(stepChanged(int))) << QVariant(12);
    QTest::newRow("step time") << QByteArray("time=250") << QByteArray(SIGNAL(stepTimeChanged(int))) << QVariant(250);
    QTest::newRow("min drive") << QByteArray("min=-40") << QByteArray(SIGNAL(minDriveChanged(int))) << QVariant(-40);
    QTest::newRow("max drive") << QByteArray("max=900") << QByteArray(SIGNAL(maxDriveChanged(int))) << QVariant(900);
    QTest::newRow("raw position") << QByteArray("raw=512") << QByteArray(SIGNAL(rawPosChanged(int))) << QVariant(512);
    QTest::newRow("not a number") << QByteArray("raw=abc") << QByteArray(SIGNAL(rawPosChanged(int))) << QVariant(0);
}

void TestDoor::motorReports()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, signal);
    QFETCH(QVariant, value);
    DoorRig rig;
    QVERIFY(rig.device);
    QSignalSpy spy(rig.device.get(), signal.constData());
    QSignalSpy messages(rig.device.get(), &CurlyDevice::onMessage);
    QVERIFY(rig.reply(reply));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first(), value);
    QCOMPARE(messages.first().first().toString(), QString::fromLatin1(reply));
}

void TestDoor::unknownReplyIsOnlyPassedOn()
{
    DoorRig rig;
    QVERIFY(rig.device);
    QSignalSpy step(rig.device.get(), &KestrumDoor::stepChanged);
    QSignalSpy state(rig.device.get(), &KestrumDoor::doorStateChanged);
    QSignalSpy messages(rig.device.get(), &CurlyDevice::onMessage);
    QVERIFY(rig.reply("stepx"));
    QVERIFY(rig.reply("isopenish"));
    QCOMPARE(step.count(), 0);
    QCOMPARE(state.count(), 0);
    QCOMPARE(messages.count(), 2);
    QCOMPARE(rig.device->step(), 0);
}

void TestDoor::pollTimerRunsWhileConnected()
{
    DoorRig rig;
    QVERIFY(rig.device);
    QVERIFY(rig.board.waitForReceived("{raw}", 10000));
}

void TestDoor::classicChamberRoutesDoorCommands()
{
    DoorRig rig;
    QVERIFY(rig.device);
    ScriptedBoard chamberBoard;
    QPointer<QSerialPort> chamberPort = chamberBoard.takePort(QStringLiteral("ClassicKestrum"));
    QVERIFY(chamberPort && chamberPort->isOpen());
    auto chamber = std::make_unique<KestrumDevice>(chamberPort);
    QSignalSpy doorChanged(chamber.get(), &KestrumBaseDevice::doorChanged);

    QVERIFY(rig.board.waitForReceived("{state}"));
    rig.board.clearReceived();
    chamber->setDoor(rig.device.get());
    QVERIFY(chamber->hasDoor());
    QVERIFY(chamber->doorAttached());
    QCOMPARE(doorChanged.count(), 1);
    QCOMPARE(rig.messagesUpToMarker(), QStringList{"open"});

    QVERIFY(rig.reply("isopen"));
    chamber->setDoorOpen(false);
    QCOMPARE(rig.messagesUpToMarker(), QStringList{"close"});
    // A stop while the close is on its way, the board still reporting the door open: the door
    // is opened all the same, and the next close goes out again.
    chamber->allOff();
    QCOMPARE(rig.messagesUpToMarker(), QStringList{"open"});
    chamber->setDoorOpen(false);
    QCOMPARE(rig.messagesUpToMarker(), QStringList{"close"});
    // The chamber's own door command is not used while a door unit is attached.
    if (chamberPort->bytesToWrite() > 0)
        chamberPort->waitForBytesWritten(1000);
    QVERIFY(chamberBoard.receivedFrames().isEmpty());

    rig.device->closePort();
    rig.device.reset();
    QVERIFY(!chamber->hasDoor());
    chamber->dispose();
}

QTEST_MAIN(TestDoor)
#include "tst_door.moc"
