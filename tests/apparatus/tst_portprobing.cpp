#include "CurlyMessageParser.h"
#include "GlobalConsole.h"
#include "KestrumDevice.h"
#include "ScriptedBoard.h"
#include "SerialPortManager.h"
#include "SerialPortOverseer.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(SerialPortEntry)

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

const QByteArray classicSerialNumberReply = hex("7B 0D 90 02 53 34 32 36 31 32 35 33 A7 7D");

ProbeDeviceType* registerDoor(SerialPortOverseer& overseer)
{
    return overseer.registerDeviceType("KestrumDoor", "{whois}\r\n", "{iamdoor}", 115200, QSerialPort::NoParity,
                                       QSerialPort::OneStop);
}

ProbeDeviceType* registerStartle(SerialPortOverseer& overseer)
{
    return overseer.registerDeviceType("Startle", "{startle}\r\n", "{iamstartle}", 19200, QSerialPort::NoParity,
                                       QSerialPort::OneStop);
}

ProbeDeviceType* registerGrid(SerialPortOverseer& overseer)
{
    return overseer.registerProbeOnlyType("Grid", "{gridnode}", "{iamgridnode}", 500000, QSerialPort::NoParity,
                                          QSerialPort::OneStop);
}

// The types the application registers, in its order and with its settings.
void registerApplicationTypes(SerialPortOverseer& overseer)
{
    overseer.registerDeviceType("KestrumV4", "{whois}\r\n", "iamkestrum", 115200, QSerialPort::NoParity,
                                QSerialPort::OneStop);
    overseer.registerDeviceType("ClassicKestrum", KestrumDevice::serialNumberRequest(), hex("7B 0D 90 02"), 57600,
                                QSerialPort::EvenParity, QSerialPort::OneStop);
    registerDoor(overseer)->probeTimeMs = 2000;
    registerStartle(overseer)->probeTimeMs = 3300;
    registerGrid(overseer);
    overseer.registerProbeOnlyType("Rotarod", "{whois}\r\n", "{iamrotarod}", 115200, QSerialPort::NoParity,
                                   QSerialPort::OneStop);
    overseer.registerProbeOnlyType("OldRotarod", CurlyMessageParser::frameMessage("\xF2"), "RotaRod", 115200,
                                   QSerialPort::NoParity, QSerialPort::OneStop);
}

SerialPortEntry entry(const QString& name, const QString& description, const QString& manufacturer)
{
    return {name, QStringLiteral("/dev/") + name, description, manufacturer, QString()};
}

QSerialPort* portBorrowedBy(const QString& owner)
{
    const auto table = SerialPortManager::instance()->ports();
    for (const auto& [port, portOwner] : table) {
        if (portOwner == owner)
            return port;
    }
    return nullptr;
}

// Runs one step and waits until it finds a board; the port then handed over to the type.
QSerialPort* scanUntilFound(SerialPortOverseer& overseer, const QString& type)
{
    QSignalSpy found(&overseer, &SerialPortOverseer::deviceFound);
    overseer.scan();
    return found.wait(5000) ? portBorrowedBy(type) : nullptr;
}

// Lets the ports released by a step really go.
void deleteReleasedPorts()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestPortProbing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void portFilter_data();
    void portFilter();
    void registration();
    void findsEveryBoardTypeInTurnAndHandsThePortOver();
    void answerSplitOverReadsIsFound();
    void matchedPortSurvivesNextStep();
    void probeOnlyTypeClosesItsPort();
    void portHeldByAnotherOwnerIsLeftAlone();
    void bluetoothPortIsNeverOpened();
    void replyAfterTheStepMovedOnIsIgnored();
    void requestWrittenThreeTimesInLongWindow();
    void hundredStepsLeakNoPorts();
    void startUsesThePeriodForTheFirstInterval();
};

void TestPortProbing::initTestCase()
{
    SerialPortEnumerator::setSystemPortsIncluded(false);
}

void TestPortProbing::cleanup()
{
    SerialPortEnumerator::clearExtraPorts();
    deleteReleasedPorts();
}

void TestPortProbing::portFilter_data()
{
    QTest::addColumn<SerialPortEntry>("port");
    QTest::addColumn<bool>("probed");
    QTest::newRow("usb serial") << entry("ttyUSB0", "FT232R USB UART", "FTDI") << true;
    QTest::newRow("manufacturer only") << entry("ttyACM0", "", "Arduino") << true;
    QTest::newRow("nothing known") << entry("ttyS4", "", "") << false;
    QTest::newRow("bluetooth in description") << entry("ttyACM1", "Standard Serial over BLUETOOTH link", "") << false;
    QTest::newRow("bluetooth in manufacturer") << entry("ttyUSB3", "Serial", "bluetooth corp") << false;
    QTest::newRow("rfcomm") << entry("rfcomm0", "Serial", "Vendor") << false;
    QTest::newRow("built-in ports") << entry("COM3", "Последовательный порт", "(Стандартные порты)") << false;
    QTest::newRow("COM1") << entry("COM1", "Communications Port", "Vendor") << false;
}

void TestPortProbing::portFilter()
{
    QFETCH(SerialPortEntry, port);
    QFETCH(bool, probed);
    QCOMPARE(SerialPortOverseer::isProbeablePort(port), probed);
}

void TestPortProbing::registration()
{
    SerialPortOverseer overseer;
    ProbeDeviceType* door = registerDoor(overseer);
    QCOMPARE(door->keepOpen, true);
    QCOMPARE(door->probeTimeMs, 1000);
    QCOMPARE(door->dataBits, 8);
    ProbeDeviceType* grid = overseer.registerProbeOnlyType("Grid", "{gridnode}", "{iamgridnode}", 500000,
                                                           QSerialPort::NoParity, QSerialPort::TwoStop);
    QCOMPARE(grid->keepOpen, false);
    QCOMPARE(grid->stopBits, 2);
    QCOMPARE(SerialPortOverseer::ownerKey("KestrumDoor"), QStringLiteral("_KestrumDoor"));
    QCOMPARE(CurlyMessageParser::frameMessage("\xF2"), hex("7B F2 0E 7D"));
    QVERIFY(overseer.currentType() == nullptr);
    overseer.scan();
    QCOMPARE(overseer.currentType()->name, QStringLiteral("KestrumDoor"));
    overseer.scan();
    QCOMPARE(overseer.currentType()->name, QStringLiteral("Grid"));
    overseer.scan();
    QCOMPARE(overseer.currentType()->name, QStringLiteral("KestrumDoor"));
}

void TestPortProbing::findsEveryBoardTypeInTurnAndHandsThePortOver()
{
    ScriptedBoard curly(QStringLiteral("Kestrum controller"));
    curly.replyToBytes("{whois}\r\n", "{iamkestrum}\r\n");
    ScriptedBoard classic(QStringLiteral("USB-RS232"));
    classic.replyToFrame(hex("0D 00 02 F1"), classicSerialNumberReply);
    ScriptedBoard door(QStringLiteral("Door unit"));
    door.replyToBytes("{whois}\r\n", "{iamdoor}\r\n");
    ScriptedBoard startle(QStringLiteral("Startle sensor"));
    startle.replyToBytes("{startle}\r\n", "{iamstartle}\r\n");

    SerialPortOverseer overseer;
    registerApplicationTypes(overseer);
    QSignalSpy found(&overseer, &SerialPortOverseer::deviceFound);
    const QList<QPair<QString, QString>> expected = {{"KestrumV4", curly.portName()},
                                                     {"ClassicKestrum", classic.portName()},
                                                     {"KestrumDoor", door.portName()},
                                                     {"Startle", startle.portName()}};
    for (int i = 0; i < expected.size(); ++i) {
        overseer.scan();
        QTRY_COMPARE_WITH_TIMEOUT(found.count(), i + 1, 5000);
        QCOMPARE(found.at(i).at(0).toString(), expected.at(i).first);
        QCOMPARE(found.at(i).at(1).toString(), expected.at(i).second);
    }
    // The three probe-only types find nothing; a full cycle reports nothing twice.
    for (int i = 0; i < 7; ++i)
        overseer.scan();
    QCoreApplication::processEvents();
    QCOMPARE(found.count(), 4);

    // The model takes the port under the type's name and gets the same, still open object.
    QSerialPort* port = SerialPortManager::instance()->openPort(classic.portName(), "ClassicKestrum");
    QVERIFY(port && port->isOpen());
    QCOMPARE(port->baudRate(), 57600);
    QCOMPARE(port->parity(), QSerialPort::EvenParity);
    KestrumDevice chamber(port);
    QSignalSpy serial(&chamber, &BaseDevice::serialNumberFetched);
    chamber.start();
    QVERIFY(serial.wait(5000));
    QCOMPARE(chamber.serialNumber(), QStringLiteral("S4261253"));
    chamber.dispose();

    for (const auto& [type, portName] : expected) {
        if (QSerialPort* held = SerialPortManager::instance()->openPort(portName, type))
            SerialPortManager::instance()->releasePort(held, type);
    }
}

void TestPortProbing::answerSplitOverReadsIsFound()
{
    ScriptedBoard door(QStringLiteral("Door unit"));
    // Line noise first: only what may still begin the answer needs keeping.
    door.replyToBytes("{whois}\r\n", QByteArray(2000, 'x') + "{iam");
    SerialPortOverseer overseer;
    registerDoor(overseer);
    QSignalSpy found(&overseer, &SerialPortOverseer::deviceFound);
    overseer.scan();
    QSerialPort* port = portBorrowedBy("_KestrumDoor");
    QVERIFY(port);
    QSignalSpy read(port, &QSerialPort::readyRead);
    QVERIFY(read.wait(5000));
    QCoreApplication::processEvents();
    QCOMPARE(found.count(), 0);
    door.clearRules();
    door.send("door}\r\n");
    QVERIFY(found.wait(5000));
    QCOMPARE(found.first().at(1).toString(), door.portName());
    SerialPortManager::instance()->releasePort(port, "KestrumDoor");
}

void TestPortProbing::matchedPortSurvivesNextStep()
{
    ScriptedBoard startle(QStringLiteral("Startle sensor"));
    startle.replyToBytes("{startle}\r\n", "{iamstartle}");
    SerialPortOverseer overseer;
    registerStartle(overseer);
    QPointer<QSerialPort> port = scanUntilFound(overseer, "Startle");
    QVERIFY(port);
    overseer.scan();
    deleteReleasedPorts();
    QVERIFY(port);
    QVERIFY(port->isOpen());
    QCOMPARE(SerialPortManager::instance()->ownerOf(port), QStringLiteral("Startle"));
    QCOMPARE(SerialPortManager::instance()->releaseOwner("_Startle"), 0);
    SerialPortManager::instance()->releasePort(port, "Startle");
}

void TestPortProbing::probeOnlyTypeClosesItsPort()
{
    ScriptedBoard grid(QStringLiteral("Grid node"));
    grid.replyToBytes("{gridnode}", "{iamgridnode}");
    SerialPortOverseer overseer;
    registerGrid(overseer);
    QSerialPort* port = scanUntilFound(overseer, "Grid");
    QVERIFY(port);
    QVERIFY(!port->isOpen());
    SerialPortManager::instance()->releasePort(port, "Grid");
}

void TestPortProbing::portHeldByAnotherOwnerIsLeftAlone()
{
    ScriptedBoard board(QStringLiteral("Door unit"));
    QSerialPort* held = SerialPortManager::instance()->openPort(board.portName(), "KestrumV4");
    QVERIFY(held);
    SerialPortOverseer overseer;
    registerDoor(overseer);
    overseer.scan();
    QVERIFY(!held->isOpen());
    QCOMPARE(SerialPortManager::instance()->ownerOf(held), QStringLiteral("KestrumV4"));
    QVERIFY(portBorrowedBy("_KestrumDoor") == nullptr);
    SerialPortManager::instance()->releasePort(held, "KestrumV4");
}

void TestPortProbing::bluetoothPortIsNeverOpened()
{
    ScriptedBoard board(QStringLiteral("Serial over BlueTooth link"));
    board.replyToBytes("{whois}\r\n", "{iamdoor}");
    SerialPortOverseer overseer;
    registerDoor(overseer);
    for (int i = 0; i < 3; ++i)
        overseer.scan();
    QVERIFY(portBorrowedBy("_KestrumDoor") == nullptr);
    QVERIFY(board.received().isEmpty());
}

void TestPortProbing::replyAfterTheStepMovedOnIsIgnored()
{
    ScriptedBoard door(QStringLiteral("Door unit"));
    SerialPortOverseer overseer;
    registerDoor(overseer);
    QSignalSpy found(&overseer, &SerialPortOverseer::deviceFound);
    overseer.scan();
    QPointer<QSerialPort> port = portBorrowedBy("_KestrumDoor");
    QVERIFY(port);
    // The answer reaches the port, but the step ends before its queued reply step runs.
    QSignalSpy read(port.data(), &QSerialPort::readyRead);
    door.send("{iamdoor}");
    QVERIFY(read.wait(5000));
    overseer.scan();
    deleteReleasedPorts();
    QVERIFY(port.isNull());
    QCoreApplication::processEvents();
    QCOMPARE(found.count(), 0);
    QVERIFY(portBorrowedBy("KestrumDoor") == nullptr);
}

void TestPortProbing::requestWrittenThreeTimesInLongWindow()
{
    ScriptedBoard door(QStringLiteral("Door unit"));
    SerialPortOverseer overseer;
    registerDoor(overseer)->probeTimeMs = 2000;
    overseer.scan();
    QCOMPARE(door.received(), QByteArray("{whois}\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(door.received().count("{whois}\r\n"), 3, 10000);

    // A one-second window has no third write.
    ScriptedBoard startle(QStringLiteral("Startle sensor"));
    SerialPortOverseer shortWindow;
    registerStartle(shortWindow);
    shortWindow.scan();
    QTRY_COMPARE_WITH_TIMEOUT(startle.received().count("{startle}\r\n"), 2, 10000);
    QSerialPort* port = portBorrowedBy("_Startle");
    QVERIFY(port);
    // Wait past the moment a third write would have come.
    QSignalSpy written(port, &QSerialPort::bytesWritten);
    QVERIFY(!written.wait(SerialPortOverseer::thirdWriteMs));
    QCOMPARE(startle.received().count("{startle}\r\n"), 2);
}

void TestPortProbing::hundredStepsLeakNoPorts()
{
    ScriptedBoard silent(QStringLiteral("Silent board"));
    ScriptedBoard other(QStringLiteral("Another silent board"));
    SerialPortEnumerator::addExtraPort(QStringLiteral("/dev/kestrum-missing-port"), QStringLiteral("Unplugged"));
    SerialPortOverseer overseer;
    registerApplicationTypes(overseer);
    GlobalConsole::ClearText();

    QList<QPointer<QSerialPort>> seen;
    for (int step = 0; step < 100; ++step) {
        overseer.scan();
        const auto table = SerialPortManager::instance()->ports();
        for (const auto& [port, owner] : table)
            seen.append(port);
        QVERIFY(table.size() <= 2);
        deleteReleasedPorts();
    }
    overseer.stop();
    SerialPortManager::instance()->releaseOwner(SerialPortOverseer::ownerKey(overseer.currentType()->name));
    deleteReleasedPorts();
    const qsizetype alive = std::count_if(seen.cbegin(), seen.cend(), [](const auto& port) { return !port.isNull(); });
    QCOMPARE(alive, 0);
    QVERIFY(seen.size() >= 100);

    // The port that cannot be opened is named once, with the reason.
    const QString console = GlobalConsole::currentText();
    QCOMPARE(console.count(QStringLiteral("kestrum-missing-port")), 1);
    QVERIFY2(
        console.contains(QRegularExpression(QStringLiteral("kestrum-missing-port cannot be opened for probing: \\S"))),
        qPrintable(console));
}

void TestPortProbing::startUsesThePeriodForTheFirstInterval()
{
    SerialPortOverseer overseer;
    registerDoor(overseer)->probeTimeMs = 2000;
    overseer.start(3000);
    QVERIFY(overseer.isRunning());
    QCOMPARE(overseer.stepIntervalMs(), 3000);
    QCOMPARE(overseer.currentType()->name, QStringLiteral("KestrumDoor"));
    overseer.scan();
    QCOMPARE(overseer.stepIntervalMs(), 2000);
    overseer.start(10);
    QCOMPARE(overseer.stepIntervalMs(), 1000);
    overseer.stop();
    QVERIFY(!overseer.isRunning());
}

QTEST_GUILESS_MAIN(TestPortProbing)
#include "tst_portprobing.moc"
