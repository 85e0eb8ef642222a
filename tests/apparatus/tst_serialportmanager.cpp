#include "ScriptedBoard.h"
#include "SerialPortEnumerator.h"
#include "SerialPortManager.h"

#include <QPointer>
#include <QSerialPort>
#include <QTest>

class TestSerialPortManager : public QObject
{
    Q_OBJECT

    SerialPortManager* manager = SerialPortManager::instance();

    static QStringList tableOwners()
    {
        QStringList owners;
        const auto table = SerialPortManager::instance()->ports();
        for (const auto& entry : table)
            owners.append(entry.first->portName() + "=" + entry.second);
        return owners;
    }

private slots:
    void initTestCase() { SerialPortEnumerator::setSystemPortsIncluded(false); }

    void cleanup() { QVERIFY2(tableOwners().isEmpty(), qPrintable(tableOwners().join(", "))); }

    void enumeratorListsExtraPorts()
    {
        QCOMPARE(SerialPortEnumerator::portNameFromLocation("/dev/pts/7"), QString("pts/7"));
        QCOMPARE(SerialPortEnumerator::portNameFromLocation("/dev/ttyUSB0"), QString("ttyUSB0"));
        SerialPortEnumerator::addExtraPort("/dev/pts/900", "first");
        SerialPortEnumerator::addExtraPort("/dev/pts/901", "second", "maker");
        SerialPortEnumerator::addExtraPort("/dev/pts/900", "replaced");
        const auto ports = SerialPortEnumerator::availablePorts();
        QCOMPARE(ports.size(), 2);
        QCOMPARE(ports[0].portName, QString("pts/901"));
        QCOMPARE(ports[0].manufacturer, QString("maker"));
        QCOMPARE(ports[1].description, QString("replaced"));
        QCOMPARE(ports[1].systemLocation, QString("/dev/pts/900"));
        SerialPortEnumerator::clearExtraPorts();
        QVERIFY(SerialPortEnumerator::availablePorts().isEmpty());
    }

    void proberHandsAPortToTheDevice()
    {
        ScriptedBoard board;
        const QString prober = QStringLiteral("_Startle");
        QSerialPort* borrowed = manager->openPort(board.portName(), prober);
        QVERIFY(borrowed);
        QVERIFY(borrowed->open(QIODevice::ReadWrite));
        manager->setPortOwner(borrowed, "Startle");

        QSerialPort* taken = manager->openPort(board.portName(), "Startle");
        QCOMPARE(taken, borrowed);
        QCOMPARE(manager->releaseOwner(prober), 0);
        QVERIFY(taken->isOpen());
        QCOMPARE(manager->ownerOf(taken), QString("Startle"));
        manager->releasePort(taken, "Startle");
    }

    void aHeldPortIsNotOfferedToOthers()
    {
        ScriptedBoard board;
        QSerialPort* port = manager->openPort(board.portName(), "Startle");
        QVERIFY(port);
        QVERIFY(!manager->openPort(board.portName(), "KestrumDoor"));
        QVERIFY(!manager->availablePortNames("KestrumDoor").contains(board.portName()));
        QVERIFY(manager->availablePortNames("Startle").contains(board.portName()));
        QCOMPARE(manager->openPort(board.portName(), "Startle"), port);

        // The wrong owner cannot release it.
        QPointer<QSerialPort> guard(port);
        manager->releasePort(port, "KestrumDoor");
        QCOMPARE(manager->ownerOf(port), QString("Startle"));
        manager->releasePort(port, "Startle");
        QVERIFY(manager->ownerOf(port).isEmpty());
        QTRY_VERIFY(guard.isNull());
    }

    void unknownPortsGiveNull()
    {
        QVERIFY(!manager->openPort("pts/424242", "KestrumV4"));
        manager->releasePort(nullptr, "KestrumV4");
        manager->setPortOwner(nullptr, "KestrumV4");
        manager->closePort("pts/424242", "KestrumV4");
        QCOMPARE(manager->releaseOwner("nobody"), 0);
    }

    void releasingAnOwnerEndsItsPorts()
    {
        ScriptedBoard first;
        ScriptedBoard second;
        ScriptedBoard kept;
        QPointer<QSerialPort> a = first.takePort("_KestrumV4");
        QPointer<QSerialPort> b = second.takePort("_KestrumV4");
        QPointer<QSerialPort> c = kept.takePort("KestrumV4");
        QVERIFY(a && b && c);
        QCOMPARE(manager->releaseOwner("_KestrumV4"), 2);
        QVERIFY(!a.isNull() && !a->isOpen());
        QTRY_VERIFY(a.isNull() && b.isNull());
        QVERIFY(c->isOpen());
        manager->releasePort(c, "KestrumV4");
    }

    void closingKeepsTheObjectForItsDevice()
    {
        ScriptedBoard board;
        QPointer<QSerialPort> port = board.takePort("KestrumDoor");
        QVERIFY(port && port->isOpen());
        manager->closePort(board.portName(), "KestrumDoor");
        QVERIFY(!port.isNull());
        QVERIFY(!port->isOpen());
        QVERIFY(manager->ownerOf(port).isEmpty());
        // The name is free again and gets a fresh object, not the one a device may still hold.
        QSerialPort* fresh = manager->openPort(board.portName(), "KestrumDoor");
        QVERIFY(fresh && fresh != port);
        manager->releasePort(fresh, "KestrumDoor");
    }

    void anEmptyOwnerTakesThePortOutOfTheTable()
    {
        ScriptedBoard board;
        QSerialPort* port = manager->openPort(board.portName(), "_KestrumDoor");
        manager->setPortOwner(port, QString());
        QVERIFY(manager->ownerOf(port).isEmpty());
        QCOMPARE(manager->releaseOwner("_KestrumDoor"), 0);
    }

    void portsDeletedElsewhereLeaveTheTable()
    {
        ScriptedBoard board;
        QSerialPort* port = manager->openPort(board.portName(), "KestrumV4");
        delete port;
        QVERIFY(manager->ports().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSerialPortManager)
#include "tst_serialportmanager.moc"
